#include "platform/duilib/CWindowWnd.h"

#include "platform/duilib/CMessageLoop.h"
#include "platform/duilib/CResourceLoader.h"
#include "platform/duilib/CX11Connection.h"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>

namespace DuiLib {
namespace {

constexpr unsigned long kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 4;

std::mutex g_iconMutex;
std::map<UINT, std::string>& IconResources()
{
    static std::map<UINT, std::string> icons;
    return icons;
}

HWND NewHandle()
{
    // Handles are never reused, so a stale one finds no window.
    static std::atomic<uintptr_t> next{0x10000};
    return reinterpret_cast<HWND>(next.fetch_add(0x10));
}

bool IsSizingHit(LRESULT hit)
{
    return hit >= HTLEFT && hit <= HTBOTTOMRIGHT;
}

int CursorForHit(LRESULT hit)
{
    switch (hit) {
    case HTLEFT:
    case HTRIGHT:
        return UICURSOR_SIZEWE;
    case HTTOP:
    case HTBOTTOM:
        return UICURSOR_SIZENS;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        return UICURSOR_SIZENWSE;
    default:
        return UICURSOR_SIZENESW;
    }
}

}  // namespace

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd()
{
    // The object went away with its window still open: close it quietly.
    if (m_hWnd != nullptr && m_loop != nullptr) {
        UnregisterMessageReceiver(m_hWnd);
        m_loop->EndGrab(m_hWnd);
        m_loop->RemoveWindow(this);
        m_loop->PopModal(m_hWnd);
        m_loop->X().Destroy(m_xid);
    }
}

CWindowWnd* CWindowWnd::FromHandle(HWND hwnd)
{
    CMessageLoop* loop = CMessageLoop::PeekCurrent();
    return loop ? loop->FindWindow(hwnd) : nullptr;
}

bool CWindowWnd::IsWindow(HWND hwnd)
{
    return FromHandle(hwnd) != nullptr;
}

HWND CWindowWnd::Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc)
{
    return Create(
        hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

HWND CWindowWnd::Create(
    HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y, int cx, int cy)
{
    if (m_hWnd != nullptr)
        return m_hWnd;
    m_loop = CMessageLoop::GetCurrent();
    if (m_loop == nullptr)
        return nullptr;
    bool defaultPos = x == CW_USEDEFAULT || y == CW_USEDEFAULT;
    if (defaultPos)
        x = y = 0;
    if (cx == CW_USEDEFAULT || cx <= 0)
        cx = 400;
    if (cy == CW_USEDEFAULT || cy <= 0)
        cy = 300;

    m_hWnd = NewHandle();
    m_owner = hwndParent;
    CWindowWnd* owner = m_loop->FindWindow(hwndParent);
    m_popup = (dwStyle & WS_POPUP) && (dwExStyle & WS_EX_TOOLWINDOW);
    if (m_popup)
        m_xid = m_loop->X().CreatePopup(owner ? owner->m_xid : 0, x, y, cx, cy, GetWindowClassName());
    else
        m_xid = m_loop->X().CreateTopLevel(owner ? owner->m_xid : 0, x, y, cx, cy, GetWindowClassName());
    m_rect = RECT{x, y, x + cx, y + cy};
    m_loop->AddWindow(this, m_xid);

    HWND self = m_hWnd;
    std::shared_ptr<CLoopQueue> queue = m_loop->GetQueue();
    std::thread::id thread = m_loop->GetThreadId();
    RegisterMessageReceiver(
        self,
        [self, queue, thread](UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            if (std::this_thread::get_id() == thread) {
                CWindowWnd* window = FromHandle(self);
                return window ? window->Dispatch(msg, wp, lp) : 0;
            }
            return CMessageLoop::SendToOtherThread(queue, self, msg, wp, lp);
        },
        [self, queue](UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            auto request = std::make_shared<CLoopQueue::Request>();
            request->hwnd = self;
            request->msg = msg;
            request->wParam = wp;
            request->lParam = lp;
            request->posted = true;
            return queue->Push(request) ? 1 : 0;
        });
    SetWindowText(pstrName ? pstrName : "");

    if (Dispatch(WM_CREATE, 0, 0) == static_cast<LRESULT>(-1)) {
        DestroyWindow();
        return nullptr;
    }
    if (!IsWindow(self))
        return nullptr;
    if (defaultPos && !m_popup)
        CenterWindow();
    if (dwStyle & WS_VISIBLE)
        ShowWindow(true, !m_popup);
    return m_hWnd;
}

LRESULT CWindowWnd::Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return HandleMessage(uMsg, wParam, lParam);
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus)
{
    if (m_hWnd == nullptr)
        return;
    m_loop->X().Show(m_xid, bShow, bTakeFocus);
    if (m_visible == bShow)
        return;
    m_visible = bShow;
    HWND self = m_hWnd;
    Dispatch(WM_SHOWWINDOW, bShow ? 1 : 0, 0);
    if (bShow && IsWindow(self))
        Invalidate();
}

UINT CWindowWnd::ShowModal()
{
    if (m_hWnd == nullptr)
        return 0;
    HWND self = m_hWnd;
    CMessageLoop* loop = m_loop;
    loop->PushModal(self);
    ShowWindow(true, true);
    // This object may be deleted by OnFinalMessage inside the loop.
    loop->Run([loop, self] { return loop->FindWindow(self) != nullptr; });
    loop->PopModal(self);
    return loop->TakeCloseValue(self);
}

void CWindowWnd::Close(UINT nRet)
{
    PostMessage(WM_CLOSE, nRet, 0);
}

void CWindowWnd::DestroyWindow()
{
    if (m_hWnd == nullptr || m_destroying)
        return;
    m_destroying = true;
    HWND self = m_hWnd;
    Dispatch(WM_DESTROY, 0, 0);
    m_loop->EndGrab(self);
    UnregisterMessageReceiver(self);
    m_loop->RemoveWindow(this);
    m_loop->X().Destroy(m_xid);
    m_xid = 0;
    m_visible = false;
    Dispatch(WM_NCDESTROY, 0, 0);
    m_hWnd = nullptr;
    m_destroying = false;
    OnFinalMessage(self);
}

void CWindowWnd::CenterWindow()
{
    if (m_hWnd == nullptr)
        return;
    RECT area;
    RECT monitor;
    GetMonitorRects(monitor, area);
    CWindowWnd* owner = m_loop->FindWindow(m_owner);
    if (owner && owner->IsVisible())
        area = owner->m_rect;
    long w = m_rect.right - m_rect.left;
    long h = m_rect.bottom - m_rect.top;
    long x = area.left + ((area.right - area.left) - w) / 2;
    long y = area.top + ((area.bottom - area.top) - h) / 2;
    // Keep the caption reachable.
    if (x < monitor.left)
        x = monitor.left;
    if (y < monitor.top)
        y = monitor.top;
    MoveWindow(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h));
}

