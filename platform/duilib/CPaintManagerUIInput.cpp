// CPaintManagerUI: message handling and input routing.
#include "platform/duilib/CControlUI.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CToolTipWnd.h"
#include "platform/duilib/CWindowWnd.h"

#include "platform/system/Tick.h"

#include <vector>

namespace DuiLib {
namespace {
constexpr UINT kToolTipTimer = 0x7EFFFF01;
}

CToolTipWnd* CPaintManagerUI::GetToolTipWindow() const
{
    return m_pToolTip && m_pToolTip->IsVisible() ? m_pToolTip.get() : nullptr;
}

void CPaintManagerUI::HideToolTip()
{
    if (m_pToolTipControl == nullptr)
        return;
    m_pToolTipControl = nullptr;
    if (CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint))
        window->KillTimer(kToolTipTimer);
    if (m_pToolTip)
        m_pToolTip->Hide();
}

void CPaintManagerUI::ShowToolTip()
{
    CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint);
    if (window)
        window->KillTimer(kToolTipTimer);
    if (m_pToolTipControl == nullptr || m_pToolTipControl != m_pEventHover || window == nullptr)
        return;
    CDuiString text = m_pToolTipControl->GetToolTip();
    if (text.IsEmpty())
        return;
    RECT rc;
    window->GetWindowRect(rc);
    if (!m_pToolTip)
        m_pToolTip = std::make_unique<CToolTipWnd>(this);
    m_pToolTip->ShowAt(POINT{rc.left + m_ptLastMouse.x, rc.top + m_ptLastMouse.y + 20}, text);
}

void CPaintManagerUI::SendEvent(CControlUI* control, int type, POINT pt, WPARAM wParam, LPARAM lParam)
{
    if (control == nullptr)
        return;
    TEventUI event;
    event.Type = type;
    event.pSender = control;
    event.ptMouse = pt;
    event.wParam = wParam;
    event.lParam = lParam;
    event.wKeyState = static_cast<WORD>(wParam);
    event.dwTimestamp = kelvara::GetTickCount();
    control->Event(event);
}

void CPaintManagerUI::SetHover(CControlUI* control, POINT pt)
{
    if (control == m_pEventHover)
        return;
    CControlUI* old = m_pEventHover;
    m_pEventHover = control;
    if (old)
        SendEvent(old, UIEVENT_MOUSELEAVE, pt);
    // The leave handler may have removed the new hover control.
    if (control && m_pEventHover == control)
        SendEvent(control, UIEVENT_MOUSEENTER, pt);
}

bool CPaintManagerUI::HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_ptLastMouse = pt;
    switch (uMsg) {
    case WM_MOUSEMOVE: {
        CControlUI* control = FindControl(pt);
        SetHover(control, pt);
        if (m_pEventHover != m_pToolTipControl) {
            HideToolTip();
            if (m_pEventHover && !m_pEventHover->GetToolTip().IsEmpty() && !m_pEventClick) {
                m_pToolTipControl = m_pEventHover;
                if (CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint))
                    window->SetTimer(kToolTipTimer, m_uToolTipDelay);
            }
        }
        if (m_pEventClick)
            SendEvent(m_pEventClick, UIEVENT_MOUSEMOVE, pt, wParam, lParam);
        else if (m_pEventHover)
            SendEvent(m_pEventHover, UIEVENT_MOUSEMOVE, pt, wParam, lParam);
        return false;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: {
        HideToolTip();
        CControlUI* control = FindControl(pt);
        if (control == nullptr)
            return false;
        m_pEventClick = control;
        control->SetFocus();
        SetCapture();
        // Focus notifications may have removed the control.
        if (m_pEventClick != control)
            return false;
        int type = uMsg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN
            : uMsg == WM_LBUTTONDBLCLK    ? UIEVENT_DBLCLICK
                                          : UIEVENT_RBUTTONDOWN;
        SendEvent(control, type, pt, wParam, lParam);
        return false;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        ReleaseCapture();
        CControlUI* control = m_pEventClick;
        m_pEventClick = nullptr;
        if (control == nullptr)
            return false;
        if (uMsg == WM_LBUTTONUP) {
            SendEvent(control, UIEVENT_BUTTONUP, pt, wParam, lParam);
        } else {
            std::weak_ptr<bool> alive = control->GetLifeToken();
            SendEvent(control, UIEVENT_RBUTTONUP, pt, wParam, lParam);
            if (!alive.expired())
                SendEvent(control, UIEVENT_CONTEXTMENU, pt, wParam, reinterpret_cast<LPARAM>(control));
        }
        return false;
    }
    case WM_MOUSEWHEEL: {
        RECT rc{0, 0, 0, 0};
        if (CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint))
            window->GetWindowRect(rc);
        POINT client{pt.x - rc.left, pt.y - rc.top};
        m_ptLastMouse = client;
        CControlUI* control = FindControl(client);
        // SB_LINEUP (0) for a turn away from the user, SB_LINEDOWN (1) towards.
        int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        SendEvent(control, UIEVENT_SCROLLWHEEL, client, delta < 0 ? 1 : 0, lParam);
        return false;
    }
    default:
        return false;
    }
}

