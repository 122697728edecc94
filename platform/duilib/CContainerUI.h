#pragma once
// A control that holds and owns child controls. Children fill the inset
// area; float children are placed by their own "pos" relative to the
// container. A vertical layout with a scroll bar ("vscrollbar") scrolls
// content taller than itself with the bar and the mouse wheel. A disabled
// container takes the clicks meant for its children. UI thread only.

#include "platform/duilib/CControlUI.h"
#include "platform/duilib/CStdPtrArray.h"

namespace DuiLib {

class CScrollBarUI;

class CContainerUI : public CControlUI
{
public:
    CContainerUI() = default;
    ~CContainerUI() override;

    const char* GetClass() const override { return "ContainerUI"; }
    void* GetInterface(const char* name) override;

    // The items (a list answers with its rows, not its header).
    virtual CControlUI* GetItemAt(int index) const;
    virtual int GetItemIndex(CControlUI* control) const;
    virtual bool SetItemIndex(CControlUI* control, int index);
    virtual int GetCount() const;
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

    // Scrolling (vertical only; horizontal requests are ignored).
    void EnableScrollBar(bool enableVertical = true, bool enableHorizontal = false);
    CScrollBarUI* GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
    // cy: pixels scrolled from the top; range cy: how far it can go.
    SIZE GetScrollPos() const;
    SIZE GetScrollRange() const;
    void SetScrollPos(SIZE pos);
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    void HomeUp();
    void EndDown();
    // Scrolls so that rc (window coordinates, as laid out now) is in view.
    void ScrollIntoView(const RECT& rc);

    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void DoEvent(TEventUI& event) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoPaint(sf::RenderTarget& target, const RECT& rcPaint) override;
    void SetAttribute(const char* name, const char* value) override;

protected:
    // The own child at index, whatever the public accessors answer.
    CControlUI* ItemAt(int index) const { return static_cast<CControlUI*>(m_items.GetAt(index)); }
    // Places a float child from its fixed position and size.
    void SetFloatPos(int index);
    RECT InsetRect() const;
    // The inset area less the scroll bar when it shows.
    RECT ContentRect() const;
    // Lays the children out in a column (vertical) or a row: fixed sizes
    // first, the remaining space shared by the children without one.
    void LayoutLinear(bool vertical);

    CStdPtrArray m_items;
    RECT m_rcInset{0, 0, 0, 0};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    CScrollBarUI* m_pVerticalScrollBar = nullptr;  // owned
    int m_nScrollY = 0;  // wanted position; layout clamps it to the range
};

}  // namespace DuiLib
