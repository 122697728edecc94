#include "platform/duilib/CMenuWnd.h"

#include "platform/duilib/CDialogBuilder.h"
#include "platform/duilib/CMenuUI.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace DuiLib {

CMenuWnd::CMenuWnd() = default;

CMenuWnd::~CMenuWnd()
{
    // Deleting an open root menu closes it (and its sub-menus) first.
    if (m_hWnd)
        DestroyWindow();
}

CMenuWnd* CMenuWnd::Root()
{
    CMenuWnd* menu = this;
    while (menu->m_pParentMenu)
        menu = menu->m_pParentMenu;
    return menu;
}

void CMenuWnd::Init(CMenuElementUI* pOwner, const char* xml, POINT point, CPaintManagerUI* pMainPaintManager,
    MenuCheckMap* pMenuCheckInfo, DWORD dwAlignment)
{
    if (pOwner != nullptr || m_hWnd != nullptr || pMainPaintManager == nullptr)
        return;  // sub-menus are opened by their items
    m_pMainManager = pMainPaintManager;
    m_pCheckMap = pMenuCheckInfo;
    m_ptAnchor = point;
    m_dwAlignment = dwAlignment;
    if (Create(pMainPaintManager->GetPaintWindow(), "", WS_POPUP, WS_EX_TOOLWINDOW, point.x, point.y, 1, 1)
        == nullptr)
        return;
    m_pm.Init(m_hWnd);
    m_pm.SetResourceParent(pMainPaintManager);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(xml, nullptr, nullptr, &m_pm);
    m_pMenuRoot = root ? static_cast<CMenuUI*>(root->GetInterface("Menu")) : nullptr;
    if (m_pMenuRoot == nullptr) {
        std::fprintf(stderr, "DuiLib: '%.64s' is no menu\n", xml ? xml : "");
        delete root;
        m_pMenuRoot = new CMenuUI;
        root = m_pMenuRoot;
    }
    m_pm.AttachDialog(root);
    ResizeMenu();
    ShowWindow(true, false);
    GrabInput();
}

void CMenuWnd::InitSubMenu(CMenuWnd* parent, CMenuElementUI* item)
{
    m_pParentMenu = parent;
    m_pOwnerItem = item;
    m_pMainManager = parent->m_pMainManager;
    m_pCheckMap = parent->m_pCheckMap;
    CWindowWnd* parentWindow = parent;
    RECT parentRc;
    parentWindow->GetWindowRect(parentRc);
    RECT itemRc = item->GetPos();
    m_ptAnchor = POINT{parentRc.right - 2, parentRc.top + itemRc.top - 2};
    m_dwAlignment = eMenuAlignment_Left | eMenuAlignment_Top;
    if (Create(parent->GetHWND(), "", WS_POPUP, WS_EX_TOOLWINDOW, m_ptAnchor.x, m_ptAnchor.y, 1, 1)
        == nullptr)
        return;
    m_pm.Init(m_hWnd);
    m_pm.SetResourceParent(m_pMainManager);
    m_pMenuRoot = new CMenuUI;
    m_pMenuRoot->SetAutoDestroy(false);
    // A sub-menu looks like the menu it opens from.
    if (CMenuUI* look = parent->m_pMenuRoot) {
        m_pMenuRoot->SetBkColor(look->GetBkColor());
        m_pMenuRoot->SetBorderColor(look->GetBorderColor());
        m_pMenuRoot->SetBorderSize(look->GetBorderSize());
        m_pMenuRoot->SetInset(look->GetInset());
    }
    m_pm.AttachDialog(m_pMenuRoot);
    // The item keeps owning its children; they are shown here meanwhile.
    for (int i = 0; i < item->GetCount(); ++i)
        m_pMenuRoot->Add(item->GetItemAt(i));
    ResizeMenu();
    ShowWindow(true, false);
}

