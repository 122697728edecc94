#include "platform/duilib/CMarkup.h"

#include "platform/duilib/CResourceLoader.h"

#include <pugixml.hpp>

#include <cstring>
#include <vector>

namespace DuiLib {
namespace {

// The first element child: skin code walks elements only.
pugi::xml_node FirstElement(pugi::xml_node node)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element)
            return c;
    }
    return pugi::xml_node();
}

pugi::xml_node NextElement(pugi::xml_node node)
{
    for (pugi::xml_node c = node.next_sibling(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element)
            return c;
    }
    return pugi::xml_node();
}

}  // namespace

CMarkup::CMarkup() = default;

CMarkup::CMarkup(const char* xml)
{
    Load(xml);
}

CMarkup::~CMarkup() = default;

bool CMarkup::LoadFromMem(const void* bytes, size_t size)
{
    Release();
    if (bytes == nullptr || size == 0) {
        m_error = "empty document";
        return false;
    }
    auto doc = std::make_unique<pugi::xml_document>();
    pugi::xml_parse_result result = doc->load_buffer(bytes, size, pugi::parse_default, pugi::encoding_auto);
    if (!result || !FirstElement(*doc)) {
        m_error = result ? "no root element" : result.description();
        return false;
    }
    m_doc = std::move(doc);
    m_error.clear();
    return true;
}

bool CMarkup::Load(const char* xml)
{
    return LoadFromMem(xml, xml ? std::strlen(xml) : 0);
}

bool CMarkup::LoadFromFile(const char* name)
{
    std::vector<unsigned char> bytes;
    if (name == nullptr || !CResourceLoader::ReadFile(name, bytes)) {
        Release();
        m_error = std::string("cannot read ") + (name ? name : "");
        return false;
    }
    return LoadFromMem(bytes.data(), bytes.size());
}

void CMarkup::Release()
{
    m_doc.reset();
}

bool CMarkup::IsValid() const
{
    return m_doc != nullptr;
}

CMarkupNode CMarkup::GetRoot() const
{
    if (!m_doc)
        return CMarkupNode();
    return CMarkupNode(FirstElement(*m_doc).internal_object());
}

pugi::xml_node CMarkupNode::Node() const
{
    return pugi::xml_node(m_node);
}

CMarkupNode CMarkupNode::GetParent() const
{
    pugi::xml_node parent = Node().parent();
    if (!parent || parent.type() != pugi::node_element)
        return CMarkupNode();
    return CMarkupNode(parent.internal_object());
}

CMarkupNode CMarkupNode::GetSibling() const
{
    if (!m_node)
        return CMarkupNode();
    return CMarkupNode(NextElement(Node()).internal_object());
}

CMarkupNode CMarkupNode::GetChild() const
{
    if (!m_node)
        return CMarkupNode();
    return CMarkupNode(FirstElement(Node()).internal_object());
}

CMarkupNode CMarkupNode::GetChild(const char* name) const
{
    for (CMarkupNode c = GetChild(); c.IsValid(); c = c.GetSibling()) {
        if (std::strcmp(c.GetName(), name ? name : "") == 0)
            return c;
    }
    return CMarkupNode();
}

bool CMarkupNode::HasSiblings() const
{
    return m_node && NextElement(Node());
}

bool CMarkupNode::HasChildren() const
{
    return m_node && FirstElement(Node());
}

const char* CMarkupNode::GetName() const
{
    return m_node ? Node().name() : "";
}

const char* CMarkupNode::GetValue() const
{
    return m_node ? Node().child_value() : "";
}

bool CMarkupNode::HasAttributes() const
{
    return m_node && Node().first_attribute();
}

bool CMarkupNode::HasAttribute(const char* name) const
{
    return GetAttributeValue(name) != nullptr;
}

int CMarkupNode::GetAttributeCount() const
{
    int n = 0;
    for (pugi::xml_attribute a = Node().first_attribute(); a; a = a.next_attribute())
        ++n;
    return n;
}

const char* CMarkupNode::GetAttributeName(int index) const
{
    int i = 0;
    for (pugi::xml_attribute a = Node().first_attribute(); a; a = a.next_attribute(), ++i) {
        if (i == index)
            return a.name();
    }
    return "";
}

const char* CMarkupNode::GetAttributeValue(int index) const
{
    int i = 0;
    for (pugi::xml_attribute a = Node().first_attribute(); a; a = a.next_attribute(), ++i) {
        if (i == index)
            return a.value();
    }
    return "";
}

const char* CMarkupNode::GetAttributeValue(const char* name) const
{
    if (!m_node || name == nullptr)
        return nullptr;
    pugi::xml_attribute a = Node().attribute(name);
    return a ? a.value() : nullptr;
}

}  // namespace DuiLib
