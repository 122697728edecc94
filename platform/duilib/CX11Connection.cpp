#include "platform/duilib/CX11Connection.h"

#include "platform/duilib/CX11Image.h"
#include "platform/duilib/UIDefs.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace DuiLib {
namespace {

// Xlib must be told about threads before any other call; the preview's
// render thread and SFML use their own connections in parallel.
__attribute__((constructor)) void InitXThreads()
{
    XInitThreads();
}

}  // namespace

CX11Connection::CX11Connection() = default;

CX11Connection::~CX11Connection()
{
    if (m_display == nullptr)
        return;
    m_images.clear();
    for (auto& entry : m_inputContexts)
        XDestroyIC(static_cast<XIC>(entry.second));
    m_inputContexts.clear();
    if (m_im)
        XCloseIM(static_cast<XIM>(m_im));
    for (unsigned long c : m_cursors) {
        if (c)
            XFreeCursor(m_display, c);
    }
    XCloseDisplay(m_display);
}

bool CX11Connection::Open()
{
    if (m_display)
        return true;
    m_display = XOpenDisplay(nullptr);
    if (m_display == nullptr)
        return false;
    m_atomDelete = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
    XSetLocaleModifiers("");
    m_im = XOpenIM(m_display, nullptr, nullptr, nullptr);
    return true;
}

int CX11Connection::GetFd() const
{
    return m_display ? ConnectionNumber(m_display) : -1;
}

unsigned long CX11Connection::CreateTopLevel(
    unsigned long owner, int x, int y, int width, int height, const char* className)
{
    return CreateWindowImpl(owner, x, y, width, height, className, false);
}

unsigned long CX11Connection::CreatePopup(
    unsigned long owner, int x, int y, int width, int height, const char* className)
{
    return CreateWindowImpl(owner, x, y, width, height, className, true);
}

unsigned long CX11Connection::CreateWindowImpl(
    unsigned long owner, int x, int y, int width, int height, const char* className, bool popup)
{
    int screen = DefaultScreen(m_display);
    XSetWindowAttributes attrs;
    std::memset(&attrs, 0, sizeof(attrs));
    attrs.background_pixmap = 0;  // None: no flicker, the toolkit paints everything
    attrs.bit_gravity = NorthWestGravity;
    attrs.override_redirect = popup ? True : False;
    attrs.save_under = popup ? True : False;
    attrs.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask
        | PointerMotionMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask | StructureNotifyMask;
    Window w = XCreateWindow(m_display, RootWindow(m_display, screen), x, y, static_cast<unsigned>(width),
        static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWBackPixmap | CWBitGravity | CWEventMask | CWOverrideRedirect | CWSaveUnder, &attrs);
    if (popup) {
        Atom type = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE", False);
        Atom menu = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
        XChangeProperty(
            m_display, w, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&menu), 1);
    }
    Atom protocols[] = {static_cast<Atom>(m_atomDelete)};
    XSetWMProtocols(m_display, w, protocols, 1);

    // No decorations: the skin draws caption and borders.
    struct
    {
        unsigned long flags, functions, decorations;
        long inputMode;
        unsigned long status;
    } hints = {2, 0, 0, 0, 0};
    Atom motif = XInternAtom(m_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(
        m_display, w, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&hints), 5);

    XClassHint classHint;
    std::string name = className ? className : "DuiLib";
    classHint.res_name = &name[0];
    classHint.res_class = &name[0];
    XSetClassHint(m_display, w, &classHint);

    // Place where asked, also under window managers that would pick a place.
    XSizeHints* sizeHints = XAllocSizeHints();
    sizeHints->flags = PPosition | PSize | USPosition;
    sizeHints->x = x;
    sizeHints->y = y;
    sizeHints->width = width;
    sizeHints->height = height;
    XSetWMNormalHints(m_display, w, sizeHints);
    XFree(sizeHints);

    if (owner)
        XSetTransientForHint(m_display, w, owner);
    if (m_im) {
        XIC ic = XCreateIC(static_cast<XIM>(m_im), XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
            XNClientWindow, w, XNFocusWindow, w, nullptr);
        if (ic)
            m_inputContexts[w] = ic;
    }
    XFlush(m_display);
    return w;
}

void CX11Connection::Destroy(unsigned long window)
{
    if (m_clipboardOwner == window)
        m_clipboardOwner = 0;  // the text stays readable by us, not by others
    auto cmap = m_shadowColormaps.find(window);
    if (cmap != m_shadowColormaps.end()) {
        XFreeColormap(m_display, cmap->second);
        m_shadowColormaps.erase(cmap);
    }
    m_images.erase(window);
    auto it = m_inputContexts.find(window);
    if (it != m_inputContexts.end()) {
        XDestroyIC(static_cast<XIC>(it->second));
        m_inputContexts.erase(it);
    }
    XDestroyWindow(m_display, window);
    XFlush(m_display);
}

