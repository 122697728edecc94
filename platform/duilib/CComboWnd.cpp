#include "platform/duilib/CComboWnd.h"

#include "platform/duilib/CComboUI.h"
#include "platform/duilib/CVerticalLayoutUI.h"
#include "platform/duilib/UIListDefs.h"

#include <algorithm>

namespace DuiLib {

CComboWnd::CComboWnd(CComboUI* owner)
    : m_pOwner(owner)
{
}

bool CComboWnd::Open()
{
    CPaintManagerUI* ownerPm = m_pOwner->GetManager();
    CWindowWnd* ownerWindow = ownerPm ? CWindowWnd::FromHandle(ownerPm->GetPaintWindow()) : nullptr;
    if (ownerWindow == nullptr)
        return false;
    RECT windowRc;
    ownerWindow->GetWindowRect(windowRc);
    RECT combo = m_pOwner->GetPos();
    SIZE drop = m_pOwner->GetDropBoxSize();
    long width = drop.cx > 0 ? drop.cx : combo.right - combo.left;
    long content = 2;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* item = m_pOwner->GetItemAt(i);
        if (item->IsVisible())
            content += item->EstimateSize(SIZE{width, 0}).cy;
    }
    long height = std::min<long>(content, drop.cy > 0 ? drop.cy : 150);
    RECT monitor, work;
    ownerWindow->GetMonitorRects(monitor, work);
    long x = windowRc.left + combo.left;
    long y = windowRc.top + combo.bottom;
    if (y + height > work.bottom && windowRc.top + combo.top - height >= work.top)
        y = windowRc.top + combo.top - height;  // no room below: open upwards
    x = std::max(work.left, std::min(x, work.right - width));
    if (Create(ownerWindow->GetHWND(), "", WS_POPUP, WS_EX_TOOLWINDOW, static_cast<int>(x),
            static_cast<int>(y), static_cast<int>(width), static_cast<int>(height))
        == nullptr)
        return false;
    m_pm.Init(m_hWnd);
    m_pm.SetResourceParent(ownerPm);
    m_pLayout = new CVerticalLayoutUI;
    m_pLayout->SetAutoDestroy(false);
    m_pLayout->EnableScrollBar(true);
    m_pLayout->SetBkColor(0xFFFFFFFF);
    m_pLayout->SetBorderColor(0xFF7A7A7A);
    m_pLayout->SetBorderSize(1);
    m_pLayout->SetInset(RECT{1, 1, 1, 1});
    m_pm.AttachDialog(m_pLayout);
    for (int i = 0; i < m_pOwner->GetCount(); ++i)
        m_pLayout->Add(m_pOwner->GetItemAt(i));
    // Start with the chosen item in view.
    int selected = m_pOwner->GetCurSel();
    long top = 0;
    for (int i = 0; i < selected; ++i)
        top += m_pOwner->GetItemAt(i)->EstimateSize(SIZE{width, 0}).cy;
    m_pLayout->SetScrollPos(SIZE{0, top});
    ShowWindow(true, false);
    GrabInput();
    return true;
}

void CComboWnd::ReturnItems()
{
    if (m_pLayout == nullptr)
        return;
    m_pm.SetFocus(nullptr);
    m_pLayout->RemoveAll();  // not auto-destroying: the combo keeps them
    for (int i = 0; i < m_pOwner->GetCount(); ++i)
        m_pOwner->GetItemAt(i)->SetManager(m_pOwner->GetManager(), m_pOwner, false);
    m_pLayout = nullptr;
}

void CComboWnd::CloseNow()
{
    if (m_hWnd)
        DestroyWindow();
}

LRESULT CComboWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CANCELMODE:
        Close(IDCANCEL);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || wParam == VK_RETURN) {
            Close(IDOK);
            return 0;
        }
        if (wParam == VK_UP || wParam == VK_DOWN) {
            int step = wParam == VK_UP ? -1 : 1;
            int next = m_pOwner->FindSelectable(m_pOwner->GetCurSel() + step, step);
            if (next >= 0 && m_pOwner->SelectItem(next, false) && IsWindow(m_hWnd)) {
                CControlUI* item = m_pOwner->GetItemAt(next);
                m_pLayout->ScrollIntoView(item->GetPos());
            }
            return 0;
        }
        break;
    case WM_LBUTTONUP: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        HWND self = m_hWnd;
        LRESULT result = 0;
        m_pm.MessageHandler(uMsg, wParam, lParam, result);
        if (!IsWindow(self))
            return 0;
        CControlUI* hit = m_pm.FindControl(pt);
        if (hit && AsListItem(hit) && hit->IsEnabled())
            Close(IDOK);
        return 0;
    }
    case WM_DESTROY:
        ReturnItems();
        if (m_pOwner->m_pWindow == this)
            m_pOwner->m_pWindow = nullptr;
        m_pOwner->Invalidate();
        return 0;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CComboWnd::OnFinalMessage(HWND)
{
    delete this;
}

}  // namespace DuiLib
