// Painting of CPaintManagerUI: only what was invalidated is painted, and
// only those pixels are read back from the surface and sent to the screen.
#include "platform/duilib/CControlUI.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"
#include "platform/duilib/CWindowWnd.h"

#include <SFML/OpenGL.hpp>

namespace DuiLib {

bool CPaintManagerUI::PrepareLayout()
{
    SIZE size = GetClientSize();
    if (m_pRoot == nullptr || size.cx <= 0 || size.cy <= 0)
        return false;
    HWND self = m_hWndPaint;
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        m_pRoot->SetPos(RECT{0, 0, size.cx, size.cy}, false);
    }
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWINIT);
        if (!CWindowWnd::IsWindow(self))
            return false;
    }
    if (m_bFocusNeeded) {
        m_bFocusNeeded = false;
        SetNextTabControl();
        if (!CWindowWnd::IsWindow(self) || m_pRoot == nullptr)
            return false;
    }
    // Notifications may have changed the layout again, or the window's size
    // (a window that maximises itself when it first gets the focus).
    size = GetClientSize();
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        m_pRoot->SetPos(RECT{0, 0, size.cx, size.cy}, false);
    }
    return true;
}

bool CPaintManagerUI::PrepareSurface(SIZE size)
{
    if (m_surface && m_surface->getSize() == sf::Vector2u(size.cx, size.cy))
        return false;
    m_surface = std::make_unique<sf::RenderTexture>();
    if (!m_surface->create(static_cast<unsigned>(size.cx), static_cast<unsigned>(size.cy)))
        m_surface.reset();
    return true;
}

void CPaintManagerUI::PaintRegion(const CDirtyRegion& region)
{
    const sf::Vector2u size = m_surface->getSize();
    m_surface->setActive(true);
    m_surface->setView(sf::View(sf::FloatRect(0, 0, static_cast<float>(size.x), static_cast<float>(size.y))));
    for (const RECT& rc : region.Rects()) {
        // The clip keeps every control inside the rectangle being painted,
        // also one that draws past the rectangle it was given.
        CRenderEngine::ClipScope clip(*m_surface, rc);
        m_surface->clear(sf::Color(255, 255, 255, 255));
        m_pRoot->DoPaint(*m_surface, rc);
    }
    m_surface->display();
    ++m_nPaintCount;
}

void CPaintManagerUI::OnPaint()
{
    HWND self = m_hWndPaint;
    if (!PrepareLayout())
        return;
    CWindowWnd* window = CWindowWnd::FromHandle(self);
    if (window == nullptr)
        return;
    SIZE size = GetClientSize();
    bool fresh = PrepareSurface(size);
    if (!m_surface)
        return;
    CDirtyRegion region = window->TakeUpdateRegion();
    if (fresh) {
        region.Clear();
        region.Add(RECT{0, 0, size.cx, size.cy});
    }
    m_lastPaint = region;
    if (region.IsEmpty())
        return;
    PaintRegion(region);
    m_surface->setActive(true);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (const RECT& rc : region.Rects()) {
        const int width = static_cast<int>(rc.right - rc.left);
        const int height = static_cast<int>(rc.bottom - rc.top);
        const ptrdiff_t rowBytes = static_cast<ptrdiff_t>(width) * 4;
        m_readback.resize(static_cast<size_t>(rowBytes) * static_cast<size_t>(height));
        glReadPixels(static_cast<GLint>(rc.left), static_cast<GLint>(size.cy - rc.bottom), width, height,
            GL_BGRA, GL_UNSIGNED_BYTE, m_readback.data());
        // Rows arrive bottom-up: start at the last one and walk backwards.
        window->PresentPixels(m_readback.data() + rowBytes * (height - 1), -rowBytes, rc);
    }
}

const sf::Image* CPaintManagerUI::PaintNow()
{
    if (!PrepareLayout())
        return nullptr;
    SIZE size = GetClientSize();
    PrepareSurface(size);
    if (!m_surface)
        return nullptr;
    CDirtyRegion all;
    all.Add(RECT{0, 0, size.cx, size.cy});
    PaintRegion(all);
    m_pixels = m_surface->getTexture().copyToImage();
    return &m_pixels;
}

}  // namespace DuiLib
