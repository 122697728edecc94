#pragma once
// Shared vocabulary of the toolkit: control events, notifications, the
// notifier and message-filter interfaces, find flags, control flags, text
// styles and the small geometry helpers. UI thread only.

#include "platform/duilib/CDuiString.h"
#include "platform/duilib/UIWindowMessages.h"

namespace DuiLib {

class CControlUI;

// Notification types (TNotifyUI::sType).
#define DUI_MSGTYPE_WINDOWINIT "windowinit"
#define DUI_MSGTYPE_CLICK "click"
#define DUI_MSGTYPE_SELECTCHANGED "selectchanged"
#define DUI_MSGTYPE_ITEMSELECT "itemselect"
#define DUI_MSGTYPE_VALUECHANGED "valuechanged"
#define DUI_MSGTYPE_MOVEVALUECHANGED "movevaluechanged"
#define DUI_MSGTYPE_TEXTCHANGED "textchanged"
#define DUI_MSGTYPE_LINK "link"
#define DUI_MSGTYPE_SETFOCUS "setfocus"
#define DUI_MSGTYPE_KILLFOCUS "killfocus"
#define DUI_MSGTYPE_TIMER "timer"
#define DUI_MSGTYPE_MENU "menu"

// Events a control receives from its paint manager.
enum EVENTTYPE_UI
{
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN,
    UIEVENT_KEYDOWN,
    UIEVENT_KEYUP,
    UIEVENT_CHAR,
    UIEVENT_SYSKEY,
    UIEVENT__KEYEND,
    UIEVENT__MOUSEBEGIN,
    UIEVENT_MOUSEMOVE,
    UIEVENT_MOUSELEAVE,
    UIEVENT_MOUSEENTER,
    UIEVENT_MOUSEHOVER,
    UIEVENT_BUTTONDOWN,
    UIEVENT_BUTTONUP,
    UIEVENT_RBUTTONDOWN,
    UIEVENT_RBUTTONUP,
    UIEVENT_DBLCLICK,
    UIEVENT_CONTEXTMENU,
    UIEVENT_SCROLLWHEEL,
    UIEVENT__MOUSEEND,
    UIEVENT_KILLFOCUS,
    UIEVENT_SETFOCUS,
    UIEVENT_WINDOWSIZE,
    UIEVENT_SETCURSOR,
    UIEVENT_TIMER,
    UIEVENT__LAST,
};

struct TEventUI
{
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse{0, 0};
    char chKey = 0;  // ASCII part of the key for UIEVENT_CHAR
    WORD wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// A notification sent to every INotifyUI of a window. For "itemselect"
// wParam is the new item index and lParam the previous one; for
// "selectchanged" wParam is the new selection state.
struct TNotifyUI
{
    CDuiString sType;
    CDuiString sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse{0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI
{
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// Sees every window message before the paint manager; setting bHandled
// stops it there and the returned value is the message's result.
class IMessageFilterUI
{
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

// Flags of CControlUI::FindControl.
constexpr UINT UIFIND_ALL = 0x00000000;
constexpr UINT UIFIND_VISIBLE = 0x00000001;
constexpr UINT UIFIND_ENABLED = 0x00000002;
constexpr UINT UIFIND_HITTEST = 0x00000004;
constexpr UINT UIFIND_UPDATETEST = 0x00000008;
constexpr UINT UIFIND_TOP_FIRST = 0x00000010;
constexpr UINT UIFIND_ME_FIRST = 0x80000000;

// Control flags (GetControlFlags).
constexpr UINT UIFLAG_TABSTOP = 0x00000001;
constexpr UINT UIFLAG_SETCURSOR = 0x00000002;
constexpr UINT UIFLAG_WANTRETURN = 0x00000004;

// Button states.
constexpr UINT UISTATE_FOCUSED = 0x00000001;
constexpr UINT UISTATE_SELECTED = 0x00000002;
constexpr UINT UISTATE_DISABLED = 0x00000004;
constexpr UINT UISTATE_HOT = 0x00000008;
constexpr UINT UISTATE_PUSHED = 0x00000010;
constexpr UINT UISTATE_READONLY = 0x00000020;
constexpr UINT UISTATE_CAPTURED = 0x00000040;

// Text styles of CRenderEngine::DrawText (the DT_* values of Win32).
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;

// Cursors of CWindowWnd::SetCursor.
enum UICURSOR
{
    UICURSOR_ARROW = 0,
    UICURSOR_WAIT,
    UICURSOR_HAND,
    UICURSOR_IBEAM,
    UICURSOR_SIZEWE,
    UICURSOR_SIZENS,
    UICURSOR_SIZENWSE,
    UICURSOR_SIZENESW,
    UICURSOR_SIZEALL,
};

inline bool PtInRect(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}
inline bool IsRectEmpty(const RECT& rc)
{
    return rc.right <= rc.left || rc.bottom <= rc.top;
}
// Intersection of a and b; false (and an empty result) when they do not meet.
bool IntersectRect(RECT& out, const RECT& a, const RECT& b);
inline RECT MakeRect(long l, long t, long r, long b)
{
    return RECT{l, t, r, b};
}

// Parses "#AARRGGBB" / "0xAARRGGBB" / "AARRGGBB" into ARGB.
DWORD ParseColor(const char* value);
// Parses "a,b,c,d" into a rectangle (missing numbers are 0).
RECT ParseRect(const char* value);
// Parses "a,b" into a size.
SIZE ParseSize(const char* value);
bool ParseBool(const char* value);

}  // namespace DuiLib