bool CPaintManagerUI::HandleKey(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_pFocus == nullptr)
        return false;
    TEventUI event;
    event.Type = uMsg == WM_KEYDOWN ? UIEVENT_KEYDOWN : uMsg == WM_KEYUP ? UIEVENT_KEYUP : UIEVENT_CHAR;
    event.pSender = m_pFocus;
    event.chKey = static_cast<char>(wParam < 0x80 ? wParam : 0);
    event.wParam = wParam;
    event.lParam = lParam;
    event.ptMouse = m_ptLastMouse;
    event.dwTimestamp = kelvara::GetTickCount();
    m_pFocus->Event(event);
    return false;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (m_hWndPaint == nullptr)
        return false;
    std::vector<IMessageFilterUI*> filters = m_aMessageFilters;
    for (IMessageFilterUI* filter : filters) {
        bool handled = false;
        LRESULT result = filter->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = result;
            return true;
        }
    }
    switch (uMsg) {
    case WM_APP + 1:
        DispatchAsyncNotifications();
        return true;
    case WM_PAINT:
        OnPaint();
        lRes = 0;
        return true;
    case WM_SIZE:
        if (m_pRoot)
            m_pRoot->NeedUpdate();
        NeedUpdate();
        lRes = 0;
        return true;
    case WM_TIMER:
        if (wParam == kToolTipTimer) {
            ShowToolTip();
            lRes = 0;
            return true;
        }
        for (const ControlTimer& t : m_aTimers) {
            if (t.windowId == wParam) {
                SendEvent(t.control, UIEVENT_TIMER, m_ptLastMouse, t.localId, 0);
                lRes = 0;
                return true;
            }
        }
        return false;
    case WM_CLOSE:
    case WM_DESTROY:
        HideToolTip();
        SetHover(nullptr, m_ptLastMouse);
        return false;
    case WM_MOUSELEAVE:
        HideToolTip();
        SetHover(nullptr, m_ptLastMouse);
        return false;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
        return HandleMouse(uMsg, wParam, lParam);
    case WM_KEYDOWN:
        HideToolTip();
        return HandleKey(uMsg, wParam, lParam);
    case WM_KEYUP:
    case WM_CHAR:
        return HandleKey(uMsg, wParam, lParam);
    case WM_SETFOCUS:
        if (m_pFocus)
            SendEvent(m_pFocus, UIEVENT_SETFOCUS, m_ptLastMouse);
        return false;
    case WM_KILLFOCUS:
        ReleaseCapture();
        return false;
    case WM_SETCURSOR: {
        CControlUI* control = FindControl(m_ptLastMouse);
        if (control == nullptr || !(control->GetControlFlags() & UIFLAG_SETCURSOR))
            return false;
        SendEvent(control, UIEVENT_SETCURSOR, m_ptLastMouse, wParam, lParam);
        lRes = 1;
        return true;
    }
    default:
        return false;
    }
}

}  // namespace DuiLib
