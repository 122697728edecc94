#pragma once
// XML documents of the skin (layouts, menus, string tables), parsed by
// pugixml. Texts are UTF-8 with character entities decoded. A CMarkupNode
// stays valid while its CMarkup lives and is not reloaded. Used on one thread.

#include <memory>
#include <string>

namespace pugi {
class xml_document;
class xml_node;
struct xml_node_struct;
}  // namespace pugi

namespace DuiLib {

class CMarkupNode;

class CMarkup
{
public:
    CMarkup();
    explicit CMarkup(const char* xml);
    ~CMarkup();
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    // Each returns false (and leaves no document) when the text is no XML.
    bool Load(const char* xml);
    bool LoadFromMem(const void* bytes, size_t size);
    // A skin file, through the archive or the resource path.
    bool LoadFromFile(const char* name);
    void Release();
    bool IsValid() const;

    const char* GetLastErrorMessage() const { return m_error.c_str(); }
    CMarkupNode GetRoot() const;

private:
    std::unique_ptr<pugi::xml_document> m_doc;
    std::string m_error;
};

class CMarkupNode
{
public:
    CMarkupNode() = default;

    bool IsValid() const { return m_node != nullptr; }
    CMarkupNode GetParent() const;
    CMarkupNode GetSibling() const;
    CMarkupNode GetChild() const;
    CMarkupNode GetChild(const char* name) const;
    bool HasSiblings() const;
    bool HasChildren() const;
    // Element name; "" for an invalid node.
    const char* GetName() const;
    // Text content of the element.
    const char* GetValue() const;

    bool HasAttributes() const;
    bool HasAttribute(const char* name) const;
    int GetAttributeCount() const;
    const char* GetAttributeName(int index) const;
    const char* GetAttributeValue(int index) const;
    // Value of the attribute of that exact name, or null when absent.
    const char* GetAttributeValue(const char* name) const;

private:
    friend class CMarkup;
    explicit CMarkupNode(pugi::xml_node_struct* node)
        : m_node(node)
    {
    }
    pugi::xml_node Node() const;

    pugi::xml_node_struct* m_node = nullptr;
};

}  // namespace DuiLib
