#include "platform/duilib/CShadowUI.h"

#include "platform/duilib/CMessageLoop.h"
#include "platform/duilib/CWindowWnd.h"
#include "platform/duilib/CX11Connection.h"

#include <algorithm>
#include <cmath>

namespace DuiLib {

CShadowUI::~CShadowUI()
{
    if (m_pManager)
        m_pManager->RemoveMessageFilter(this);
    if (m_xid != 0) {
        if (CMessageLoop* loop = CMessageLoop::PeekCurrent())
            loop->X().Destroy(m_xid);
    }
}

bool CShadowUI::Create(CPaintManagerUI* manager)
{
    CWindowWnd* window = manager ? CWindowWnd::FromHandle(manager->GetPaintWindow()) : nullptr;
    CMessageLoop* loop = CMessageLoop::PeekCurrent();
    if (window == nullptr || loop == nullptr || !window->IsCompositing())
        return false;
    m_xid = loop->X().CreateShadowWindow(window->GetNativeWindow());
    if (m_xid == 0)
        return false;
    m_pManager = manager;
    manager->AddMessageFilter(this);
    TShadowInfo& info = manager->GetShadow();
    if (info.nSize > 0)
        m_nSize = info.nSize;
    if (info.nDarkness > 0)
        m_nDarkness = info.nDarkness;
    if (info.nSharpness > 0)
        m_nSharpness = info.nSharpness;
    Update();
    return true;
}

void CShadowUI::ShowShadow(bool show)
{
    m_bShow = show;
    Update();
}

std::vector<uint8_t> CShadowUI::MakeShadow(
    int w, int h, int size, int sharpness, int darkness, DWORD rgb, POINT offset)
{
    size = std::max(0, size);
    int W = w + 2 * size, H = h + 2 * size;
    std::vector<uint8_t> pixels(
        static_cast<size_t>(std::max(0, W)) * static_cast<size_t>(std::max(0, H)) * 4, 0);
    double falloff = std::max(1, size - std::min(sharpness, size) / 2);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            // Distance outside the window rectangle (shifted by the offset).
            int left = size + offset.x, top = size + offset.y;
            double dx = std::max({0, left - x, x - (left + w - 1)});
            double dy = std::max({0, top - y, y - (top + h - 1)});
            double d = std::max(0.0, std::sqrt(dx * dx + dy * dy) - 1);  // full darkness next to the edge
            bool underWindow = x >= size && x < size + w && y >= size && y < size + h;
            double a = underWindow ? 0 : std::max(0.0, 1.0 - d / (falloff + 1)) * darkness;
            auto alpha = static_cast<uint8_t>(std::clamp(a, 0.0, 255.0));
            uint8_t* p = &pixels[(static_cast<size_t>(y) * W + x) * 4];
            p[0] = static_cast<uint8_t>((rgb & 0xFF) * alpha / 255);
            p[1] = static_cast<uint8_t>(((rgb >> 8) & 0xFF) * alpha / 255);
            p[2] = static_cast<uint8_t>(((rgb >> 16) & 0xFF) * alpha / 255);
            p[3] = alpha;
        }
    }
    return pixels;
}

void CShadowUI::Update()
{
    CMessageLoop* loop = CMessageLoop::PeekCurrent();
    CWindowWnd* window = m_pManager ? CWindowWnd::FromHandle(m_pManager->GetPaintWindow()) : nullptr;
    if (m_xid == 0 || loop == nullptr || window == nullptr)
        return;
    bool visible = m_bShow && window->IsVisible() && !window->IsMaximized();
    loop->X().Show(m_xid, visible, false);
    if (!visible)
        return;
    RECT rc;
    window->GetWindowRect(rc);
    int w = static_cast<int>(rc.right - rc.left), h = static_cast<int>(rc.bottom - rc.top);
    std::vector<uint8_t> pixels = MakeShadow(w, h, m_nSize, m_nSharpness, m_nDarkness, m_dwColor, m_ptOffset);
    loop->X().PutShadow(m_xid, static_cast<int>(rc.left) - m_nSize, static_cast<int>(rc.top) - m_nSize,
        pixels.data(), w + 2 * m_nSize, h + 2 * m_nSize);
}

LRESULT CShadowUI::MessageHandler(UINT uMsg, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    if (uMsg == WM_MOVE || uMsg == WM_SIZE || uMsg == WM_SHOWWINDOW || uMsg == WM_EXITSIZEMOVE)
        Update();
    else if (uMsg == WM_DESTROY && m_xid != 0) {
        if (CMessageLoop* loop = CMessageLoop::PeekCurrent())
            loop->X().Destroy(m_xid);
        m_xid = 0;
    }
    return 0;
}

}  // namespace DuiLib
