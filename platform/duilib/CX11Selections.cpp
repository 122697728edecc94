// The CLIPBOARD selection of CX11Connection: owning it, answering for it, reading it.
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

void CX11Connection::SetClipboardText(unsigned long window, const std::string& utf8)
{
    m_clipboard = utf8;
    Atom clipboard = XInternAtom(m_display, "CLIPBOARD", False);
    XSetSelectionOwner(m_display, clipboard, window, CurrentTime);
    m_clipboardOwner = XGetSelectionOwner(m_display, clipboard) == window ? window : 0;
    XFlush(m_display);
}

bool CX11Connection::GetClipboardText(unsigned long window, std::string& utf8)
{
    Atom clipboard = XInternAtom(m_display, "CLIPBOARD", False);
    Window owner = XGetSelectionOwner(m_display, clipboard);
    if (owner == 0) {
        // Nobody offers anything, unless our own owner window is gone.
        if (m_clipboard.empty())
            return false;
        utf8 = m_clipboard;
        return true;
    }
    if (m_clipboardOwner != 0 && owner == m_clipboardOwner) {
        utf8 = m_clipboard;
        return true;
    }
    Atom utf8Type = XInternAtom(m_display, "UTF8_STRING", False);
    Atom property = XInternAtom(m_display, "DUILIB_CLIPBOARD", False);
    XConvertSelection(m_display, clipboard, utf8Type, property, window, CurrentTime);
    XFlush(m_display);
    XEvent xe;
    bool answered = false;
    for (int i = 0; i < 200 && !answered; ++i) {
        if (XCheckTypedWindowEvent(m_display, window, SelectionNotify, &xe))
            answered = true;
        else
            usleep(5000);
    }
    if (!answered || xe.xselection.property == 0)
        return false;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    bool ok = XGetWindowProperty(m_display, window, property, 0, 1 << 22, True, AnyPropertyType, &type,
                  &format, &count, &after, &data)
            == Success
        && data && format == 8;
    if (ok)
        utf8.assign(reinterpret_cast<const char*>(data), count);
    if (data)
        XFree(data);
    return ok;
}

void CX11Connection::AnswerSelectionRequest(void* raw)
{
    XSelectionRequestEvent& req = static_cast<XEvent*>(raw)->xselectionrequest;
    XEvent reply;
    std::memset(&reply, 0, sizeof(reply));
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = req.requestor;
    reply.xselection.selection = req.selection;
    reply.xselection.target = req.target;
    reply.xselection.time = req.time;
    reply.xselection.property = 0;
    Atom utf8Type = XInternAtom(m_display, "UTF8_STRING", False);
    Atom targets = XInternAtom(m_display, "TARGETS", False);
    Atom property = req.property ? req.property : req.target;
    if (req.target == targets) {
        Atom offered[] = {targets, utf8Type, XA_STRING};
        XChangeProperty(m_display, req.requestor, property, XA_ATOM, 32, PropModeReplace,
            reinterpret_cast<unsigned char*>(offered), 3);
        reply.xselection.property = property;
    } else if (req.target == utf8Type || req.target == XA_STRING) {
        XChangeProperty(m_display, req.requestor, property, req.target, 8, PropModeReplace,
            reinterpret_cast<const unsigned char*>(m_clipboard.data()), static_cast<int>(m_clipboard.size()));
        reply.xselection.property = property;
    }
    XSendEvent(m_display, req.requestor, False, 0, &reply);
    XFlush(m_display);
}

}  // namespace DuiLib
