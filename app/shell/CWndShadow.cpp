#include "app/shell/CWndShadow.h"

#include "platform/duilib/CWindowWnd.h"

#include <algorithm>
#include <map>

using DuiLib::CWindowWnd;

namespace {

std::map<HWND, CWndShadow*>& Shadows()
{
    static std::map<HWND, CWndShadow*> shadows;
    return shadows;
}

// -1 not asked yet, 0 no compositor, 1 shadows on.
int g_available = -1;

}  // namespace

CWndShadow::~CWndShadow()
{
    Detach();
}

bool CWndShadow::Initialize()
{
    // Asked again each time: a compositor may start or stop while we run.
    g_available = DuiLib::CLayeredWindow::IsCompositing() ? 1 : 0;
    return g_available == 1;
}

CWndShadow* CWndShadow::FromOwner(HWND owner)
{
    auto it = Shadows().find(owner);
    return it == Shadows().end() ? nullptr : it->second;
}

void CWndShadow::Create(HWND owner, int cornerWidth, int cornerHeight)
{
    CWindowWnd* window = CWindowWnd::FromHandle(owner);
    if (g_available != 1 || window == nullptr)
        return;
    Detach();
    m_window = std::make_unique<DuiLib::CLayeredWindow>();
    if (!m_window->Create(window->GetNativeWindow())) {
        m_window.reset();
        return;
    }
    m_owner = owner;
    m_cornerWidth = cornerWidth;
    m_cornerHeight = cornerHeight;
    Shadows()[owner] = this;
    if (!window->IsVisible()) {
        m_status = SS_ENABLED;
    } else if (window->IsMaximized()) {
        m_status = SS_ENABLED | SS_PARENTVISIBLE;
    } else {
        m_status = SS_ENABLED | SS_PARENTVISIBLE | SS_VISABLE;
        m_window->Show(true);
        Update();
    }
}

void CWndShadow::Detach()
{
    if (m_owner) {
        auto it = Shadows().find(m_owner);
        if (it != Shadows().end() && it->second == this)
            Shadows().erase(it);
    }
    m_window.reset();
    m_owner = nullptr;
    m_status = 0;
}

void CWndShadow::Show(bool show)
{
    if (!m_window)
        return;
    m_window->Show(show);
    if (show)
        m_status |= SS_VISABLE;
    else
        m_status &= static_cast<uint8_t>(~SS_VISABLE);
}

void CWndShadow::OnOwnerMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (!m_window)
        return;
    CWindowWnd* window = CWindowWnd::FromHandle(m_owner);
    switch (uMsg) {
    case WM_DESTROY:
        m_window->Destroy();
        m_status = 0;
        break;
    case WM_NCDESTROY:
        Detach();
        break;
    case WM_MOVE:
        if (m_status & SS_VISABLE)
            m_window->Move(
                GET_X_LPARAM(lParam) + m_xOffset - m_size, GET_Y_LPARAM(lParam) + m_yOffset - m_size);
        break;
    case WM_SIZE:
        if (!(m_status & SS_ENABLED))
            break;
        if (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED) {
            Show(false);
        } else if (m_status & SS_PARENTVISIBLE) {
            int w = LOWORD(static_cast<uintptr_t>(lParam)), h = HIWORD(static_cast<uintptr_t>(lParam));
            // Growing: the owner paints its new part first, then the shadow follows.
            if (w > m_width || h > m_height)
                m_updatePending = true;
            else
                Update();
            if (!(m_status & SS_VISABLE))
                Show(true);
            m_width = static_cast<uint16_t>(w);
            m_height = static_cast<uint16_t>(h);
        }
        break;
    case WM_SYSCOMMAND:
        // Minimising through the toolkit unmaps the owner without a WM_SIZE.
        if ((wParam & 0xFFF0) == SC_MINIMIZE)
            Show(false);
        break;
    case WM_PAINT:
        if (m_updatePending) {
            m_updatePending = false;
            Update();
        }
        break;
    case WM_SHOWWINDOW:
        if (!(m_status & SS_ENABLED))
            break;
        if (wParam) {
            m_status |= SS_PARENTVISIBLE;
            if (window && !window->IsMaximized()) {
                m_updatePending = true;
                Show(true);
                Update();  // places it at once; the paint redraws it
            }
        } else {
            m_status &= static_cast<uint8_t>(~SS_PARENTVISIBLE);
            Show(false);
        }
        break;
    case WM_EXITSIZEMOVE:
        if (m_status & SS_VISABLE)
            Update();
        break;
    default:
        break;
    }
}

ShadowParams CWndShadow::GetParams() const
{
    ShadowParams p;
    p.darkness = m_darkness;
    p.sharpness = m_sharpness;
    p.size = m_size;
    p.xOffset = m_xOffset;
    p.yOffset = m_yOffset;
    p.colour = m_color;
    return p;
}

void CWndShadow::Update()
{
    CWindowWnd* window = CWindowWnd::FromHandle(m_owner);
    if (!m_window || window == nullptr)
        return;
    RECT rc;
    window->GetWindowRect(rc);
    int w = static_cast<int>(rc.right - rc.left), h = static_cast<int>(rc.bottom - rc.top);
    if (w <= 0 || h <= 0)
        return;
    std::vector<uint32_t> image
        = MakeShadowImage(RoundRectSpans(w, h, m_cornerWidth, m_cornerHeight), w, GetParams());
    int size = std::max<int>(0, m_size);
    m_window->Update(static_cast<int>(rc.left) + m_xOffset - size,
        static_cast<int>(rc.top) + m_yOffset - size, w + 2 * size, h + 2 * size, image.data());
    if (m_status & SS_VISABLE)
        m_window->StackBelowOwner();
}

bool CWndShadow::SetSize(int size)
{
    if (size > 20 || size < -20)
        return false;
    m_size = static_cast<int8_t>(size);
    if (m_status & SS_VISABLE)
        Update();
    return true;
}

bool CWndShadow::SetSharpness(unsigned sharpness)
{
    if (sharpness > 20)
        return false;
    m_sharpness = static_cast<uint8_t>(sharpness);
    if (m_status & SS_VISABLE)
        Update();
    return true;
}

bool CWndShadow::SetDarkness(unsigned darkness)
{
    if (darkness > 255)
        return false;
    m_darkness = static_cast<uint8_t>(darkness);
    if (m_status & SS_VISABLE)
        Update();
    return true;
}

bool CWndShadow::SetPosition(int x, int y)
{
    if (x > 20 || x < -20 || y > 20 || y < -20)
        return false;
    m_xOffset = static_cast<int8_t>(x);
    m_yOffset = static_cast<int8_t>(y);
    if (m_status & SS_VISABLE)
        Update();
    return true;
}

bool CWndShadow::SetColor(uint32_t colorRef)
{
    m_color = colorRef;
    if (m_status & SS_VISABLE)
        Update();
    return true;
}
