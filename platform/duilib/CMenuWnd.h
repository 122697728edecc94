#pragma once
// Popup menus. CMenuWnd::Init builds a menu from a skin file (a Menu of
// MenuElement items, nested MenuElements being sub-menus) and shows it at a
// screen point, kept on screen. Sub-menus open when the pointer rests on
// their item. A click on an item closes the whole menu and posts
// WM_MENUCLICK to the window of the main paint manager, wParam pointing to
// a heap MenuCmd the receiver frees with CPaintManagerUI::DeletePtr (it is
// freed here when it cannot be posted). A click on a check item toggles it
// in the check map first. The menu also closes on a click outside it and on
// Escape. UI thread only.
//
// Ownership: the caller owns the CMenuWnd of a root menu (new/delete); the
// window closes by itself but the object stays until deleted, and deleting
// it closes the window. Sub-menu windows belong to the toolkit.

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CWindowWnd.h"

#include <map>

namespace DuiLib {

class CMenuUI;
class CMenuElementUI;

// A chosen item, as WM_MENUCLICK delivers it.
struct MenuCmd
{
    char szName[256];
    char szUserData[1024];
    char szText[1024];
    BOOL bChecked;
};

// Check states of check items by item name; kept by the program between menus.
typedef std::map<CDuiString, bool> MenuCheckMap;

enum MenuAlignment
{
    eMenuAlignment_Left = 1 << 1,  // the menu's left edge at the point
    eMenuAlignment_Top = 1 << 2,  // its top edge at the point
    eMenuAlignment_Right = 1 << 3,  // its right edge at the point
    eMenuAlignment_Bottom = 1 << 4,  // its bottom edge at the point
};

class CMenuWnd : public CWindowWnd
{
public:
    CMenuWnd();
    ~CMenuWnd() override;

    // pOwner: null for a root menu. xml: the menu's skin file (or XML text).
    // point: screen point the menu is aligned to (dwAlignment, a
    // combination of MenuAlignment; 6 = left|top). pMenuCheckInfo may be null.
    void Init(CMenuElementUI* pOwner, const char* xml, POINT point, CPaintManagerUI* pMainPaintManager,
        MenuCheckMap* pMenuCheckInfo = nullptr, DWORD dwAlignment = eMenuAlignment_Left | eMenuAlignment_Top);
    CMenuUI* GetMenuUI() const { return m_pMenuRoot; }
    // Fits the window to the items again (after items were added or removed).
    void ResizeMenu();
    CPaintManagerUI* GetPaintManager() { return &m_pm; }
    MenuCheckMap* GetCheckMap() const { return m_pCheckMap; }
    // The open sub-menu of this menu, or null.
    CMenuWnd* GetSubMenu() const { return m_pSubMenu; }

    // Called by the items.
    void OnItemHover(CMenuElementUI* item);
    void OnItemClick(CMenuElementUI* item);

protected:
    const char* GetWindowClassName() const override { return "MenuWnd"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    // A sub-menu showing item's children next to it.
    void InitSubMenu(CMenuWnd* parent, CMenuElementUI* item);
    void CloseSubMenu();
    CMenuWnd* Root();
    void Place(POINT point, DWORD alignment, SIZE size);

    CPaintManagerUI m_pm;
    CMenuUI* m_pMenuRoot = nullptr;  // root control of m_pm
    CPaintManagerUI* m_pMainManager = nullptr;  // receives WM_MENUCLICK
    MenuCheckMap* m_pCheckMap = nullptr;
    CMenuWnd* m_pParentMenu = nullptr;  // null for the root menu
    CMenuElementUI* m_pOwnerItem = nullptr;  // the item whose children this sub-menu shows
    CMenuWnd* m_pSubMenu = nullptr;
    POINT m_ptAnchor{0, 0};
    DWORD m_dwAlignment = eMenuAlignment_Left | eMenuAlignment_Top;
};

}  // namespace DuiLib
