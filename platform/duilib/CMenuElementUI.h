#pragma once
// One menu item: text (or a resource id), user data, an icon of a given
// size, a check item that shows its icon (or a check mark) when checked, a
// separator line ("line"), and sub-items: MenuElement children make it a
// sub-menu, shown with an expand arrow. Disabled items are grey and cannot
// be chosen. UI thread only.

#include "platform/duilib/CContainerUI.h"

namespace DuiLib {

class CMenuWnd;

class CMenuElementUI : public CContainerUI
{
public:
    CMenuElementUI();
    const char* GetClass() const override { return "MenuElementUI"; }
    void* GetInterface(const char* name) override;

    void SetIcon(const char* image);
    CDuiString GetIcon() const { return m_sIcon; }
    void SetIconSize(long cx, long cy);
    SIZE GetIconSize() const { return m_szIcon; }
    void SetCheckItem(bool check = true) { m_bCheckItem = check; }
    bool GetCheckItem() const { return m_bCheckItem; }
    // The state goes into the menu's check map too (once the item is in a menu).
    void SetChecked(bool checked = true);
    bool GetChecked() const { return m_bChecked; }
    void SetShowExplandIcon(bool show) { m_bShowExpandIcon = show; }
    bool GetShowExplandIcon() const { return m_bShowExpandIcon; }
    void SetLine(bool line) { m_bLine = line; }
    bool IsLine() const { return m_bLine; }
    bool HasSubMenu() const;
    // The menu window showing this item, or null.
    CMenuWnd* GetMenuWnd() const;

    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    // Width the item needs for icon, text and expand arrow.
    long GetNeededWidth();
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(sf::RenderTarget& target, const RECT& rcPaint) override;
    void SetAttribute(const char* name, const char* value) override;

private:
    CDuiString m_sIcon;
    SIZE m_szIcon{16, 16};
    bool m_bCheckItem = false;
    bool m_bChecked = false;
    bool m_bCheckedByCode = false;  // SetChecked was called: wins over the map
    bool m_bShowExpandIcon = true;
    bool m_bLine = false;
    bool m_bHot = false;
    DWORD m_dwTextColor = 0;
    DWORD m_dwHotBkColor = 0xFFD5E7F8;
    DWORD m_dwLineColor = 0xFFD0D0D0;  // of a separator
    int m_iFont = -1;
};

}  // namespace DuiLib
