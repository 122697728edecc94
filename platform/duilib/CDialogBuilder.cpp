#include "platform/duilib/CDialogBuilder.h"

#include "platform/duilib/CButtonUI.h"
#include "platform/duilib/CCheckBoxUI.h"
#include "platform/duilib/CComboUI.h"
#include "platform/duilib/CContainerUI.h"
#include "platform/duilib/CEditUI.h"
#include "platform/duilib/CHorizontalLayoutUI.h"
#include "platform/duilib/CLabelUI.h"
#include "platform/duilib/CListContainerElementUI.h"
#include "platform/duilib/CListHeaderItemUI.h"
#include "platform/duilib/CListHeaderUI.h"
#include "platform/duilib/CListLabelElementUI.h"
#include "platform/duilib/CListTextElementUI.h"
#include "platform/duilib/CListUI.h"
#include "platform/duilib/CMenuUI.h"
#include "platform/duilib/COptionUI.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CProgressUI.h"
#include "platform/duilib/CScrollBarUI.h"
#include "platform/duilib/CSliderUI.h"
#include "platform/duilib/CTabLayoutUI.h"
#include "platform/duilib/CTextUI.h"
#include "platform/duilib/CVerticalLayoutUI.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace DuiLib {
namespace {

constexpr int kMaxIncludeDepth = 16;  // guards against files that include themselves

bool Is(const char* a, const char* b)
{
    return std::strcmp(a, b) == 0;
}

}  // namespace

CControlUI* CDialogBuilder::CreateBuiltinControl(const char* c)
{
    if (Is(c, "Control"))
        return new CControlUI;
    if (Is(c, "Container"))
        return new CContainerUI;
    if (Is(c, "VerticalLayout"))
        return new CVerticalLayoutUI;
    if (Is(c, "HorizontalLayout"))
        return new CHorizontalLayoutUI;
    if (Is(c, "TabLayout"))
        return new CTabLayoutUI;
    if (Is(c, "Label"))
        return new CLabelUI;
    if (Is(c, "Text"))
        return new CTextUI;
    if (Is(c, "Button"))
        return new CButtonUI;
    if (Is(c, "Option"))
        return new COptionUI;
    if (Is(c, "CheckBox"))
        return new CCheckBoxUI;
    if (Is(c, "Edit"))
        return new CEditUI;
    if (Is(c, "Progress"))
        return new CProgressUI;
    if (Is(c, "Slider"))
        return new CSliderUI;
    if (Is(c, "Combo"))
        return new CComboUI;
    if (Is(c, "List"))
        return new CListUI;
    if (Is(c, "ListHeader"))
        return new CListHeaderUI;
    if (Is(c, "ListHeaderItem"))
        return new CListHeaderItemUI;
    if (Is(c, "ListElement") || Is(c, "ListLabelElement"))
        return new CListLabelElementUI;
    if (Is(c, "ListTextElement"))
        return new CListTextElementUI;
    if (Is(c, "ListContainerElement"))
        return new CListContainerElementUI;
    if (Is(c, "Menu"))
        return new CMenuUI;
    if (Is(c, "MenuElement"))
        return new CMenuElementUI;
    return nullptr;
}

CControlUI* CDialogBuilder::Create(const char* xml, const char*, IDialogBuilderCallback* callback,
    CPaintManagerUI* manager, CControlUI* parent)
{
    if (xml == nullptr)
        return nullptr;
    bool loaded = xml[0] == '<' ? m_xml.Load(xml) : m_xml.LoadFromFile(xml);
    if (!loaded) {
        std::fprintf(stderr, "DuiLib: cannot build '%.64s': %s\n", xml, m_xml.GetLastErrorMessage());
        return nullptr;
    }
    m_pCallback = callback;
    CMarkupNode root = m_xml.GetRoot();
    if (!Is(root.GetName(), "Window"))
        return ParseNode(root, parent, manager, 0);  // a file of one control (a menu, a list row)
    if (manager)
        ParseWindow(root, manager);
    return Parse(&root, parent, manager, 0);
}

