// X events of CX11Connection: reading them and turning them into records.
#include "platform/duilib/CX11Connection.h"

#include "platform/duilib/UIDefs.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

namespace DuiLib {
namespace {

unsigned KeyStateFromMask(unsigned mask)
{
    unsigned s = 0;
    if (mask & Button1Mask)
        s |= MK_LBUTTON;
    if (mask & Button3Mask)
        s |= MK_RBUTTON;
    if (mask & Button2Mask)
        s |= MK_MBUTTON;
    if (mask & ShiftMask)
        s |= MK_SHIFT;
    if (mask & ControlMask)
        s |= MK_CONTROL;
    return s;
}

unsigned VirtualKey(KeySym sym)
{
    if (sym >= XK_a && sym <= XK_z)
        return static_cast<unsigned>('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z)
        return static_cast<unsigned>('A' + (sym - XK_A));
    if (sym >= XK_0 && sym <= XK_9)
        return static_cast<unsigned>('0' + (sym - XK_0));
    if (sym >= XK_F1 && sym <= XK_F12)
        return static_cast<unsigned>(VK_F1 + (sym - XK_F1));
    switch (sym) {
    case XK_Return:
    case XK_KP_Enter:
        return VK_RETURN;
    case XK_Escape:
        return VK_ESCAPE;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return VK_TAB;
    case XK_BackSpace:
        return VK_BACK;
    case XK_space:
        return VK_SPACE;
    case XK_Delete:
        return VK_DELETE;
    case XK_Insert:
        return VK_INSERT;
    case XK_Left:
        return VK_LEFT;
    case XK_Right:
        return VK_RIGHT;
    case XK_Up:
        return VK_UP;
    case XK_Down:
        return VK_DOWN;
    case XK_Home:
        return VK_HOME;
    case XK_End:
        return VK_END;
    case XK_Prior:
        return VK_PRIOR;
    case XK_Next:
        return VK_NEXT;
    case XK_Shift_L:
    case XK_Shift_R:
        return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
        return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
        return VK_MENU;
    default:
        return 0;
    }
}

// Latin-1 bytes (what XLookupString gives without an input method) to UTF-8.
std::string Latin1ToUtf8(const char* s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Utf8Of(uint32_t cp)
{
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x110000) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

}  // namespace

bool CX11Connection::NextEvent(X11Event& event)
{
    while (XPending(m_display) > 0) {
        XEvent xe;
        XNextEvent(m_display, &xe);
        if (XFilterEvent(&xe, 0))
            continue;
        if (xe.type == SelectionRequest) {
            AnswerSelectionRequest(&xe);
            continue;
        }
        if (xe.type == MappingNotify) {
            // Keyboard layout changes (xdotool maps spare keys on the fly).
            // Reload now: the keys may be unmapped again by the time their
            // presses are looked up.
            XRefreshKeyboardMapping(&xe.xmapping);
            XKeysymToKeycode(m_display, XK_space);
            continue;
        }
        if (xe.type == SelectionClear) {
            m_clipboardOwner = 0;
            m_clipboard.clear();
            continue;
        }
        event = X11Event();
        Translate(&xe, event);
        if (event.type != X11Event::Nothing)
            return true;
    }
    return false;
}

void CX11Connection::Translate(void* raw, X11Event& out)
{
    XEvent& xe = *static_cast<XEvent*>(raw);
    out.window = xe.xany.window;
    switch (xe.type) {
    case ButtonPress:
    case ButtonRelease: {
        out.x = xe.xbutton.x;
        out.y = xe.xbutton.y;
        out.rootX = xe.xbutton.x_root;
        out.rootY = xe.xbutton.y_root;
        out.keyState = KeyStateFromMask(xe.xbutton.state);
        out.timeMs = xe.xbutton.time;
        unsigned b = xe.xbutton.button;
        if (b == 4 || b == 5) {
            if (xe.type == ButtonPress) {
                out.type = X11Event::Wheel;
                out.wheelDelta = b == 4 ? WHEEL_DELTA : -WHEEL_DELTA;
            }
            return;
        }
        if (b > 3)
            return;
        out.type = xe.type == ButtonPress ? X11Event::ButtonDown : X11Event::ButtonUp;
        out.button = static_cast<int>(b);
        return;
    }
    case MotionNotify:
        out.type = X11Event::Motion;
        out.x = xe.xmotion.x;
        out.y = xe.xmotion.y;
        out.rootX = xe.xmotion.x_root;
        out.rootY = xe.xmotion.y_root;
        out.keyState = KeyStateFromMask(xe.xmotion.state);
        out.timeMs = xe.xmotion.time;
        return;
    case KeyPress:
    case KeyRelease: {
        out.type = xe.type == KeyPress ? X11Event::KeyDown : X11Event::KeyUp;
        out.keyState = KeyStateFromMask(xe.xkey.state);
        out.timeMs = xe.xkey.time;
        KeySym sym = 0;
        char buffer[64];
        int n = 0;
        auto ic = m_inputContexts.find(xe.xkey.window);
        if (xe.type == KeyPress && ic != m_inputContexts.end()) {
            Status status;
            n = Xutf8LookupString(
                static_cast<XIC>(ic->second), &xe.xkey, buffer, sizeof(buffer) - 1, &sym, &status);
            if (status != XLookupChars && status != XLookupBoth)
                n = 0;
            if (status == XLookupChars)
                sym = XLookupKeysym(&xe.xkey, 0);
            out.text.assign(buffer, static_cast<size_t>(n > 0 ? n : 0));
        } else {
            n = XLookupString(&xe.xkey, buffer, sizeof(buffer) - 1, &sym, nullptr);
            if (xe.type == KeyPress)
                out.text = Latin1ToUtf8(buffer, n);
        }
        out.vk = VirtualKey(sym);
        // Without a UTF-8 locale the input method gives no text for keys
        // mapped to Unicode keysyms (what xdotool and many layouts use).
        if (xe.type == KeyPress && out.text.empty() && !(xe.xkey.state & ControlMask)) {
            unsigned long cp = 0;
            if ((sym & 0xFF000000UL) == 0x01000000UL)
                cp = sym & 0x00FFFFFFUL;
            else if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF))
                cp = sym;
            if (cp != 0)
                out.text = Utf8Of(static_cast<uint32_t>(cp));
        }
        return;
    }
    case EnterNotify:
    case LeaveNotify:
        if (xe.xcrossing.mode != NotifyNormal)
            return;
        out.type = xe.type == EnterNotify ? X11Event::Enter : X11Event::Leave;
        out.x = xe.xcrossing.x;
        out.y = xe.xcrossing.y;
        return;
    case FocusIn:
    case FocusOut:
        if (xe.xfocus.detail == NotifyPointer || xe.xfocus.detail == NotifyInferior
            || xe.xfocus.mode == NotifyGrab || xe.xfocus.mode == NotifyUngrab)
            return;
        out.type = xe.type == FocusIn ? X11Event::FocusGained : X11Event::FocusLost;
        return;
    case ConfigureNotify:
        out.type = X11Event::Configure;
        out.window = xe.xconfigure.window;
        out.width = xe.xconfigure.width;
        out.height = xe.xconfigure.height;
        return;
    case Expose:
        // Every exposed rectangle, so that only those are painted again.
        out.type = X11Event::Exposed;
        out.x = xe.xexpose.x;
        out.y = xe.xexpose.y;
        out.width = xe.xexpose.width;
        out.height = xe.xexpose.height;
        return;
    case MapNotify:
        out.type = X11Event::Map;
        out.window = xe.xmap.window;
        return;
    case UnmapNotify:
        out.type = X11Event::Unmap;
        out.window = xe.xunmap.window;
        return;
    case ClientMessage:
        if (static_cast<unsigned long>(xe.xclient.data.l[0]) == m_atomDelete)
            out.type = X11Event::CloseRequest;
        return;
    default:
        return;
    }
}

}  // namespace DuiLib
