#include "app/shell/StringTable.h"

#include "app/shell/AppConfig.h"
#include "platform/duilib/CMarkup.h"
#include "platform/duilib/CResourceManager.h"
#include "platform/system/Utf8.h"

#include <strings.h>

namespace {

std::function<void()>& LanguageChangedHook()
{
    static std::function<void()> hook;
    return hook;
}

bool NameIs(const char* name, const char* expected)
{
    return strcasecmp(name, expected) == 0;
}

// Value of the attribute whose name matches without regard to case, or null.
const char* FindAttribute(const DuiLib::CMarkupNode& node, const char* name)
{
    int count = node.GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        if (NameIs(node.GetAttributeName(i), name))
            return node.GetAttributeValue(i);
    }
    return nullptr;
}

void TakeEntry(const DuiLib::CMarkupNode& node, StringTable& table)
{
    if (!NameIs(node.GetName(), "String") || !node.HasAttributes())
        return;
    const char* id = FindAttribute(node, "id");
    const char* text = FindAttribute(node, "text");
    if (id && text)
        table.Set(kelvara::RepairUtf8(id), kelvara::RepairUtf8(text));
}

bool LoadMarkup(const DuiLib::CMarkup& markup)
{
    DuiLib::CMarkupNode root = markup.GetRoot();
    if (!root.IsValid())
        return false;
    // Walks the elements below the root in document order without recursion,
    // so that deeply nested files cannot exhaust the stack. A node is told
    // apart by its name's storage, which is its own.
    const char* rootName = root.GetName();
    StringTable& table = TheStringTable();
    DuiLib::CMarkupNode node = root.GetChild();
    while (node.IsValid()) {
        if (node.HasChildren()) {
            node = node.GetChild();
            continue;
        }
        TakeEntry(node, table);
        while (!node.HasSiblings()) {
            node = node.GetParent();
            if (!node.IsValid() || node.GetName() == rootName)
                return true;
        }
        node = node.GetSibling();
    }
    return true;
}

}  // namespace

const char* const kLanguageFiles[kLanguageCount] = {
    "xmls\\lang\\strings_en_US.xml",
    "xmls\\lang\\strings_zh_CN.xml",
    "xmls\\lang\\strings_ko_KR.xml",
    "xmls\\lang\\strings_id_ID.xml",
};

void StringTable::Set(const std::string& id, const std::string& text)
{
    delete static_cast<std::string*>(m_texts.Set(id.c_str(), new std::string(text)));
}

std::string StringTable::Get(const std::string& id) const
{
    const auto* text = static_cast<const std::string*>(m_texts.Find(id.c_str()));
    return text ? *text : std::string();
}

void StringTable::Clear()
{
    for (int i = 0; i < m_texts.GetSize(); ++i)
        delete static_cast<std::string*>(m_texts.Find(m_texts.GetAt(i)));
    m_texts.RemoveAll();
}

StringTable& TheStringTable()
{
    static StringTable table;
    return table;
}

void SetLanguageChangedHook(std::function<void()> hook)
{
    LanguageChangedHook() = std::move(hook);
}

bool LoadStringFile(const std::string& skinPath)
{
    DuiLib::CMarkup markup;
    return markup.LoadFromFile(skinPath.c_str()) && LoadMarkup(markup);
}

bool LoadStringData(const char* data, size_t size)
{
    DuiLib::CMarkup markup;
    return markup.LoadFromMem(data, size) && LoadMarkup(markup);
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
    DuiLib::CResourceManager::GetInstance()->ReloadText();
    if (LanguageChangedHook())
        LanguageChangedHook()();
}
