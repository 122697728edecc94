#pragma once
// A top-level toolkit window: an undecorated X window on which the skin
// draws its own caption and borders. Subclasses override HandleMessage and
// receive the WM_* messages listed in README.md.
//
// Threads: a window belongs to the thread that created it and every member
// function is for that thread only, except SendMessage and PostMessage,
// which any thread may call (see CMessageLoop for the rules). The global
// SendMessage/PostMessage on the window's HWND behave the same way.

#include "platform/duilib/CDirtyRegion.h"
#include "platform/duilib/UIDefs.h"

#include <cstddef>

#include <string>

namespace DuiLib {

class CMessageLoop;
struct X11Event;

class CWindowWnd
{
public:
    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }  // NOLINT
    // The window of a handle, on the window's own thread; null otherwise.
    static CWindowWnd* FromHandle(HWND hwnd);
    static bool IsWindow(HWND hwnd);

    bool RegisterWindowClass() { return true; }
    // Creates the window (hidden unless dwStyle has WS_VISIBLE) and sends
    // WM_CREATE. A CW_USEDEFAULT size leaves the size to WM_CREATE (skins
    // resize their window there); position CW_USEDEFAULT centres it.
    HWND Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc);
    HWND Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle, int x = CW_USEDEFAULT,
        int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT);
    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    // Shows the window and runs a nested loop until it is destroyed; the
    // owner gets no input meanwhile but still repaints. Returns the value
    // given to Close (from the last honoured WM_CLOSE).
    UINT ShowModal();
    // Asks the window to close: posts WM_CLOSE with nRet in wParam.
    void Close(UINT nRet = IDOK);
    // Destroys at once: WM_DESTROY, then WM_NCDESTROY and OnFinalMessage.
    void DestroyWindow();
    void CenterWindow();
    // Icon from an image registered with RegisterIconResource.
    void SetIcon(UINT nRes);
    static void RegisterIconResource(UINT nRes, const char* skinImageFile);
    void SetWindowText(const char* utf8Title);

    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessageW(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessage(uMsg, wParam, lParam);
    }
    bool PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

    void ResizeClient(int cx = -1, int cy = -1);
    // Screen rectangle of the window (top-level windows: client = window).
    bool GetWindowRect(RECT& rc) const;
    bool GetClientRect(RECT& rc) const;
    void MoveWindow(int x, int y, int cx, int cy);
    void SetMinSize(int cx, int cy);
    bool IsMaximized() const { return m_maximized; }
    bool IsMinimized() const { return m_minimized; }
    // Covers the whole monitor that holds the window (on), or goes back to
    // the placement from before (off), maximised again if it was.
    void SetFullscreen(bool on);
    bool IsFullscreen() const { return m_fullscreen; }
    // Shapes the window as a rectangle with rounded corners of the given
    // radii; square while maximised or full screen. Kept on size changes.
    void SetRoundCorners(int radiusX, int radiusY);
    bool IsVisible() const { return m_visible; }
    void SetCursor(int cursor);
    void SetFocus();
    HWND GetOwner() const { return m_owner; }
    bool IsPopup() const { return m_popup; }
    // While held, every click and key of this thread's windows goes to this
    // window and the windows it owns; a click anywhere else sends it
    // WM_CANCELMODE. For popups (menus, drop-downs).
    bool GrabInput();
    void ReleaseInput();
    // The X clipboard (CLIPBOARD selection), UTF-8.
    bool SetClipboardText(const char* utf8);
    bool GetClipboardText(CDuiString& utf8);
    // True when the desktop composites windows (translucency works).
    bool IsCompositing() const;
    // The X window id (for toolkit parts that draw outside the window).
    unsigned long GetNativeWindow() const { return m_xid; }
    // Screen and work area of the monitor holding the window's centre (the
    // primary one as fallback); the work area is clipped to that monitor.
    bool GetMonitorRects(RECT& rcMonitor, RECT& rcWork) const;

    // Window timers: WM_TIMER with wParam = id every elapseMs.
    bool SetTimer(UINT id, UINT elapseMs);
    bool KillTimer(UINT id);
    // Asks for a WM_PAINT soon that paints the whole window; repeated
    // requests paint once.
    void Invalidate();
    // Adds a client rectangle to the area the next WM_PAINT paints.
    void InvalidateRect(const RECT& rc);
    // The area to paint now, cut to the client area; the window's own
    // update region is empty afterwards (the painter's WM_PAINT calls it).
    CDirtyRegion TakeUpdateRegion();
    // Puts painted pixels on the client rectangle rc: B,G,R,A rows starting
    // with the top one, stride bytes apart (negative when bottom-up).
    void PresentPixels(const uint8_t* bgra, ptrdiff_t stride, const RECT& rc);
    // True when the window's pixels reach the X server through shared memory.
    bool UsesSharedMemory() const;

protected:
    virtual const char* GetWindowClassName() const = 0;
    virtual const char* GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return 0; }
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone (WM_NCDESTROY); may delete this.
    virtual void OnFinalMessage(HWND hWnd);
    // Default handling: WM_CLOSE destroys, WM_SYSCOMMAND maximises,
    // restores, minimises and closes, WM_NCHITTEST answers HTCLIENT.
    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

private:
    friend class CMessageLoop;
    LRESULT Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnXEvent(const X11Event& event);
    void OnButton(const X11Event& event);
    void OnMotion(const X11Event& event);
    void OnConfigure(int width, int height);
    void Maximize();
    void Restore();
    void ApplyShape();
    MINMAXINFO QueryMinMax();

    CMessageLoop* m_loop = nullptr;
    unsigned long m_xid = 0;
    HWND m_owner = nullptr;
    bool m_visible = false;
    bool m_popup = false;
    bool m_maximized = false;
    bool m_minimized = false;
    bool m_fullscreen = false;
    bool m_fullscreenWasMaximized = false;
    RECT m_fullscreenRestore{0, 0, 0, 0};
    SIZE m_roundCorners{0, 0};
    bool m_destroying = false;
    RECT m_rect{0, 0, 0, 0};  // screen rectangle as last known
    RECT m_normalRect{0, 0, 0, 0};  // before maximising
    // Caption dragging and border sizing: the hit-test code that started it.
    LRESULT m_dragHit = HTNOWHERE;
    POINT m_dragStart{0, 0};
    RECT m_dragRect{0, 0, 0, 0};
    MINMAXINFO m_dragLimits{};
    // Double-click detection.
    unsigned long m_lastClickMs = 0;
    int m_lastClickButton = 0;
    POINT m_lastClickPt{0, 0};
    int m_cursor = -1;
    // What the next WM_PAINT paints: everything, or the rectangles listed.
    bool m_updateAll = false;
    CDirtyRegion m_update;
};

}  // namespace DuiLib