void CMenuWnd::Place(POINT point, DWORD alignment, SIZE size)
{
    RECT monitor, work;
    GetMonitorRects(monitor, work);
    long x = (alignment & eMenuAlignment_Right) ? point.x - size.cx : point.x;
    long y = (alignment & eMenuAlignment_Bottom) ? point.y - size.cy : point.y;
    if (m_pParentMenu && x + size.cx > work.right) {
        // A sub-menu that does not fit on the right opens on the left.
        RECT parentRc;
        m_pParentMenu->GetWindowRect(parentRc);
        x = parentRc.left - size.cx + 2;
    }
    if (!m_pParentMenu && y + size.cy > work.bottom && point.y - size.cy >= work.top)
        y = point.y - size.cy;  // flip above the point
    x = std::max(work.left, std::min(x, work.right - size.cx));
    y = std::max(work.top, std::min(y, work.bottom - size.cy));
    MoveWindow(
        static_cast<int>(x), static_cast<int>(y), static_cast<int>(size.cx), static_cast<int>(size.cy));
}

void CMenuWnd::ResizeMenu()
{
    if (m_hWnd == nullptr || m_pMenuRoot == nullptr)
        return;
    // Items added by code meet the check map here.
    for (int i = 0; i < m_pMenuRoot->GetCount(); ++i)
        m_pMenuRoot->GetItemAt(i)->SetManager(&m_pm, m_pMenuRoot, false);
    Place(m_ptAnchor, m_dwAlignment, m_pMenuRoot->EstimateMenuSize());
    m_pm.NeedUpdate();
}

void CMenuWnd::CloseSubMenu()
{
    if (m_pSubMenu) {
        CMenuWnd* sub = m_pSubMenu;
        m_pSubMenu = nullptr;
        sub->DestroyWindow();  // deletes it
    }
}

void CMenuWnd::OnItemHover(CMenuElementUI* item)
{
    if (m_pSubMenu && m_pSubMenu->m_pOwnerItem == item)
        return;
    CloseSubMenu();
    if (!item->IsEnabled() || !item->HasSubMenu())
        return;
    auto* sub = new CMenuWnd;
    m_pSubMenu = sub;
    sub->InitSubMenu(this, item);
    if (sub->GetHWND() == nullptr) {
        m_pSubMenu = nullptr;
        delete sub;
    }
}

void CMenuWnd::OnItemClick(CMenuElementUI* item)
{
    if (item->GetCheckItem())
        item->SetChecked(!item->GetChecked());
    auto* cmd = static_cast<MenuCmd*>(::operator new(sizeof(MenuCmd)));
    std::memset(cmd, 0, sizeof(MenuCmd));
    std::snprintf(cmd->szName, sizeof(cmd->szName), "%s", item->GetName().GetData());
    std::snprintf(cmd->szUserData, sizeof(cmd->szUserData), "%s", item->GetUserData().GetData());
    std::snprintf(cmd->szText, sizeof(cmd->szText), "%s", item->GetText().GetData());
    cmd->bChecked = item->GetChecked() ? 1 : 0;
    CMenuWnd* root = Root();
    HWND owner = root->m_pMainManager ? root->m_pMainManager->GetPaintWindow() : nullptr;
    // Close first, deliver after: the receiver may delete the menu object.
    root->Close(IDOK);
    if (!::PostMessage(owner, WM_MENUCLICK, reinterpret_cast<WPARAM>(cmd), 0))
        CPaintManagerUI::DeletePtr(cmd);
}

LRESULT CMenuWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CANCELMODE:
        Root()->Close(IDCANCEL);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            Root()->Close(IDCANCEL);
            return 0;
        }
        break;
    case WM_DESTROY:
        CloseSubMenu();
        if (m_pOwnerItem && m_pMenuRoot) {
            m_pm.SetFocus(nullptr);
            m_pMenuRoot->RemoveAll();
            for (int i = 0; i < m_pOwnerItem->GetCount(); ++i)
                m_pOwnerItem->GetItemAt(i)->SetManager(m_pOwnerItem->GetManager(), m_pOwnerItem, false);
        }
        if (m_pParentMenu && m_pParentMenu->m_pSubMenu == this)
            m_pParentMenu->m_pSubMenu = nullptr;
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CMenuWnd::OnFinalMessage(HWND)
{
    if (m_pParentMenu)
        delete this;
}

}  // namespace DuiLib