void CDialogBuilder::ParseWindow(CMarkupNode& root, CPaintManagerUI* manager)
{
    // Resources first: fonts, defaults and styles apply to the controls below.
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const char* name = node.GetName();
        if (Is(name, "Font")) {
            int id = -1;
            std::string family = "DejaVu Sans";
            int size = 12;
            bool bold = false, underline = false, italic = false, isDefault = false;
            for (int i = 0; i < node.GetAttributeCount(); ++i) {
                const char* a = node.GetAttributeName(i);
                const char* v = node.GetAttributeValue(i);
                if (Is(a, "id"))
                    id = std::atoi(v);
                else if (Is(a, "name"))
                    family = v;
                else if (Is(a, "size"))
                    size = std::atoi(v);
                else if (Is(a, "bold"))
                    bold = ParseBool(v);
                else if (Is(a, "underline"))
                    underline = ParseBool(v);
                else if (Is(a, "italic"))
                    italic = ParseBool(v);
                else if (Is(a, "default"))
                    isDefault = ParseBool(v);
            }
            if (id >= 0)
                manager->AddFont(id, family.c_str(), size, bold, underline, italic);
            if (isDefault)
                manager->SetDefaultFont(family.c_str(), size, bold, underline, italic);
        } else if (Is(name, "Default") || Is(name, "Style")) {
            const char* key = node.GetAttributeValue("name");
            const char* value = node.GetAttributeValue("value");
            if (key && value) {
                if (Is(name, "Default"))
                    manager->AddDefaultAttributeList(key, value);
                else
                    manager->AddStyle(key, value);
            }
        }
    }
    for (int i = 0; i < root.GetAttributeCount(); ++i) {
        const char* a = root.GetAttributeName(i);
        const char* v = root.GetAttributeValue(i);
        if (Is(a, "size")) {
            SIZE s = ParseSize(v);
            manager->SetInitSize(s.cx, s.cy);
        } else if (Is(a, "sizebox")) {
            manager->SetSizeBox(ParseRect(v));
        } else if (Is(a, "caption")) {
            manager->SetCaptionRect(ParseRect(v));
        } else if (Is(a, "roundcorner")) {
            SIZE s = ParseSize(v);
            manager->SetRoundCorner(s.cx, s.cy);
        } else if (Is(a, "mininfo")) {
            SIZE s = ParseSize(v);
            manager->SetMinInfo(s.cx, s.cy);
        } else if (Is(a, "maxinfo")) {
            SIZE s = ParseSize(v);
            manager->SetMaxInfo(s.cx, s.cy);
        } else if (Is(a, "showshadow")) {
            manager->GetShadow().bShow = ParseBool(v);
        } else if (Is(a, "shadowsize")) {
            manager->GetShadow().nSize = std::atoi(v);
        } else if (Is(a, "shadowsharpness")) {
            manager->GetShadow().nSharpness = std::atoi(v);
        } else if (Is(a, "shadowdarkness")) {
            manager->GetShadow().nDarkness = std::atoi(v);
        } else if (Is(a, "shadowcolor")) {
            manager->GetShadow().dwColor = ParseColor(v);
        } else if (Is(a, "defaultfontcolor")) {
            manager->SetDefaultFontColor(ParseColor(v));
        } else if (Is(a, "disabledfontcolor")) {
            manager->SetDefaultDisabledColor(ParseColor(v));
        }
    }
}

CControlUI* CDialogBuilder::Parse(
    CMarkupNode* parentNode, CControlUI* parent, CPaintManagerUI* manager, int depth)
{
    CControlUI* first = nullptr;
    for (CMarkupNode node = parentNode->GetChild(); node.IsValid(); node = node.GetSibling()) {
        const char* cls = node.GetName();
        if (Is(cls, "Image") || Is(cls, "Font") || Is(cls, "Default") || Is(cls, "Style"))
            continue;
        CControlUI* control = nullptr;
        if (Is(cls, "Include"))
            control = ParseInclude(node, parent, manager, depth);
        else
            control = ParseNode(node, parent, manager, depth);
        if (first == nullptr)
            first = control;
    }
    return first;
}

CControlUI* CDialogBuilder::ParseInclude(
    CMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager, int depth)
{
    const char* source = node.GetAttributeValue("source");
    if (source == nullptr || depth >= kMaxIncludeDepth)
        return nullptr;
    const char* countValue = node.GetAttributeValue("count");
    int count = countValue ? std::atoi(countValue) : 1;
    CControlUI* first = nullptr;
    for (int i = 0; i < count; ++i) {
        CDialogBuilder builder;
        builder.m_pCallback = m_pCallback;
        if (!builder.m_xml.LoadFromFile(source)) {
            std::fprintf(stderr, "DuiLib: cannot include '%s'\n", source);
            continue;
        }
        CMarkupNode root = builder.m_xml.GetRoot();
        CControlUI* included = nullptr;
        if (Is(root.GetName(), "Window")) {
            // An included Window brings its resources; its controls join here.
            if (manager)
                builder.ParseWindow(root, manager);
            included = builder.Parse(&root, parent, manager, depth + 1);
        } else {
            included = builder.ParseNode(root, parent, manager, depth + 1);
        }
        if (first == nullptr)
            first = included;
    }
    return first;
}

CControlUI* CDialogBuilder::ParseNode(
    CMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager, int depth)
{
    const char* cls = node.GetName();
    CControlUI* control = CreateBuiltinControl(cls);
    if (control == nullptr && m_pCallback)
        control = m_pCallback->CreateControl(cls);
    if (control == nullptr) {
        std::fprintf(stderr, "DuiLib: unknown control class '%s' skipped\n", cls);
        return nullptr;
    }
    // Children first (DuiLib order), so attributes like "selectedid" find their pages.
    if (node.HasChildren())
        Parse(&node, control, manager, depth);
    if (parent) {
        auto* container = static_cast<CContainerUI*>(parent->GetInterface("Container"));
        if (container == nullptr) {
            delete control;  // only containers hold children
            return nullptr;
        }
        container->Add(control);
    }
    if (manager) {
        control->SetManager(manager, nullptr, false);
        if (const char* defaults = manager->GetDefaultAttributeList(cls))
            control->ApplyAttributeList(defaults);
    }
    for (int i = 0; i < node.GetAttributeCount(); ++i)
        control->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
    if (manager)
        control->SetManager(nullptr, parent, false);
    return control;
}

}  // namespace DuiLib
