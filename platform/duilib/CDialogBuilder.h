#pragma once
// Builds a control tree from skin XML: the Window element (size, caption
// band, size box, round corners, minimum size, shadow flags), Font, Default,
// Style and Include elements, and the control elements. Elements of unknown
// classes go to the callback's CreateControl. UI thread only.

#include "platform/duilib/CMarkup.h"

namespace DuiLib {

class CControlUI;
class CPaintManagerUI;

class IDialogBuilderCallback
{
public:
    virtual ~IDialogBuilderCallback() = default;
    // A control for a class the toolkit does not know, or null to skip the element.
    virtual CControlUI* CreateControl(const char* pstrClass) = 0;
};

class CDialogBuilder
{
public:
    // xml is a skin file name, or XML text when it starts with '<'. Returns
    // the root control (owned by the caller until attached), or null when
    // the XML cannot be read: the first control of a Window root, or the
    // root element itself when it is a control. With parent, the controls
    // are added to it.
    CControlUI* Create(const char* xml, const char* type = nullptr,
        IDialogBuilderCallback* callback = nullptr, CPaintManagerUI* manager = nullptr,
        CControlUI* parent = nullptr);
    CMarkup* GetMarkup() { return &m_xml; }

    // A control of a built-in class ("Button", "VerticalLayout", ...), or null.
    static CControlUI* CreateBuiltinControl(const char* pstrClass);

private:
    void ParseWindow(CMarkupNode& root, CPaintManagerUI* manager);
    // The controls of parentNode's children; returns the first.
    CControlUI* Parse(CMarkupNode* parentNode, CControlUI* parent, CPaintManagerUI* manager, int depth);
    CControlUI* ParseNode(CMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager, int depth);
    CControlUI* ParseInclude(CMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager, int depth);

    CMarkup m_xml;
    IDialogBuilderCallback* m_pCallback = nullptr;
};

}  // namespace DuiLib
