// Xlib lives here only: its macros (None, Status) clash with SFML and the toolkit.
#include "app/view/CPreviewChildWindow.h"

#include "platform/duilib/CWindowWnd.h"
#include "platform/system/Tick.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <cstdio>
#include <set>
#include <string>

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

}  // namespace

CPreviewChildWindow::~CPreviewChildWindow()
{
    Destroy();
}

unsigned long CPreviewChildWindow::FindNativeWindow(HWND toolkitWindow)
{
    DuiLib::CWindowWnd* wnd = DuiLib::CWindowWnd::FromHandle(toolkitWindow);
    return wnd ? wnd->GetNativeWindow() : 0;
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

bool CPreviewChildWindow::IsShownOnScreen()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_display == nullptr || m_window == 0)
        return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_display, m_window, &attributes))
        return false;
    return attributes.map_state == IsViewable;
}

int CPreviewChildWindow::ConnectionFd()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_display ? ConnectionNumber(m_display) : -1;
}

}  // namespace kelvara