void CWindowWnd::RegisterIconResource(UINT nRes, const char* skinImageFile)
{
    std::lock_guard<std::mutex> lock(g_iconMutex);
    IconResources()[nRes] = skinImageFile ? skinImageFile : "";
}

void CWindowWnd::SetIcon(UINT nRes)
{
    if (m_hWnd == nullptr)
        return;
    std::string file;
    {
        std::lock_guard<std::mutex> lock(g_iconMutex);
        auto it = IconResources().find(nRes);
        if (it == IconResources().end())
            return;
        file = it->second;
    }
    std::vector<unsigned char> bytes;
    sf::Image image;
    if (!CResourceLoader::ReadFile(file, bytes) || !image.loadFromMemory(bytes.data(), bytes.size()))
        return;
    m_loop->X().SetIcon(m_xid, static_cast<int>(image.getSize().x), static_cast<int>(image.getSize().y),
        image.getPixelsPtr());
}

void CWindowWnd::SetWindowText(const char* utf8Title)
{
    if (m_hWnd)
        m_loop->X().SetTitle(m_xid, utf8Title ? utf8Title : "");
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessage(m_hWnd, uMsg, wParam, lParam);
}

bool CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessage(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::ResizeClient(int cx, int cy)
{
    if (m_hWnd == nullptr)
        return;
    int w = cx < 0 ? static_cast<int>(m_rect.right - m_rect.left) : cx;
    int h = cy < 0 ? static_cast<int>(m_rect.bottom - m_rect.top) : cy;
    MoveWindow(static_cast<int>(m_rect.left), static_cast<int>(m_rect.top), w, h);
}

bool CWindowWnd::GetWindowRect(RECT& rc) const
{
    if (m_hWnd == nullptr)
        return false;
    rc = m_rect;
    return true;
}

bool CWindowWnd::GetClientRect(RECT& rc) const
{
    if (m_hWnd == nullptr)
        return false;
    rc = RECT{0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top};
    return true;
}

void CWindowWnd::MoveWindow(int x, int y, int cx, int cy)
{
    if (m_hWnd == nullptr)
        return;
    if (cx < 1)
        cx = 1;
    if (cy < 1)
        cy = 1;
    m_loop->X().MoveResize(m_xid, x, y, cx, cy);
    // Report at once; the X server's confirmation then changes nothing.
    RECT old = m_rect;
    m_rect = RECT{x, y, x + cx, y + cy};
    HWND self = m_hWnd;
    if (old.left != m_rect.left || old.top != m_rect.top)
        Dispatch(WM_MOVE, 0, MAKELPARAM(x, y));
    if (IsWindow(self) && (old.right - old.left != cx || old.bottom - old.top != cy)) {
        if (m_roundCorners.cx > 0 || m_roundCorners.cy > 0)
            ApplyShape();
        Dispatch(WM_SIZE, m_maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, MAKELPARAM(cx, cy));
        if (IsWindow(self))
            Invalidate();
    }
}

void CWindowWnd::SetMinSize(int cx, int cy)
{
    if (m_hWnd)
        m_loop->X().SetMinSize(m_xid, cx, cy);
}

void CWindowWnd::SetCursor(int cursor)
{
    if (m_hWnd == nullptr || cursor == m_cursor)
        return;
    m_cursor = cursor;
    m_loop->X().SetCursor(m_xid, cursor);
}

bool CWindowWnd::GrabInput()
{
    if (m_hWnd == nullptr)
        return false;
    m_loop->BeginGrab(m_hWnd);
    return m_loop->X().GrabInput(m_xid);
}

void CWindowWnd::ReleaseInput()
{
    if (m_hWnd)
        m_loop->EndGrab(m_hWnd);
}

bool CWindowWnd::SetClipboardText(const char* utf8)
{
    if (m_hWnd == nullptr)
        return false;
    m_loop->X().SetClipboardText(m_xid, utf8 ? utf8 : "");
    return true;
}

bool CWindowWnd::GetClipboardText(CDuiString& utf8)
{
    std::string text;
    if (m_hWnd == nullptr || !m_loop->X().GetClipboardText(m_xid, text))
        return false;
    utf8 = text;
    return true;
}

bool CWindowWnd::IsCompositing() const
{
    CMessageLoop* loop = m_loop ? m_loop : CMessageLoop::GetCurrent();
    return loop && loop->X().IsCompositing();
}

void CWindowWnd::SetFocus()
{
    if (m_hWnd)
        m_loop->X().SetFocus(m_xid);
}

bool CWindowWnd::GetMonitorRects(RECT& rcMonitor, RECT& rcWork) const
{
    CMessageLoop* loop = m_loop ? m_loop : CMessageLoop::GetCurrent();
    if (loop == nullptr)
        return false;
    int w, h, wx, wy, ww, wh;
    loop->X().GetScreen(w, h, wx, wy, ww, wh);
    long cx = (m_rect.left + m_rect.right) / 2;
    long cy = (m_rect.top + m_rect.bottom) / 2;
    int mx = 0, my = 0, mw = w, mh = h;
    loop->X().GetMonitorAt(static_cast<int>(cx), static_cast<int>(cy), mx, my, mw, mh);
    rcMonitor = RECT{mx, my, mx + mw, my + mh};
    // The desktop's work area, clipped to this monitor.
    RECT work{std::max<long>(wx, mx), std::max<long>(wy, my), std::min<long>(wx + ww, mx + mw),
        std::min<long>(wy + wh, my + mh)};
    rcWork = work.right > work.left && work.bottom > work.top ? work : rcMonitor;
    return true;
}

void CWindowWnd::SetFullscreen(bool on)
{
    if (m_hWnd == nullptr || on == m_fullscreen)
        return;
    if (on) {
        RECT monitor, work;
        if (!GetMonitorRects(monitor, work))
            return;
        m_fullscreenRestore = m_rect;
        m_fullscreenWasMaximized = m_maximized;
        m_fullscreen = true;
        m_maximized = false;
        MoveWindow(static_cast<int>(monitor.left), static_cast<int>(monitor.top),
            static_cast<int>(monitor.right - monitor.left), static_cast<int>(monitor.bottom - monitor.top));
        m_loop->X().Raise(m_xid);
    } else {
        m_fullscreen = false;
        m_maximized = m_fullscreenWasMaximized;
        RECT r = m_fullscreenRestore;
        MoveWindow(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
            static_cast<int>(r.bottom - r.top));
    }
    ApplyShape();
}

void CWindowWnd::SetRoundCorners(int radiusX, int radiusY)
{
    m_roundCorners = SIZE{radiusX, radiusY};
    ApplyShape();
}

void CWindowWnd::ApplyShape()
{
    if (m_hWnd == nullptr || m_popup)
        return;
    bool square = m_maximized || m_fullscreen;
    m_loop->X().SetRoundShape(m_xid, static_cast<int>(m_rect.right - m_rect.left),
        static_cast<int>(m_rect.bottom - m_rect.top), square ? 0 : static_cast<int>(m_roundCorners.cx),
        square ? 0 : static_cast<int>(m_roundCorners.cy));
}

bool CWindowWnd::SetTimer(UINT id, UINT elapseMs)
{
    if (m_hWnd == nullptr)
        return false;
    m_loop->SetTimer(m_hWnd, id, elapseMs);
    return true;
}

bool CWindowWnd::KillTimer(UINT id)
{
    return m_hWnd != nullptr && m_loop->KillTimer(m_hWnd, id);
}

void CWindowWnd::Invalidate()
{
    if (m_hWnd == nullptr)
        return;
    m_updateAll = true;
    m_update.Clear();
    m_loop->RequestPaint(m_hWnd);
}

void CWindowWnd::InvalidateRect(const RECT& rc)
{
    if (m_hWnd == nullptr || rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    if (!m_updateAll)
        m_update.Add(rc);
    m_loop->RequestPaint(m_hWnd);
}

CDirtyRegion CWindowWnd::TakeUpdateRegion()
{
    RECT client{0, 0, 0, 0};
    GetClientRect(client);
    CDirtyRegion region;
    if (m_updateAll)
        region.Add(client);
    else
        region = m_update;
    region.Clip(client);
    m_updateAll = false;
    m_update.Clear();
    return region;
}

void CWindowWnd::PresentPixels(const uint8_t* bgra, ptrdiff_t stride, const RECT& rc)
{
    if (m_hWnd && m_visible)
        m_loop->X().PutImageRect(m_xid, bgra, stride, static_cast<int>(rc.left), static_cast<int>(rc.top),
            static_cast<int>(rc.right - rc.left), static_cast<int>(rc.bottom - rc.top));
}

bool CWindowWnd::UsesSharedMemory() const
{
    return m_hWnd && m_loop->X().UsesSharedMemory(m_xid);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProc(uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) { }

LRESULT CWindowWnd::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg) {
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            // Closed from outside (window manager, system menu): a cancel.
            Close(IDCANCEL);
            return 0;
        case SC_MAXIMIZE:
            Maximize();
            return 0;
        case SC_RESTORE:
            Restore();
            return 0;
        case SC_MINIMIZE:
            m_loop->X().Iconify(m_xid);
            return 0;
        default:
            return 0;
        }
    case WM_NCHITTEST:
        return HTCLIENT;
    default:
        return 0;
    }
}

