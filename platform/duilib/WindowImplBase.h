#pragma once
// A skin-built window: builds its layout from GetSkinFile() when created,
// answers hit tests from the skin's caption band and size box, handles the
// system buttons "closebtn", "minbtn", "maxbtn" and "restorebtn", and
// routes messages: HandleCustomMessage, then the paint manager, then the
// default handling. Escape closes it unless ResponseDefaultKeyEvent says
// otherwise. UI thread only (see CWindowWnd).

#include "platform/duilib/CDialogBuilder.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CWindowWnd.h"

namespace DuiLib {

// Where a point (screen coordinates in lParam) of a skin-built window falls:
// the resize borders of the skin's size box (when sizingBorders, and not
// while maximised), the caption band (except over buttons, options, check
// boxes and text, which take their clicks), or the client area.
LRESULT SkinFrameHitTest(CWindowWnd& window, CPaintManagerUI& pm, LPARAM lParam, bool sizingBorders);

class WindowImplBase : public CWindowWnd,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback
{
public:
    WindowImplBase() = default;
    ~WindowImplBase() override = default;

    virtual void InitWindow() { }
    void OnFinalMessage(HWND hWnd) override;
    void Notify(TNotifyUI& msg) override;
    CPaintManagerUI* GetPaintManager() { return &m_PaintManager; }

protected:
    virtual CDuiString GetSkinFolder() { return CDuiString(); }
    virtual CDuiString GetSkinFile() = 0;
    const char* GetWindowClassName() const override = 0;
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    CControlUI* CreateControl(const char*) override { return nullptr; }
    // Enter and Escape arrive here first; returning non-zero consumes them.
    // Default: Escape closes the window.
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam);
    virtual void OnClick(TNotifyUI& msg);

    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

    CPaintManagerUI m_PaintManager;
};

}  // namespace DuiLib
