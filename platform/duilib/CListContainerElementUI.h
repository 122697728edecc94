#pragma once
// A list row that holds other controls (built from XML, for example): its
// children fill it; it is selected by a click on it or on a child that does
// not take the click itself. UI thread only.

#include "platform/duilib/CContainerUI.h"
#include "platform/duilib/UIListDefs.h"

namespace DuiLib {

class CListContainerElementUI : public CContainerUI, public IListItemUI
{
public:
    const char* GetClass() const override { return "ListContainerElementUI"; }
    void* GetInterface(const char* name) override;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;
    void DrawItemText(sf::RenderTarget&, const RECT&) override { }

    void DoEvent(TEventUI& event) override;
    void PaintBkColor(sf::RenderTarget& target) override;

protected:
    int m_iIndex = -1;
    IListOwnerUI* m_pOwner = nullptr;
    bool m_bSelected = false;
    bool m_bHot = false;
};

}  // namespace DuiLib
