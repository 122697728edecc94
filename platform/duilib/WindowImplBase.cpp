#include "platform/duilib/WindowImplBase.h"

#include "platform/duilib/CControlUI.h"

#include <cstdio>
#include <string>

namespace DuiLib {
namespace {

bool IsClass(CControlUI* control, const char* cls)
{
    return control && std::string(control->GetClass()) == cls;
}

}  // namespace

void WindowImplBase::OnFinalMessage(HWND)
{
    m_PaintManager.RemovePreMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    if (msg.sType == DUI_MSGTYPE_CLICK)
        OnClick(msg);
}

void WindowImplBase::OnClick(TNotifyUI& msg)
{
    CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
    if (name == "closebtn")
        Close();
    else if (name == "minbtn")
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == "maxbtn")
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == "restorebtn")
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam)
{
    if (wParam == VK_ESCAPE) {
        Close();
        return 1;
    }
    return 0;
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled)
{
    if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        LRESULT result = ResponseDefaultKeyEvent(wParam);
        bHandled = result != 0;
        return result;
    }
    return 0;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = true;
    m_PaintManager.Init(m_hWnd);
    m_PaintManager.AddPreMessageFilter(this);
    CDialogBuilder builder;
    CDuiString file = GetSkinFolder() + GetSkinFile();
    CControlUI* root = builder.Create(file, nullptr, this, &m_PaintManager);
    if (root == nullptr) {
        std::fprintf(stderr, "DuiLib: cannot load skin file '%s'\n", file.GetData());
        return -1;
    }
    m_PaintManager.AttachDialog(root);
    m_PaintManager.AddNotifier(this);
    SIZE init = m_PaintManager.GetInitSize();
    if (init.cx > 0 && init.cy > 0)
        ResizeClient(init.cx, init.cy);
    SIZE minSize = m_PaintManager.GetMinInfo();
    if (minSize.cx > 0 || minSize.cy > 0)
        SetMinSize(minSize.cx, minSize.cy);
    SIZE round = m_PaintManager.GetRoundCorner();
    if (round.cx > 0 || round.cy > 0)
        SetRoundCorners(round.cx, round.cy);
    InitWindow();
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT SkinFrameHitTest(CWindowWnd& window, CPaintManagerUI& pm, LPARAM lParam, bool sizingBorders)
{
    RECT rc;
    window.GetWindowRect(rc);
    POINT pt{GET_X_LPARAM(lParam) - rc.left, GET_Y_LPARAM(lParam) - rc.top};
    const long w = rc.right - rc.left;
    const long h = rc.bottom - rc.top;
    if (sizingBorders && !window.IsMaximized()) {
        RECT box = pm.GetSizeBox();
        bool left = pt.x < box.left;
        bool right = pt.x >= w - box.right;
        bool top = pt.y < box.top;
        bool bottom = pt.y >= h - box.bottom;
        if (top && left)
            return HTTOPLEFT;
        if (top && right)
            return HTTOPRIGHT;
        if (bottom && left)
            return HTBOTTOMLEFT;
        if (bottom && right)
            return HTBOTTOMRIGHT;
        if (left)
            return HTLEFT;
        if (right)
            return HTRIGHT;
        if (top)
            return HTTOP;
        if (bottom)
            return HTBOTTOM;
    }
    // The caption band: left and right are margins, top..bottom the band's height.
    RECT caption = pm.GetCaptionRect();
    if (pt.x >= caption.left && pt.x < w - caption.right && pt.y >= caption.top && pt.y < caption.bottom) {
        CControlUI* control = pm.FindControl(pt);
        if (control
            && (IsClass(control, "ButtonUI") || IsClass(control, "OptionUI") || IsClass(control, "TextUI")
                || IsClass(control, "CheckBoxUI")))
            return HTCLIENT;
        return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& bHandled)
{
    bHandled = true;
    return SkinFrameHitTest(*this, m_PaintManager, lParam, true);
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& bHandled)
{
    bHandled = true;
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    SIZE minSize = m_PaintManager.GetMinInfo();
    SIZE maxSize = m_PaintManager.GetMaxInfo();
    if (minSize.cx > 0)
        info->ptMinTrackSize.x = minSize.cx;
    if (minSize.cy > 0)
        info->ptMinTrackSize.y = minSize.cy;
    if (maxSize.cx > 0)
        info->ptMaxTrackSize.x = maxSize.cx;
    if (maxSize.cy > 0)
        info->ptMaxTrackSize.y = maxSize.cy;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    bHandled = true;
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        // Closed from outside (window manager, system menu): a cancel.
        Close(IDCANCEL);
        return 0;
    }
    LRESULT result = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    // Show whichever of maximise and restore applies now.
    CControlUI* maxButton = m_PaintManager.FindControl("maxbtn");
    CControlUI* restoreButton = m_PaintManager.FindControl("restorebtn");
    if (maxButton && restoreButton) {
        maxButton->SetVisible(!IsMaximized());
        restoreButton->SetVisible(IsMaximized());
    }
    return result;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnTimer(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = 0;
    if (m_PaintManager.PreMessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    bool bHandled = false;
    switch (uMsg) {
    case WM_CREATE:
        lRes = OnCreate(uMsg, wParam, lParam, bHandled);
        break;
    case WM_CLOSE:
        lRes = OnClose(uMsg, wParam, lParam, bHandled);
        break;
    case WM_DESTROY:
        lRes = OnDestroy(uMsg, wParam, lParam, bHandled);
        break;
    case WM_NCHITTEST:
        lRes = OnNcHitTest(uMsg, wParam, lParam, bHandled);
        break;
    case WM_GETMINMAXINFO:
        lRes = OnGetMinMaxInfo(uMsg, wParam, lParam, bHandled);
        break;
    case WM_SIZE:
        lRes = OnSize(uMsg, wParam, lParam, bHandled);
        break;
    case WM_SYSCOMMAND:
        lRes = OnSysCommand(uMsg, wParam, lParam, bHandled);
        break;
    case WM_KEYDOWN:
        lRes = OnKeyDown(uMsg, wParam, lParam, bHandled);
        break;
    case WM_KILLFOCUS:
        lRes = OnKillFocus(uMsg, wParam, lParam, bHandled);
        break;
    case WM_SETFOCUS:
        lRes = OnSetFocus(uMsg, wParam, lParam, bHandled);
        break;
    case WM_TIMER:
        lRes = OnTimer(uMsg, wParam, lParam, bHandled);
        break;
    default:
        break;
    }
    if (bHandled)
        return lRes;
    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled)
        return lRes;
    if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

}  // namespace DuiLib
