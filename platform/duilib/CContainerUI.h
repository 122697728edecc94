#pragma once
// A control that holds and owns child controls. Children fill the inset
// area; float children are placed by their own "pos" relative to the
// container. UI thread only.

#include "platform/duilib/CControlUI.h"
#include "platform/duilib/CStdPtrArray.h"

namespace DuiLib {

class CContainerUI : public CControlUI
{
public:
    CContainerUI() = default;
    ~CContainerUI() override;

    const char* GetClass() const override { return "ContainerUI"; }
    void* GetInterface(const char* name) override;

    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;
    bool SetItemIndex(CControlUI* control, int index);
    int GetCount() const;
    // Takes ownership of control.
    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    // Removes and deletes the child (when auto-destroy is on).
    virtual bool Remove(CControlUI* control);
    virtual bool RemoveAt(int index);
    virtual void RemoveAll();
    void SetAutoDestroy(bool autoDestroy) { m_bAutoDestroy = autoDestroy; }

    RECT GetInset() const { return m_rcInset; }
    void SetInset(RECT rc);
    int GetChildPadding() const { return m_iChildPadding; }
    void SetChildPadding(int padding);
    // The first descendant of that name, or null.
    CControlUI* FindSubControl(const char* name);

    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoPaint(sf::RenderTarget& target, const RECT& rcPaint) override;
    void SetAttribute(const char* name, const char* value) override;

protected:
    // Places a float child from its fixed position and size.
    void SetFloatPos(int index);
    RECT InsetRect() const;
    // Lays the children out in a column (vertical) or a row: fixed sizes
    // first, the remaining space shared by the children without one.
    void LayoutLinear(bool vertical);

    CStdPtrArray m_items;
    RECT m_rcInset{0, 0, 0, 0};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
};

}  // namespace DuiLib