MINMAXINFO CWindowWnd::QueryMinMax()
{
    RECT monitor, work;
    GetMonitorRects(monitor, work);
    MINMAXINFO mmi{};
    mmi.ptMaxPosition = POINT{work.left - monitor.left, work.top - monitor.top};
    mmi.ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
    mmi.ptMinTrackSize = POINT{1, 1};
    mmi.ptMaxTrackSize = POINT{65535, 65535};
    Dispatch(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    return mmi;
}

void CWindowWnd::Maximize()
{
    if (m_maximized || m_hWnd == nullptr)
        return;
    MINMAXINFO mmi = QueryMinMax();
    RECT monitor, work;
    GetMonitorRects(monitor, work);
    m_normalRect = m_rect;
    m_maximized = true;
    // Same size as before still reports the new state.
    m_rect.right = m_rect.left - 1;
    MoveWindow(static_cast<int>(monitor.left + mmi.ptMaxPosition.x),
        static_cast<int>(monitor.top + mmi.ptMaxPosition.y), static_cast<int>(mmi.ptMaxSize.x),
        static_cast<int>(mmi.ptMaxSize.y));
}

void CWindowWnd::Restore()
{
    if (!m_maximized || m_hWnd == nullptr)
        return;
    m_maximized = false;
    RECT r = m_normalRect;
    m_rect.right = m_rect.left - 1;
    MoveWindow(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
        static_cast<int>(r.bottom - r.top));
}

void CWindowWnd::OnConfigure(int width, int height)
{
    int x, y, w, h;
    if (m_loop->X().GetGeometry(m_xid, x, y, w, h)) {
        // Events queue up: an old one may report a size the window no longer
        // has (for example the first size, arriving after a maximise). The
        // server's answer now is the size that counts.
        width = w;
        height = h;
    } else {
        x = static_cast<int>(m_rect.left);
        y = static_cast<int>(m_rect.top);
    }
    RECT old = m_rect;
    m_rect = RECT{x, y, x + width, y + height};
    HWND self = m_hWnd;
    if (old.left != x || old.top != y)
        Dispatch(WM_MOVE, 0, MAKELPARAM(x, y));
    if (IsWindow(self) && (old.right - old.left != width || old.bottom - old.top != height)) {
        if (m_roundCorners.cx > 0 || m_roundCorners.cy > 0)
            ApplyShape();
        Dispatch(WM_SIZE, m_maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, MAKELPARAM(width, height));
        if (IsWindow(self))
            Invalidate();
    }
}

void CWindowWnd::OnXEvent(const X11Event& event)
{
    switch (event.type) {
    case X11Event::ButtonDown:
    case X11Event::ButtonUp:
        OnButton(event);
        break;
    case X11Event::Motion:
        OnMotion(event);
        break;
    case X11Event::Wheel:
        // Like Win32: screen coordinates, delta in the high word.
        Dispatch(WM_MOUSEWHEEL,
            (static_cast<WPARAM>(static_cast<uint16_t>(event.wheelDelta)) << 16) | event.keyState,
            MAKELPARAM(event.rootX, event.rootY));
        break;
    case X11Event::KeyDown: {
        HWND self = m_hWnd;
        // lParam carries the MK_SHIFT / MK_CONTROL state of the key.
        Dispatch(WM_KEYDOWN, event.vk, static_cast<LPARAM>(event.keyState));
        // One WM_CHAR per typed code point.
        const std::string& t = event.text;
        for (size_t i = 0; i < t.size() && IsWindow(self);) {
            unsigned char c = static_cast<unsigned char>(t[i]);
            int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            uint32_t cp = len == 1 ? c : c & (0x7F >> len);
            for (int k = 1; k < len && i + static_cast<size_t>(k) < t.size(); ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(t[i + static_cast<size_t>(k)]) & 0x3F);
            i += static_cast<size_t>(len);
            Dispatch(WM_CHAR, cp, 0);
        }
        break;
    }
    case X11Event::KeyUp:
        Dispatch(WM_KEYUP, event.vk, static_cast<LPARAM>(event.keyState));
        break;
    case X11Event::Leave:
        if (m_dragHit == HTNOWHERE)
            Dispatch(WM_MOUSELEAVE, 0, 0);
        break;
    case X11Event::FocusGained:
        Dispatch(WM_SETFOCUS, 0, 0);
        break;
    case X11Event::FocusLost:
        Dispatch(WM_KILLFOCUS, 0, 0);
        break;
    case X11Event::Configure:
        OnConfigure(event.width, event.height);
        break;
    case X11Event::Exposed:
        InvalidateRect(RECT{event.x, event.y, event.x + event.width, event.y + event.height});
        break;
    case X11Event::Unmap:
        // Unmapped while we keep it shown: the window manager minimised it.
        if (m_visible && !m_popup && !m_minimized) {
            m_minimized = true;
            Dispatch(WM_SIZE, SIZE_MINIMIZED, 0);
        }
        break;
    case X11Event::Map:
        if (m_minimized) {
            m_minimized = false;
            Dispatch(WM_SIZE, m_maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                MAKELPARAM(m_rect.right - m_rect.left, m_rect.bottom - m_rect.top));
            Invalidate();
        }
        break;
    case X11Event::CloseRequest:
        Dispatch(WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    default:
        break;
    }
}

void CWindowWnd::OnButton(const X11Event& event)
{
    WPARAM flag = event.button == 1 ? MK_LBUTTON : event.button == 3 ? MK_RBUTTON : MK_MBUTTON;
    LPARAM pos = MAKELPARAM(event.x, event.y);
    HWND self = m_hWnd;
    if (event.type == X11Event::ButtonUp) {
        if (event.button == 1 && m_dragHit != HTNOWHERE) {
            m_dragHit = HTNOWHERE;
            Dispatch(WM_EXITSIZEMOVE, 0, 0);
            return;
        }
        UINT msg = event.button == 1 ? WM_LBUTTONUP : event.button == 3 ? WM_RBUTTONUP : WM_MBUTTONUP;
        Dispatch(msg, event.keyState & ~flag, pos);
        return;
    }

    bool isDouble = (GetClassStyle() & CS_DBLCLKS) && event.button == m_lastClickButton
        && event.timeMs - m_lastClickMs <= kDoubleClickMs
        && std::abs(event.x - m_lastClickPt.x) <= kDoubleClickSlop
        && std::abs(event.y - m_lastClickPt.y) <= kDoubleClickSlop;
    m_lastClickButton = isDouble ? 0 : event.button;
    m_lastClickMs = event.timeMs;
    m_lastClickPt = POINT{event.x, event.y};
    if (!m_loop->X().Pending())
        SetFocus();

    if (event.button == 1) {
        LRESULT hit = Dispatch(WM_NCHITTEST, 0, MAKELPARAM(event.rootX, event.rootY));
        if (!IsWindow(self))
            return;
        if (hit == HTCAPTION && isDouble) {
            Dispatch(WM_SYSCOMMAND, m_maximized ? SC_RESTORE : SC_MAXIMIZE, 0);
            return;
        }
        if ((hit == HTCAPTION && !m_maximized) || (IsSizingHit(hit) && !m_maximized)) {
            m_dragHit = hit;
            m_dragStart = POINT{event.rootX, event.rootY};
            m_dragRect = m_rect;
            m_dragLimits = QueryMinMax();
            Dispatch(WM_ENTERSIZEMOVE, 0, 0);
            return;
        }
        if (hit == HTCAPTION)
            return;
    }
    UINT msg;
    if (event.button == 1)
        msg = isDouble ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    else if (event.button == 3)
        msg = isDouble ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
    else
        msg = WM_MBUTTONDOWN;
    Dispatch(msg, event.keyState | flag, pos);
}

void CWindowWnd::OnMotion(const X11Event& event)
{
    if (m_dragHit != HTNOWHERE) {
        long dx = event.rootX - m_dragStart.x;
        long dy = event.rootY - m_dragStart.y;
        RECT r = m_dragRect;
        const POINT minSize = m_dragLimits.ptMinTrackSize;
        if (m_dragHit == HTCAPTION) {
            r.left += dx;
            r.right += dx;
            r.top += dy;
            r.bottom += dy;
        } else {
            if (m_dragHit == HTLEFT || m_dragHit == HTTOPLEFT || m_dragHit == HTBOTTOMLEFT)
                r.left = std::min(r.left + dx, r.right - minSize.x);
            if (m_dragHit == HTRIGHT || m_dragHit == HTTOPRIGHT || m_dragHit == HTBOTTOMRIGHT)
                r.right = std::max(r.right + dx, r.left + minSize.x);
            if (m_dragHit == HTTOP || m_dragHit == HTTOPLEFT || m_dragHit == HTTOPRIGHT)
                r.top = std::min(r.top + dy, r.bottom - minSize.y);
            if (m_dragHit == HTBOTTOM || m_dragHit == HTBOTTOMLEFT || m_dragHit == HTBOTTOMRIGHT)
                r.bottom = std::max(r.bottom + dy, r.top + minSize.y);
        }
        MoveWindow(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
            static_cast<int>(r.bottom - r.top));
        return;
    }
    HWND self = m_hWnd;
    if (!(event.keyState & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
        LRESULT hit = Dispatch(WM_NCHITTEST, 0, MAKELPARAM(event.rootX, event.rootY));
        if (!IsWindow(self))
            return;
        if (IsSizingHit(hit) && !m_maximized)
            SetCursor(CursorForHit(hit));
        else if (Dispatch(WM_SETCURSOR, reinterpret_cast<WPARAM>(self), HTCLIENT) == 0 && IsWindow(self))
            SetCursor(UICURSOR_ARROW);
        if (!IsWindow(self))
            return;
    }
    Dispatch(WM_MOUSEMOVE, event.keyState, MAKELPARAM(event.x, event.y));
}

}  // namespace DuiLib
