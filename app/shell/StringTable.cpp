#include "app/shell/StringTable.h"

#include "app/shell/AppConfig.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/Utf8.h"

#include <pugixml.hpp>
#include <strings.h>

namespace {

constexpr size_t kStringFileLimitBytes = 16u << 20;

StringTableHooks& Hooks()
{
    static StringTableHooks hooks;
    return hooks;
}

bool ReadSkinFile(const std::string& skinPath, std::string& data)
{
    if (Hooks().readSkinFile)
        return Hooks().readSkinFile(skinPath, data);
    return kelvara::ReadWholeFile(skinPath, data, kStringFileLimitBytes) == kelvara::ReadResult::Ok;
}

bool NameIs(const char* name, const char* expected)
{
    return strcasecmp(name, expected) == 0;
}

pugi::xml_attribute FindAttribute(const pugi::xml_node& node, const char* name)
{
    for (pugi::xml_attribute attribute : node.attributes()) {
        if (NameIs(attribute.name(), name))
            return attribute;
    }
    return {};
}

bool HasChildElement(const pugi::xml_node& node)
{
    return node.find_child([](const pugi::xml_node& child) { return child.type() == pugi::node_element; });
}

// Takes the entry of one element without child elements.
void TakeEntry(const pugi::xml_node& node, StringTable& table)
{
    if (!NameIs(node.name(), "String"))
        return;
    pugi::xml_attribute id = FindAttribute(node, "id");
    pugi::xml_attribute text = FindAttribute(node, "text");
    if (id && text)
        table.Set(kelvara::RepairUtf8(id.value()), kelvara::RepairUtf8(text.value()));
}

}  // namespace

const char* const kLanguageFiles[kLanguageCount] = {
    "xmls/lang/strings_en_US.xml",
    "xmls/lang/strings_zh_CN.xml",
    "xmls/lang/strings_ko_KR.xml",
    "xmls/lang/strings_id_ID.xml",
};

std::string StringTable::Get(const std::string& id) const
{
    auto found = m_texts.find(id);
    return found == m_texts.end() ? std::string() : found->second;
}

StringTable& TheStringTable()
{
    static StringTable table;
    return table;
}

void SetStringTableHooks(StringTableHooks hooks)
{
    Hooks() = std::move(hooks);
}

bool LoadStringFile(const std::string& skinPath)
{
    std::string data;
    if (!ReadSkinFile(skinPath, data))
        return false;
    return LoadStringData(data.data(), data.size());
}

bool LoadStringData(const char* data, size_t size)
{
    pugi::xml_document document;
    if (!document.load_buffer(data, size, pugi::parse_default, pugi::encoding_auto))
        return false;
    pugi::xml_node root = document.document_element();
    if (!root)
        return false;

    // Walks the elements below the root in document order without recursion,
    // so that deeply nested files cannot exhaust the stack.
    StringTable& table = TheStringTable();
    pugi::xml_node node = root.first_child();
    while (node && node != root) {
        if (node.type() == pugi::node_element) {
            if (HasChildElement(node)) {
                node = node.first_child();
                continue;
            }
            TakeEntry(node, table);
        }
        while (node != root && !node.next_sibling())
            node = node.parent();
        if (node != root)
            node = node.next_sibling();
    }
    return true;
}

void ClearStringTable()
{
    TheStringTable().Clear();
}

std::string GetLangText(const std::string& id)
{
    return TheStringTable().Get(id);
}

void SetLanguage(int index)
{
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(kLanguageCount))
        return;
    GetAppConfig().CFG_LANGUAGE = index;
    ClearStringTable();
    LoadStringFile(kLanguageFiles[0]);
    LoadStringFile(kLanguageFiles[index]);
    if (Hooks().reloadText)
        Hooks().reloadText();
}
