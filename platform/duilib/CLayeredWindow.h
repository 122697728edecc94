#pragma once
// Layered windows on X11: a translucent, click-through, override-redirect
// window with a 32-bit (ARGB) visual that is kept directly below another
// window in the stacking order (drop shadows), and the shape (XShape
// bounding region) of a window. Such windows only look translucent while a
// compositing manager runs; IsCompositing tells whether one does (the
// _NET_WM_CM_S<screen> selection has an owner).
//
// Uses a connection of its own to the X server. UI thread only.

#include <cstdint>
#include <utility>
#include <vector>

namespace DuiLib {

class CLayeredWindow
{
public:
    CLayeredWindow() = default;
    ~CLayeredWindow();
    CLayeredWindow(const CLayeredWindow&) = delete;
    CLayeredWindow& operator=(const CLayeredWindow&) = delete;

    static bool IsCompositing();
    // Limits a window to rows of pixels: row y covers [first, end). An empty
    // list gives the window back its whole rectangle.
    static void SetWindowShape(unsigned long xid, const std::vector<std::pair<int, int>>& rows);

    // Creates the (unmapped) window that will follow owner; false without a
    // display or a 32-bit visual.
    bool Create(unsigned long ownerXid);
    void Destroy();
    bool IsCreated() const { return m_xid != 0; }
    unsigned long GetXid() const { return m_xid; }
    // Places the window and fills it with premultiplied 0xAARRGGBB pixels
    // (rows top-down).
    void Update(int x, int y, int width, int height, const uint32_t* argb);
    void Move(int x, int y);
    // Maps (then restacks directly below the owner) or unmaps the window.
    void Show(bool show);
    // Puts the window directly below the owner's top-level window.
    void StackBelowOwner();

    // For checks: whether the window is mapped, its root geometry, and
    // whether it lies directly below the owner's top-level window.
    bool IsMapped() const;
    bool GetGeometry(int& x, int& y, int& width, int& height) const;
    bool IsDirectlyBelowOwner() const;

private:
    unsigned long OwnerFrame() const;

    unsigned long m_xid = 0;
    unsigned long m_owner = 0;
    unsigned long m_colormap = 0;
    bool m_mapped = false;
};

}  // namespace DuiLib
