#include "tests/support/shell/TopLevelWindows.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

namespace kelvara::test {

namespace {

Window FindWindowNamed(Display* display, Window root, const std::string& title, int depth)
{
    Window rootReturn, parentReturn;
    Window* children = nullptr;
    unsigned count = 0;
    if (depth > 3 || !XQueryTree(display, root, &rootReturn, &parentReturn, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            XWindowAttributes attrs;
            if (title == name && XGetWindowAttributes(display, children[i], &attrs)
                && attrs.map_state == IsViewable)
                found = children[i];
            XFree(name);
        }
        if (found == 0)
            found = FindWindowNamed(display, children[i], title, depth + 1);
    }
    if (children)
        XFree(children);
    return found;
}

}  // namespace

unsigned long WaitForWindow(const std::string& title, int timeoutMs)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 0;
    Window found = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (found == 0 && std::chrono::steady_clock::now() < end) {
        found = FindWindowNamed(display, DefaultRootWindow(display), title, 0);
        if (found == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
    return found;
}

bool AskToClose(unsigned long window)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return true;
}

}  // namespace kelvara::test
