#pragma once
// The base of the program's skin-built modal dialogs: its own paint
// manager, the skin file, the owner window and a toolkit shadow. Creates
// itself with the dialog style, centred; "okbtn" and Enter run OnOK (close
// with 1), "cancelbtn", "closebtn" and Escape run OnCancel (close with 2);
// the caption band drags the window; the window's shape follows the skin's
// round corners. UI thread only.

#include "platform/duilib/UIlib.h"

#include <string>

class CBaseDialog : public DuiLib::CWindowWnd, public DuiLib::INotifyUI, public DuiLib::IDialogBuilderCallback
{
public:
    CBaseDialog(const char* skinFile, HWND owner);
    ~CBaseDialog() override;

    // Creates the window owned by the owner (style WS_POPUP | WS_VISIBLE |
    // WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU, the skin's
    // size) and centres it. Null when the skin cannot be built.
    HWND CreateDialogWindow();
    DuiLib::CPaintManagerUI* GetPaintManager() { return &m_pm; }
    DuiLib::CControlUI* FindControl(const char* name) const { return m_pm.FindControl(name); }
    HWND GetOwnerWindow() const { return m_hOwner; }
    // The most recently created dialog that is still open, or null.
    static CBaseDialog* Current();

    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::CControlUI* CreateControl(const char*) override { return nullptr; }

protected:
    const char* GetWindowClassName() const override { return "UIBaseDialog"; }
    const char* GetSuperClassName() const override { return nullptr; }
    UINT GetClassStyle() const override { return UI_CLASSSTYLE_DIALOG; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    virtual void OnWindowInit() { }
    virtual void OnOK() { Close(IDOK); }
    virtual void OnCancel() { Close(IDCANCEL); }
    virtual void OnSetFocus() { }
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual void InitWindow() { }

    DuiLib::CPaintManagerUI m_pm;
    std::string m_skinFile;
    HWND m_hOwner;
    DuiLib::CShadowUI m_shadow;
};
