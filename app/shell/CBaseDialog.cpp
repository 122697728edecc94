#include "app/shell/CBaseDialog.h"

#include "app/shell/DialogFrame.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace DuiLib;

namespace {

std::vector<CBaseDialog*>& OpenDialogs()
{
    static std::vector<CBaseDialog*> dialogs;
    return dialogs;
}

}  // namespace

CBaseDialog::CBaseDialog(const char* skinFile, HWND owner)
    : m_skinFile(skinFile ? skinFile : "")
    , m_hOwner(owner)
{
}

CBaseDialog::~CBaseDialog()
{
    auto& open = OpenDialogs();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    if (GetHWND() != nullptr && CWindowWnd::IsWindow(GetHWND()))
        DestroyWindow();
}

CBaseDialog* CBaseDialog::Current()
{
    return OpenDialogs().empty() ? nullptr : OpenDialogs().back();
}

HWND CBaseDialog::CreateDialogWindow()
{
    // Shown by ShowModal once its size is final.
    constexpr DWORD style = UI_WNDSTYLE_DIALOG & ~WS_VISIBLE;
    if (Create(m_hOwner, "", style, WS_EX_WINDOWEDGE, 0, 0, CW_USEDEFAULT, CW_USEDEFAULT) == nullptr)
        return nullptr;
    CenterWindow();
    return GetHWND();
}

LRESULT CBaseDialog::OnCreate(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = true;
    m_pm.Init(m_hWnd);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(m_skinFile.c_str(), nullptr, this, &m_pm);
    if (root == nullptr) {
        std::fprintf(stderr, "cannot build dialog skin '%s'\n", m_skinFile.c_str());
        return -1;
    }
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    SIZE init = m_pm.GetInitSize();
    if (init.cx > 0 && init.cy > 0)
        ResizeClient(init.cx, init.cy);
    if (m_pm.GetShadow().bShow)
        m_shadow.Create(&m_pm);
    OpenDialogs().push_back(this);
    InitWindow();
    return 0;
}

LRESULT CBaseDialog::OnClose(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT CBaseDialog::OnTimer(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT CBaseDialog::OnKeyDown(UINT, WPARAM wParam, LPARAM, bool& bHandled)
{
    bHandled = false;
    if (wParam == VK_RETURN) {
        bHandled = true;
        OnOK();
    } else if (wParam == VK_ESCAPE) {
        bHandled = true;
        OnCancel();
    }
    return 0;
}

void CBaseDialog::Notify(TNotifyUI& msg)
{
    CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
    if (msg.sType == DUI_MSGTYPE_CLICK) {
        if (name == "okbtn")
            OnOK();
        else if (name == "cancelbtn" || name == "closebtn")
            OnCancel();
    } else if (msg.sType == DUI_MSGTYPE_WINDOWINIT) {
        OnWindowInit();
    } else if (msg.sType == DUI_MSGTYPE_SETFOCUS) {
        OnSetFocus();
    }
}

LRESULT CBaseDialog::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lRes = 0;
    if (HandleDialogFrameMessage(*this, m_pm, uMsg, wParam, lParam, lRes, true))
        return lRes;
    bool bHandled = false;
    switch (uMsg) {
    case WM_CREATE:
        lRes = OnCreate(uMsg, wParam, lParam, bHandled);
        break;
    case WM_CLOSE:
        lRes = OnClose(uMsg, wParam, lParam, bHandled);
        break;
    case WM_TIMER:
        lRes = OnTimer(uMsg, wParam, lParam, bHandled);
        break;
    case WM_KEYDOWN:
        lRes = OnKeyDown(uMsg, wParam, lParam, bHandled);
        break;
    default:
        break;
    }
    if (bHandled)
        return lRes;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return DefWindowProc(uMsg, wParam, lParam);
}

void CBaseDialog::OnFinalMessage(HWND)
{
    auto& open = OpenDialogs();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    m_pm.RemoveNotifier(this);
    std::printf("OnFinalMessage\n");
}
