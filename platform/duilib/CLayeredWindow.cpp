#include "platform/duilib/CLayeredWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace DuiLib {
namespace {

// A connection of this class's own, opened on first use.
Display* Connection()
{
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

int g_errors = 0;
int CountError(Display*, XErrorEvent*)
{
    ++g_errors;
    return 0;
}

// Runs requests whose windows may vanish meanwhile (the owner's frame)
// without the default handler ending the process.
template <class F> bool Trapped(Display* display, F requests)
{
    XSync(display, False);
    g_errors = 0;
    auto previous = XSetErrorHandler(CountError);
    requests();
    XSync(display, False);
    XSetErrorHandler(previous);
    return g_errors == 0;
}

}  // namespace

CLayeredWindow::~CLayeredWindow()
{
    Destroy();
}

bool CLayeredWindow::IsCompositing()
{
    Display* display = Connection();
    if (display == nullptr)
        return false;
    char name[32];
    std::snprintf(name, sizeof(name), "_NET_WM_CM_S%d", DefaultScreen(display));
    Atom cm = XInternAtom(display, name, False);
    return XGetSelectionOwner(display, cm) != 0;
}

void CLayeredWindow::SetWindowShape(unsigned long xid, const std::vector<std::pair<int, int>>& rows)
{
    Display* display = Connection();
    if (display == nullptr || xid == 0)
        return;
    if (rows.empty()) {
        Trapped(display, [&] { XShapeCombineMask(display, xid, ShapeBounding, 0, 0, 0, ShapeSet); });
        return;
    }
    // Merge runs of equal rows into rectangles.
    std::vector<XRectangle> rects;
    for (size_t y = 0; y < rows.size();) {
        size_t next = y + 1;
        while (next < rows.size() && rows[next] == rows[y])
            ++next;
        if (rows[y].second > rows[y].first) {
            XRectangle r;
            r.x = static_cast<short>(rows[y].first);
            r.y = static_cast<short>(y);
            r.width = static_cast<unsigned short>(rows[y].second - rows[y].first);
            r.height = static_cast<unsigned short>(next - y);
            rects.push_back(r);
        }
        y = next;
    }
    Trapped(display, [&] {
        XShapeCombineRectangles(display, xid, ShapeBounding, 0, 0, rects.data(),
            static_cast<int>(rects.size()), ShapeSet, YXBanded);
    });
}

bool CLayeredWindow::Create(unsigned long ownerXid)
{
    Destroy();
    Display* display = Connection();
    if (display == nullptr)
        return false;
    XVisualInfo info;
    if (!XMatchVisualInfo(display, DefaultScreen(display), 32, TrueColor, &info))
        return false;
    Window root = RootWindow(display, DefaultScreen(display));
    XSetWindowAttributes attrs;
    std::memset(&attrs, 0, sizeof(attrs));
    attrs.colormap = XCreateColormap(display, root, info.visual, AllocNone);
    attrs.override_redirect = True;
    attrs.border_pixel = 0;
    attrs.background_pixel = 0;
    Window w = XCreateWindow(display, root, 0, 0, 1, 1, 0, 32, InputOutput, info.visual,
        CWColormap | CWOverrideRedirect | CWBorderPixel | CWBackPixel, &attrs);
    // Clicks fall through to whatever lies below.
    XShapeCombineRectangles(display, w, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    if (ownerXid)
        XSetTransientForHint(display, w, ownerXid);
    XFlush(display);
    m_xid = w;
    m_owner = ownerXid;
    m_colormap = attrs.colormap;
    m_mapped = false;
    return true;
}

void CLayeredWindow::Destroy()
{
    Display* display = Connection();
    if (m_xid == 0 || display == nullptr)
        return;
    XDestroyWindow(display, m_xid);
    XFreeColormap(display, m_colormap);
    XFlush(display);
    m_xid = 0;
    m_colormap = 0;
    m_mapped = false;
}

void CLayeredWindow::Update(int x, int y, int width, int height, const uint32_t* argb)
{
    Display* display = Connection();
    if (m_xid == 0 || width <= 0 || height <= 0)
        return;
    XMoveResizeWindow(display, m_xid, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XVisualInfo info;
    if (!XMatchVisualInfo(display, DefaultScreen(display), 32, TrueColor, &info))
        return;
    size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    char* data = static_cast<char*>(std::malloc(bytes));
    if (data == nullptr)
        return;
    XImage* image = XCreateImage(display, info.visual, 32, ZPixmap, 0, data, static_cast<unsigned>(width),
        static_cast<unsigned>(height), 32, 0);
    if (image == nullptr) {
        std::free(data);
        return;
    }
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            XPutPixel(image, col, row, argb[static_cast<size_t>(row) * static_cast<size_t>(width) + col]);
    GC gc = XCreateGC(display, m_xid, 0, nullptr);
    XPutImage(
        display, m_xid, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFreeGC(display, gc);
    XDestroyImage(image);
    XFlush(display);
}

void CLayeredWindow::Move(int x, int y)
{
    Display* display = Connection();
    if (m_xid == 0)
        return;
    XMoveWindow(display, m_xid, x, y);
    XFlush(display);
}

void CLayeredWindow::Show(bool show)
{
    Display* display = Connection();
    if (m_xid == 0)
        return;
    if (show) {
        XMapWindow(display, m_xid);
        m_mapped = true;
        StackBelowOwner();
    } else {
        XUnmapWindow(display, m_xid);
        m_mapped = false;
    }
    XFlush(display);
}

unsigned long CLayeredWindow::OwnerFrame() const
{
    Display* display = Connection();
    Window root = RootWindow(display, DefaultScreen(display));
    Window w = m_owner;
    // Walk up to the child of the root that holds the owner (a window
    // manager may have put it into a frame).
    for (int depth = 0; w != 0 && depth < 16; ++depth) {
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, w, &rootReturn, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return w;
        w = parent;
    }
    return 0;
}

void CLayeredWindow::StackBelowOwner()
{
    Display* display = Connection();
    if (m_xid == 0 || m_owner == 0)
        return;
    Trapped(display, [&] {
        unsigned long frame = OwnerFrame();
        if (frame == 0)
            return;
        XWindowChanges changes;
        std::memset(&changes, 0, sizeof(changes));
        changes.sibling = frame;
        changes.stack_mode = Below;
        XConfigureWindow(display, m_xid, CWSibling | CWStackMode, &changes);
    });
}

bool CLayeredWindow::IsMapped() const
{
    Display* display = Connection();
    if (m_xid == 0)
        return false;
    XWindowAttributes attrs;
    return XGetWindowAttributes(display, m_xid, &attrs) && attrs.map_state != IsUnmapped;
}

bool CLayeredWindow::GetGeometry(int& x, int& y, int& width, int& height) const
{
    Display* display = Connection();
    if (m_xid == 0)
        return false;
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(display, m_xid, &attrs))
        return false;
    x = attrs.x;
    y = attrs.y;
    width = attrs.width;
    height = attrs.height;
    return true;
}

bool CLayeredWindow::IsDirectlyBelowOwner() const
{
    Display* display = Connection();
    if (m_xid == 0)
        return false;
    unsigned long frame = OwnerFrame();
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(
            display, RootWindow(display, DefaultScreen(display)), &rootReturn, &parent, &children, &count))
        return false;
    bool below = false;
    // Children come bottom to top.
    for (unsigned i = 0; i + 1 < count; ++i)
        if (children[i] == m_xid)
            below = children[i + 1] == frame;
    if (children)
        XFree(children);
    return below;
}

}  // namespace DuiLib
