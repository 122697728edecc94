#pragma once
// The base of list and combo rows drawn by the toolkit: index, owner,
// selected and hot state, background by state. A click selects the row in
// its owner (taking the focus); a double click sends "itemactivate". Keys
// and the wheel go on to the list. UI thread only.

#include "platform/duilib/CControlUI.h"
#include "platform/duilib/UIListDefs.h"

namespace DuiLib {

class CListElementUI : public CControlUI, public IListItemUI
{
public:
    CListElementUI() = default;
    const char* GetClass() const override { return "ListElementUI"; }
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override { return UIFLAG_WANTRETURN; }

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;
    bool IsHot() const { return m_bHot; }
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;

    SIZE EstimateSize(SIZE szAvailable) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(sf::RenderTarget& target, const RECT& rcPaint) override;
    void DrawItemText(sf::RenderTarget&, const RECT&) override { }

protected:
    // Background and bottom line for the current state.
    void DrawItemBk(sf::RenderTarget& target);
    // Text colour for the current state.
    DWORD ItemTextColor() const;

    int m_iIndex = -1;
    IListOwnerUI* m_pOwner = nullptr;
    bool m_bSelected = false;
    bool m_bHot = false;
};

// Handles the events every row kind shares; true when consumed.
bool HandleListItemEvent(CControlUI* control, IListItemUI* item, bool& hot, TEventUI& event);

}  // namespace DuiLib