void CX11Connection::Show(unsigned long window, bool show, bool takeFocus)
{
    if (show) {
        XMapRaised(m_display, window);
        if (takeFocus) {
            // The focus can only go to a viewable window: wait for the map.
            XSync(m_display, False);
            XWindowAttributes attrs;
            if (XGetWindowAttributes(m_display, window, &attrs) && attrs.map_state == IsViewable)
                XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
        }
    } else {
        XUnmapWindow(m_display, window);
    }
    XFlush(m_display);
}

void CX11Connection::MoveResize(unsigned long window, int x, int y, int width, int height)
{
    XMoveResizeWindow(m_display, window, x, y, static_cast<unsigned>(width > 0 ? width : 1),
        static_cast<unsigned>(height > 0 ? height : 1));
    XFlush(m_display);
}

void CX11Connection::SetTitle(unsigned long window, const std::string& utf8)
{
    Atom netName = XInternAtom(m_display, "_NET_WM_NAME", False);
    Atom utf8Type = XInternAtom(m_display, "UTF8_STRING", False);
    XChangeProperty(m_display, window, netName, utf8Type, 8, PropModeReplace,
        reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
    XStoreName(m_display, window, utf8.c_str());
    XFlush(m_display);
}

void CX11Connection::SetIcon(unsigned long window, int width, int height, const uint8_t* rgba)
{
    // _NET_WM_ICON: width, height, then ARGB pixels as longs.
    std::vector<unsigned long> data;
    data.reserve(2 + static_cast<size_t>(width) * static_cast<size_t>(height));
    data.push_back(static_cast<unsigned long>(width));
    data.push_back(static_cast<unsigned long>(height));
    for (int i = 0; i < width * height; ++i) {
        const uint8_t* p = rgba + 4 * i;
        data.push_back((static_cast<unsigned long>(p[3]) << 24) | (static_cast<unsigned long>(p[0]) << 16)
            | (static_cast<unsigned long>(p[1]) << 8) | p[2]);
    }
    Atom netIcon = XInternAtom(m_display, "_NET_WM_ICON", False);
    XChangeProperty(m_display, window, netIcon, XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
    XFlush(m_display);
}

void CX11Connection::SetMinSize(unsigned long window, int width, int height)
{
    XSizeHints* hints = XAllocSizeHints();
    long supplied = 0;
    XGetWMNormalHints(m_display, window, hints, &supplied);
    hints->flags |= PMinSize;
    hints->min_width = width;
    hints->min_height = height;
    XSetWMNormalHints(m_display, window, hints);
    XFree(hints);
    XFlush(m_display);
}

void CX11Connection::SetCursor(unsigned long window, int cursorKind)
{
    static const unsigned shapes[] = {XC_left_ptr, XC_watch, XC_hand2, XC_xterm, XC_sb_h_double_arrow,
        XC_sb_v_double_arrow, XC_bottom_right_corner, XC_bottom_left_corner, XC_fleur};
    if (cursorKind < 0 || cursorKind >= static_cast<int>(sizeof(shapes) / sizeof(shapes[0])))
        cursorKind = 0;
    if (m_cursors[cursorKind] == 0)
        m_cursors[cursorKind] = XCreateFontCursor(m_display, shapes[cursorKind]);
    XDefineCursor(m_display, window, m_cursors[cursorKind]);
    XFlush(m_display);
}

void CX11Connection::SetFocus(unsigned long window)
{
    XWindowAttributes attrs;
    if (XGetWindowAttributes(m_display, window, &attrs) && attrs.map_state == IsViewable)
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
    XFlush(m_display);
}

void CX11Connection::Raise(unsigned long window)
{
    XRaiseWindow(m_display, window);
    XFlush(m_display);
}

void CX11Connection::Iconify(unsigned long window)
{
    XIconifyWindow(m_display, window, DefaultScreen(m_display));
    XFlush(m_display);
}

bool CX11Connection::GetGeometry(unsigned long window, int& x, int& y, int& width, int& height)
{
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(m_display, window, &attrs))
        return false;
    Window child;
    XTranslateCoordinates(m_display, window, attrs.root, 0, 0, &x, &y, &child);
    width = attrs.width;
    height = attrs.height;
    return true;
}

void CX11Connection::GetScreen(int& width, int& height, int& workX, int& workY, int& workW, int& workH)
{
    int screen = DefaultScreen(m_display);
    width = DisplayWidth(m_display, screen);
    height = DisplayHeight(m_display, screen);
    workX = 0;
    workY = 0;
    workW = width;
    workH = height;
    // The window manager's work area, when one publishes it.
    Atom workArea = XInternAtom(m_display, "_NET_WORKAREA", True);
    if (workArea == 0)
        return;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, RootWindow(m_display, screen), workArea, 0, 4, False, XA_CARDINAL,
            &type, &format, &count, &after, &data)
            == Success
        && data && count >= 4 && format == 32) {
        long* v = reinterpret_cast<long*>(data);
        workX = static_cast<int>(v[0]);
        workY = static_cast<int>(v[1]);
        workW = static_cast<int>(v[2]);
        workH = static_cast<int>(v[3]);
    }
    if (data)
        XFree(data);
}

