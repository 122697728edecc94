// Xlib lives here only: its macros (None, Status) clash with SFML and the toolkit.
#include "app/view/CPreviewChildWindow.h"

#include "platform/duilib/CWindowWnd.h"
#include "platform/system/Tick.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <unistd.h>

namespace kelvara {
namespace {

// Errors on our own connections, and errors about preview windows on any
// connection (the host may destroy them with itself before SFML lets go),
// are expected and ignored; everything else goes to the handler before us.
std::mutex g_errorMutex;
std::set<Display*> g_ownDisplays;
std::set<XID> g_previewWindows;
XErrorHandler g_previousHandler = nullptr;

int PreviewErrorHandler(Display* display, XErrorEvent* error)
{
    {
        std::lock_guard<std::mutex> lock(g_errorMutex);
        if (g_ownDisplays.count(display) || g_previewWindows.count(error->resourceid))
            return 0;
    }
    return g_previousHandler ? g_previousHandler(display, error) : 0;
}

void InstallErrorHandler()
{
    static std::once_flag once;
    std::call_once(once, [] { g_previousHandler = XSetErrorHandler(&PreviewErrorHandler); });
}

Display* OpenOwnDisplay()
{
    InstallErrorHandler();
    Display* display = XOpenDisplay(nullptr);
    if (display) {
        std::lock_guard<std::mutex> lock(g_errorMutex);
        g_ownDisplays.insert(display);
    }
    return display;
}

void CloseOwnDisplay(Display* display)
{
    XCloseDisplay(display);
    std::lock_guard<std::mutex> lock(g_errorMutex);
    g_ownDisplays.erase(display);
}

std::string WindowTitle(Display* display, Window window)
{
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(
            display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data)
            == Success
        && data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

// Every window below root (window managers reparent top-level windows).
void CollectWindows(Display* display, Window root, std::vector<Window>& out, int depth = 0)
{
    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (depth > 4 || !XQueryTree(display, root, &rootReturn, &parentReturn, &children, &count))
        return;
    for (unsigned i = 0; i < count; ++i) {
        out.push_back(children[i]);
        CollectWindows(display, children[i], out, depth + 1);
    }
    if (children)
        XFree(children);
}

}  // namespace

CPreviewChildWindow::~CPreviewChildWindow()
{
    Destroy();
}

unsigned long CPreviewChildWindow::FindNativeWindow(HWND toolkitWindow)
{
    // The toolkit does not hand out its X window ids: mark the window with a
    // unique title, find that title from a connection of our own, and put
    // the old title back.
    DuiLib::CWindowWnd* wnd = DuiLib::CWindowWnd::FromHandle(toolkitWindow);
    if (wnd == nullptr)
        return 0;
    Display* display = OpenOwnDisplay();
    if (display == nullptr)
        return 0;
    std::vector<Window> windows;
    CollectWindows(display, DefaultRootWindow(display), windows);
    std::map<Window, std::string> titles;
    for (Window w : windows)
        titles[w] = WindowTitle(display, w);

    static std::atomic<unsigned> counter{0};
    const std::string token
        = "kelvara-preview-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1));
    wnd->SetWindowText(token.c_str());

    Window found = 0;
    for (int attempt = 0; attempt < 200 && found == 0; ++attempt) {
        if (attempt > 0)
            SleepMs(5);
        XSync(display, False);
        windows.clear();
        CollectWindows(display, DefaultRootWindow(display), windows);
        for (Window w : windows) {
            if (WindowTitle(display, w) == token) {
                found = w;
                break;
            }
        }
    }
    const auto old = titles.find(found);
    wnd->SetWindowText(old != titles.end() ? old->second.c_str() : "");
    CloseOwnDisplay(display);
    return found;
}

bool CPreviewChildWindow::Create(HWND parent)
{
    const unsigned long native = FindNativeWindow(parent);
    if (native == 0)
        return false;
    return CreateIn(native, parent);
}

bool CPreviewChildWindow::CreateIn(unsigned long parentNative, HWND parent)
{
    Destroy();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_display = OpenOwnDisplay();
    if (m_display == nullptr)
        return false;
    XSetWindowAttributes attrs{};
    attrs.background_pixmap = 0;  // None: the render thread paints everything
    attrs.event_mask = ExposureMask;
    Window window = XCreateWindow(m_display, parentNative, 0, 0, 320, 240, 0, CopyFromParent, InputOutput,
        CopyFromParent, CWBackPixmap | CWEventMask, &attrs);
    XSync(m_display, False);
    XWindowAttributes check;
    if (window == 0 || !XGetWindowAttributes(m_display, window, &check)) {
        CloseOwnDisplay(m_display);
        m_display = nullptr;
        return false;
    }
    {
        std::lock_guard<std::mutex> errors(g_errorMutex);
        g_previewWindows.insert(window);
    }
    // An empty input shape: the pointer falls through to the host window.
    XShapeCombineRectangles(m_display, window, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    XMapWindow(m_display, window);
    XFlush(m_display);
    m_window = window;
    m_parent = parent;
    return true;
}

void CPreviewChildWindow::Destroy()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_display == nullptr)
        return;
    if (m_window)
        XDestroyWindow(m_display, m_window);
    XSync(m_display, False);
    CloseOwnDisplay(m_display);
    m_display = nullptr;
    m_window = 0;
    m_parent = nullptr;
}

void CPreviewChildWindow::Move(int x, int y, int width, int height)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_window == 0 || width <= 0 || height <= 0)
        return;
    XMoveResizeWindow(m_display, m_window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(m_display);
}

void CPreviewChildWindow::Show(bool show)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_window == 0)
        return;
    if (show)
        XMapWindow(m_display, m_window);
    else
        XUnmapWindow(m_display, m_window);
    XFlush(m_display);
}

bool CPreviewChildWindow::TakeExposed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_display == nullptr)
        return false;
    bool exposed = false;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        exposed = exposed || event.type == Expose;
    }
    return exposed;
}

}  // namespace kelvara
