#include "platform/duilib/CToolTipWnd.h"

#include "platform/duilib/CLabelUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <algorithm>

namespace DuiLib {

CToolTipWnd::CToolTipWnd(CPaintManagerUI* owner)
    : m_pOwner(owner)
{
}

CToolTipWnd::~CToolTipWnd()
{
    if (m_hWnd)
        DestroyWindow();
}

CDuiString CToolTipWnd::GetText() const
{
    return m_pLabel ? m_pLabel->GetText() : CDuiString();
}

void CToolTipWnd::ShowAt(POINT screen, const char* text)
{
    if (m_hWnd == nullptr) {
        if (Create(m_pOwner->GetPaintWindow(), "", WS_POPUP, WS_EX_TOOLWINDOW, screen.x, screen.y, 1, 1)
            == nullptr)
            return;
        m_pm.Init(m_hWnd);
        m_pm.SetResourceParent(m_pOwner);
        m_pLabel = new CLabelUI;
        m_pLabel->SetBkColor(0xFFFFFFE1);
        m_pLabel->SetBorderColor(0xFF767676);
        m_pLabel->SetBorderSize(1);
        m_pLabel->SetTextColor(0xFF202020);
        m_pLabel->SetTextPadding(RECT{6, 3, 6, 3});
        m_pm.AttachDialog(m_pLabel);
    }
    m_pLabel->SetText(text);
    SIZE size = CRenderEngine::GetTextSize(text, m_pm.GetFont(-1));
    long width = size.cx + 14;
    long height = size.cy + 8;
    RECT monitor, work;
    GetMonitorRects(monitor, work);
    long x = std::max(work.left, std::min<long>(screen.x, work.right - width));
    long y = screen.y;
    if (y + height > work.bottom)
        y = screen.y - height - 24;  // above the pointer
    MoveWindow(static_cast<int>(x), static_cast<int>(y), static_cast<int>(width), static_cast<int>(height));
    ShowWindow(true, false);
    m_pm.NeedUpdate();
}

void CToolTipWnd::Hide()
{
    if (m_hWnd && IsVisible())
        ShowWindow(false, false);
}

LRESULT CToolTipWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

}  // namespace DuiLib