void CX11Connection::PutImageRect(
    unsigned long window, const uint8_t* bgra, ptrdiff_t stride, int x, int y, int width, int height)
{
    std::unique_ptr<CX11Image>& image = m_images[window];
    if (!image)
        image = std::make_unique<CX11Image>(m_display, window);
    image->Put(bgra, stride, x, y, width, height);
}

bool CX11Connection::UsesSharedMemory(unsigned long window) const
{
    auto it = m_images.find(window);
    return it != m_images.end() && it->second->UsesSharedMemory();
}

void CX11Connection::Flush()
{
    if (m_display)
        XFlush(m_display);
}

bool CX11Connection::Pending()
{
    return m_display && XPending(m_display) > 0;
}

bool CX11Connection::GrabInput(unsigned long window)
{
    UngrabInput();
    int pointer
        = XGrabPointer(m_display, window, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
            GrabModeAsync, GrabModeAsync, 0, 0, CurrentTime);
    int keyboard = XGrabKeyboard(m_display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    m_grabbed = true;
    XFlush(m_display);
    return pointer == GrabSuccess && keyboard == GrabSuccess;
}

void CX11Connection::UngrabInput()
{
    if (!m_grabbed)
        return;
    m_grabbed = false;
    XUngrabPointer(m_display, CurrentTime);
    XUngrabKeyboard(m_display, CurrentTime);
    XFlush(m_display);
}

bool CX11Connection::IsCompositing()
{
    char name[32];
    std::snprintf(name, sizeof(name), "_NET_WM_CM_S%d", DefaultScreen(m_display));
    Atom cm = XInternAtom(m_display, name, False);
    return XGetSelectionOwner(m_display, cm) != 0;
}

unsigned long CX11Connection::CreateShadowWindow(unsigned long owner)
{
    XVisualInfo info;
    if (!XMatchVisualInfo(m_display, DefaultScreen(m_display), 32, TrueColor, &info))
        return 0;
    Window root = RootWindow(m_display, DefaultScreen(m_display));
    XSetWindowAttributes attrs;
    std::memset(&attrs, 0, sizeof(attrs));
    attrs.colormap = XCreateColormap(m_display, root, info.visual, AllocNone);
    attrs.override_redirect = True;
    attrs.border_pixel = 0;
    attrs.background_pixel = 0;
    Window w = XCreateWindow(m_display, root, 0, 0, 1, 1, 0, 32, InputOutput, info.visual,
        CWColormap | CWOverrideRedirect | CWBorderPixel | CWBackPixel, &attrs);
    m_shadowColormaps[w] = attrs.colormap;
    // Clicks fall through the shadow to whatever lies below.
    XRectangle none;
    std::memset(&none, 0, sizeof(none));
    XShapeCombineRectangles(m_display, w, ShapeInput, 0, 0, &none, 0, ShapeSet, Unsorted);
    if (owner)
        XSetTransientForHint(m_display, w, owner);
    XFlush(m_display);
    return w;
}

void CX11Connection::PutShadow(unsigned long window, int x, int y, const uint8_t* bgra, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    XMoveResizeWindow(m_display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XVisualInfo info;
    if (!XMatchVisualInfo(m_display, DefaultScreen(m_display), 32, TrueColor, &info))
        return;
    size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    char* pixels = static_cast<char*>(malloc(bytes));
    if (pixels == nullptr)
        return;
    std::memcpy(pixels, bgra, bytes);
    XImage* image = XCreateImage(m_display, info.visual, 32, ZPixmap, 0, pixels, static_cast<unsigned>(width),
        static_cast<unsigned>(height), 32, 0);
    if (image == nullptr) {
        free(pixels);
        return;
    }
    GC gc = XCreateGC(m_display, window, 0, nullptr);
    XPutImage(m_display, window, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
        static_cast<unsigned>(height));
    XFreeGC(m_display, gc);
    XDestroyImage(image);
    XFlush(m_display);
}

}  // namespace DuiLib
