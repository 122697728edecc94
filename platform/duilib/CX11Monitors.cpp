// Monitor geometry (XRandR) and window shapes (XShape) of CX11Connection.
#include "platform/duilib/CX11Connection.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace DuiLib {

int CX11Connection::PickMonitor(const std::vector<MonitorRect>& monitors, int x, int y)
{
    // The monitor holding the point, else the primary one, else the first.
    for (size_t i = 0; i < monitors.size(); ++i) {
        const MonitorRect& m = monitors[i];
        if (x >= m.x && x < m.x + m.width && y >= m.y && y < m.y + m.height)
            return static_cast<int>(i);
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (monitors[i].primary)
            return static_cast<int>(i);
    }
    return monitors.empty() ? -1 : 0;
}

bool CX11Connection::GetMonitorAt(int x, int y, int& monX, int& monY, int& monW, int& monH)
{
    if (m_display == nullptr)
        return false;
    int screen = DefaultScreen(m_display);
    std::vector<MonitorRect> list;
    int eventBase = 0;
    int errorBase = 0;
    if (XRRQueryExtension(m_display, &eventBase, &errorBase)) {
        int count = 0;
        XRRMonitorInfo* monitors = XRRGetMonitors(m_display, RootWindow(m_display, screen), True, &count);
        for (int i = 0; i < count; ++i) {
            if (monitors[i].width > 0 && monitors[i].height > 0)
                list.push_back(MonitorRect{monitors[i].x, monitors[i].y, monitors[i].width,
                    monitors[i].height, monitors[i].primary != 0});
        }
        if (monitors)
            XRRFreeMonitors(monitors);
    }
    int chosen = PickMonitor(list, x, y);
    if (chosen < 0)
        list.assign(
            1, MonitorRect{0, 0, DisplayWidth(m_display, screen), DisplayHeight(m_display, screen), true});
    const MonitorRect& m = list[chosen < 0 ? 0 : static_cast<size_t>(chosen)];
    monX = m.x;
    monY = m.y;
    monW = m.width;
    monH = m.height;
    return true;
}

void CX11Connection::SetRoundShape(unsigned long window, int width, int height, int radiusX, int radiusY)
{
    if (m_display == nullptr || window == 0)
        return;
    if (radiusX <= 0 || radiusY <= 0 || width <= 2 * radiusX || height <= 2 * radiusY) {
        // No rounding: the plain rectangle.
        XShapeCombineMask(m_display, window, ShapeBounding, 0, 0, 0, ShapeSet);
        XFlush(m_display);
        return;
    }
    // One rectangle per row of the rounded corners, one for the middle band.
    std::vector<XRectangle> rects;
    for (int row = 0; row < radiusY; ++row) {
        double dy = radiusY - row - 0.5;
        double dx = radiusX * std::sqrt(std::max(0.0, 1.0 - (dy * dy) / (radiusY * radiusY)));
        int inset = radiusX - static_cast<int>(std::lround(dx));
        auto w = static_cast<unsigned short>(std::max(0, width - 2 * inset));
        rects.push_back(XRectangle{static_cast<short>(inset), static_cast<short>(row), w, 1});
        rects.push_back(XRectangle{static_cast<short>(inset), static_cast<short>(height - 1 - row), w, 1});
    }
    rects.push_back(XRectangle{0, static_cast<short>(radiusY), static_cast<unsigned short>(width),
        static_cast<unsigned short>(height - 2 * radiusY)});
    XShapeCombineRectangles(m_display, window, ShapeBounding, 0, 0, rects.data(),
        static_cast<int>(rects.size()), ShapeSet, Unsorted);
    XFlush(m_display);
}

int CX11Connection::CountShapeRectangles(unsigned long window)
{
    if (m_display == nullptr || window == 0)
        return 0;
    int count = 0;
    int ordering = 0;
    XRectangle* rects = XShapeGetRectangles(m_display, window, ShapeBounding, &count, &ordering);
    if (rects)
        XFree(rects);
    return count;
}

}  // namespace DuiLib
