#pragma once
// The per-window heart of the toolkit: owns the control tree attached to a
// window, lays it out and paints it when something changed, routes mouse
// and keyboard input to controls (hover, focus and capture tracking) and
// dispatches notifications to the window's notifiers. The static part holds
// the process-wide skin set-up.
//
// Threads: the static set-up calls are made once at start-up on the UI
// thread. Everything per window runs on the window's thread only.

#include "platform/duilib/CDirtyRegion.h"
#include "platform/duilib/CStdPtrArray.h"
#include "platform/duilib/CStdStringPtrMap.h"
#include "platform/duilib/UIDefs.h"
#include "platform/duilib/UIFont.h"

#include <SFML/Graphics/RenderTexture.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace DuiLib {

class CControlUI;
class CToolTipWnd;
struct TImageInfo;

// Drop shadow flags of the Window element (drawn by CShadowUI).
struct TShadowInfo
{
    bool bShow = false;
    int nSize = 0;
    int nSharpness = 0;
    int nDarkness = 0;
    DWORD dwColor = 0;
};

class CPaintManagerUI
{
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // ---- process-wide skin set-up ----
    static void SetInstance(void* instance);
    static void* GetInstance();
    static void* GetResourceDll();
    // The program's directory, with a trailing separator.
    static CDuiString GetInstancePath();
    static void SetResourceType(int type);
    static int GetResourceType();
    static void SetResourcePath(const char* path);
    static CDuiString GetResourcePath();
    // Installs the skin archive from memory (copied). False when it is no ZIP.
    static bool SetResourceZip(const void* bytes, unsigned int size);
    // Frees a record the library handed out (such as a menu command).
    static void DeletePtr(void* ptr);

    // ---- per window ----
    void Init(HWND hWnd, const char* name = nullptr);
    HWND GetPaintWindow() const { return m_hWndPaint; }
    // The surface controls are painted on; null before the first paint.
    sf::RenderTarget* GetPaintDC() { return m_surface.get(); }
    SIZE GetClientSize() const;
    SIZE GetInitSize() const { return m_szInitWindowSize; }
    void SetInitSize(int cx, int cy);
    RECT GetSizeBox() const { return m_rcSizeBox; }
    void SetSizeBox(const RECT& rc) { m_rcSizeBox = rc; }
    RECT GetCaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(const RECT& rc) { m_rcCaption = rc; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = SIZE{cx, cy}; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy) { m_szMinWindow = SIZE{cx, cy}; }
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy) { m_szMaxWindow = SIZE{cx, cy}; }
    TShadowInfo& GetShadow() { return m_shadow; }
    DWORD GetDefaultFontColor() const
    {
        return m_bDefaultColorSet || !m_pResourceParent ? m_dwDefaultFontColor
                                                        : m_pResourceParent->GetDefaultFontColor();
    }
    void SetDefaultFontColor(DWORD argb)
    {
        m_dwDefaultFontColor = argb;
        m_bDefaultColorSet = true;
    }
    DWORD GetDefaultDisabledColor() const { return m_dwDefaultDisabledColor; }
    void SetDefaultDisabledColor(DWORD argb) { m_dwDefaultDisabledColor = argb; }

    // Popups (menus, drop-downs, tooltips) borrow the fonts, default font and
    // colours of the window they belong to; their own settings come first.
    void SetResourceParent(CPaintManagerUI* parent) { m_pResourceParent = parent; }
    CPaintManagerUI* GetResourceParent() const { return m_pResourceParent; }

    // Fonts of the Font elements. GetFont(-1) or an unknown id gives the default font.
    HFONT AddFont(int id, const char* name, int size, bool bold, bool underline, bool italic);
    HFONT GetFont(int id);
    TFontInfo* GetFontInfo(int id) { return GetFont(id); }
    void SetDefaultFont(const char* name, int size, bool bold, bool underline, bool italic);
    TFontInfo* GetDefaultFontInfo();

    // Per-class default attributes (Default elements) and named styles.
    void AddDefaultAttributeList(const char* controlName, const char* list);
    const char* GetDefaultAttributeList(const char* controlName) const;
    void AddStyle(const char* name, const char* list);
    const char* GetStyle(const char* name) const;

    const TImageInfo* GetImage(const char* file);

    bool AttachDialog(CControlUI* root);
    // Hooks a control (and its children) into this window: names, groups.
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // Forgets a control that is going away: focus, hover, capture, names, pending notifications.
    void ReapObjects(CControlUI* control);
    CControlUI* GetRoot() const { return m_pRoot; }
    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindControl(const char* name) const;
    CControlUI* FindSubControlByPoint(CControlUI* parent, POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* parent, const char* name) const;

    bool AddOptionGroup(const char* group, CControlUI* control);
    CStdPtrArray* GetOptionGroup(const char* group);
    void RemoveOptionGroup(const char* group, CControlUI* control);

    CControlUI* GetFocus() const { return m_pFocus; }
    void SetFocus(CControlUI* control);
    // Moves the focus to the next (or previous) tab stop.
    bool SetNextTabControl(bool forward = true);
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_bMouseCapture; }
    CControlUI* GetHover() const { return m_pEventHover; }

    // Control timers: UIEVENT_TIMER to the control every elapseMs.
    bool SetTimer(CControlUI* control, UINT id, UINT elapseMs);
    bool KillTimer(CControlUI* control, UINT id);
    void KillTimer(CControlUI* control);

    // Relayout before the next paint.
    void NeedUpdate();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // Repaint soon: the whole window, or only rc (and whatever overlaps it).
    void Invalidate();
    void Invalidate(const RECT& rc);

    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    // Sync notifications run now; async ones after the current message.
    void SendNotify(TNotifyUI& msg, bool async = false);
    void SendNotify(
        CControlUI* control, const char* type, WPARAM wParam = 0, LPARAM lParam = 0, bool async = false);

    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    // Handles the window's message; true when it was consumed (lRes holds the result).
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

    // Lays out (when needed) and paints the whole window now; returns the
    // painted pixels (R,G,B,A rows) for inspection. Nothing goes to the screen.
    const sf::Image* PaintNow();
    // Number of paints so far (for tests of the paint-on-change rule).
    int GetPaintCount() const { return m_nPaintCount; }
    // The rectangles the last WM_PAINT painted and put on the screen.
    const CDirtyRegion& GetLastPaintRegion() const { return m_lastPaint; }

    // Tooltips: the hovered control's tooltip shows after the pointer rested
    // on it for delayMs (400 by default); input or leaving hides it.
    void SetToolTipDelay(UINT delayMs) { m_uToolTipDelay = delayMs; }
    // The tooltip window while one is shown, else null.
    CToolTipWnd* GetToolTipWindow() const;

private:
    void DispatchAsyncNotifications();
    bool HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam);
    bool HandleKey(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void SetHover(CControlUI* control, POINT pt);
    void SendEvent(CControlUI* control, int type, POINT pt, WPARAM wParam = 0, LPARAM lParam = 0);
    void HideToolTip();
    void ShowToolTip();
    // Lays out and sends the first-paint notifications; false when there is
    // nothing to paint (no tree, no size, or the window went away).
    bool PrepareLayout();
    // Makes the surface the client size; true when it is new (all of it
    // must be painted).
    bool PrepareSurface(SIZE size);
    // Paints the rectangles of region onto the surface, each clipped to itself.
    void PaintRegion(const CDirtyRegion& region);
    // WM_PAINT: paints what was invalidated and puts only that on the screen.
    void OnPaint();

    HWND m_hWndPaint = nullptr;
    CPaintManagerUI* m_pResourceParent = nullptr;  // borrowed
    bool m_bDefaultColorSet = false;
    bool m_bDefaultFontSet = false;
    CControlUI* m_pRoot = nullptr;  // owned
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    bool m_bMouseCapture = false;
    bool m_bUpdateNeeded = false;
    bool m_bFirstLayout = true;
    bool m_bFocusNeeded = false;
    bool m_bOffscreenPaint = false;
    POINT m_ptLastMouse{-1, -1};
    SIZE m_szInitWindowSize{0, 0};
    SIZE m_szMinWindow{0, 0};
    SIZE m_szMaxWindow{0, 0};
    SIZE m_szRoundCorner{0, 0};
    RECT m_rcSizeBox{0, 0, 0, 0};
    RECT m_rcCaption{0, 0, 0, 0};
    TShadowInfo m_shadow;
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    int m_nPaintCount = 0;

    std::vector<INotifyUI*> m_aNotifiers;
    std::vector<IMessageFilterUI*> m_aPreMessageFilters;
    std::vector<IMessageFilterUI*> m_aMessageFilters;
    std::vector<TNotifyUI> m_aAsyncNotify;
    CStdStringPtrMap m_mNameHash;  // name -> control
    std::map<std::string, std::unique_ptr<CStdPtrArray>> m_mOptionGroups;
    std::map<std::string, std::string> m_mDefaultAttrs;
    std::map<std::string, std::string> m_mStyles;
    std::map<int, std::unique_ptr<TFontInfo>> m_mFonts;
    std::unique_ptr<TFontInfo> m_defaultFont;
    struct ControlTimer
    {
        CControlUI* control;
        UINT localId;
        UINT windowId;
    };
    std::vector<ControlTimer> m_aTimers;
    UINT m_nextTimerId = 0x7F000000;

    std::unique_ptr<CToolTipWnd> m_pToolTip;
    CControlUI* m_pToolTipControl = nullptr;  // waiting for or showing its tooltip
    UINT m_uToolTipDelay = 400;

    std::unique_ptr<sf::RenderTexture> m_surface;
    sf::Image m_pixels;
    std::vector<uint8_t> m_readback;  // B,G,R,A rows read from the surface, bottom-up
    CDirtyRegion m_lastPaint;
};

}  // namespace DuiLib
