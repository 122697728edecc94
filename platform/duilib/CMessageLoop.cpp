#include "platform/duilib/CMessageLoop.h"

#include "platform/duilib/CWindowWnd.h"
#include "platform/duilib/CX11Connection.h"

#include <algorithm>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace DuiLib {

// ---- CLoopQueue ----

CLoopQueue::CLoopQueue()
    : m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

CLoopQueue::~CLoopQueue()
{
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

void CLoopQueue::Wake()
{
    uint64_t one = 1;
    if (m_wakeFd >= 0)
        (void)!write(m_wakeFd, &one, sizeof(one));
    m_changed.notify_all();
}

void CLoopQueue::DrainWake()
{
    uint64_t value;
    if (m_wakeFd >= 0)
        (void)!read(m_wakeFd, &value, sizeof(value));
}

bool CLoopQueue::Push(const std::shared_ptr<Request>& request)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_alive)
            return false;
        (request->posted ? m_posted : m_sent).push_back(request);
    }
    Wake();
    return true;
}

void CLoopQueue::TakeAll(
    std::deque<std::shared_ptr<Request>>& sent, std::deque<std::shared_ptr<Request>>& posted)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    sent.swap(m_sent);
    posted.swap(m_posted);
}

bool CLoopQueue::HasWork()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_sent.empty();
}

bool CLoopQueue::IsDone(const std::shared_ptr<Request>& request)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return request->done;
}

void CLoopQueue::Complete(const std::shared_ptr<Request>& request, LRESULT result)
{
    if (request->posted)
        return;
    std::shared_ptr<CLoopQueue> waiter = request->waiter;
    std::lock_guard<std::mutex> lock(waiter->m_mutex);
    request->result = result;
    request->done = true;
    waiter->m_changed.notify_all();
}

void CLoopQueue::Shutdown()
{
    std::deque<std::shared_ptr<Request>> sent, posted;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_alive = false;
        sent.swap(m_sent);
        posted.swap(m_posted);
    }
    for (auto& request : sent)
        Complete(request, 0);
}

void CLoopQueue::WaitFor(const std::shared_ptr<Request>& request, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, timeout, [&] { return (request && request->done) || !m_sent.empty(); });
}

// ---- CMessageLoop ----

namespace {

thread_local std::unique_ptr<CMessageLoop> t_loop;

// Sender side of cross-thread sends from threads without windows.
std::shared_ptr<CLoopQueue>& ThreadWaitQueue()
{
    thread_local std::shared_ptr<CLoopQueue> queue = std::make_shared<CLoopQueue>();
    return queue;
}

}  // namespace

CMessageLoop::CMessageLoop()
    : m_x(std::make_unique<CX11Connection>())
    , m_queue(std::make_shared<CLoopQueue>())
    , m_thread(std::this_thread::get_id())
{
}

CMessageLoop::~CMessageLoop()
{
    m_queue->Shutdown();
}

CMessageLoop* CMessageLoop::GetCurrent()
{
    if (!t_loop) {
        std::unique_ptr<CMessageLoop> loop(new CMessageLoop());
        if (!loop->m_x->Open())
            return nullptr;
        t_loop = std::move(loop);
    }
    return t_loop.get();
}

CMessageLoop* CMessageLoop::PeekCurrent()
{
    return t_loop.get();
}

void CMessageLoop::AddWindow(CWindowWnd* window, unsigned long xid)
{
    m_windows[window->GetHWND()] = window;
    m_byXid[xid] = window->GetHWND();
}

void CMessageLoop::RemoveWindow(CWindowWnd* window)
{
    HWND hwnd = window->GetHWND();
    m_windows.erase(hwnd);
    for (auto it = m_byXid.begin(); it != m_byXid.end();) {
        it = it->second == hwnd ? m_byXid.erase(it) : std::next(it);
    }
    m_timers.erase(
        std::remove_if(m_timers.begin(), m_timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
        m_timers.end());
    m_paints.erase(std::remove(m_paints.begin(), m_paints.end(), hwnd), m_paints.end());
}

CWindowWnd* CMessageLoop::FindWindow(HWND hwnd) const
{
    auto it = m_windows.find(hwnd);
    return it == m_windows.end() ? nullptr : it->second;
}

LRESULT CMessageLoop::SendToOtherThread(
    const std::shared_ptr<CLoopQueue>& target, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CMessageLoop* mine = PeekCurrent();
    auto request = std::make_shared<CLoopQueue::Request>();
    request->hwnd = hwnd;
    request->msg = msg;
    request->wParam = wParam;
    request->lParam = lParam;
    request->waiter = mine ? mine->m_queue : ThreadWaitQueue();
    if (!target->Push(request))
        return 0;
    for (;;) {
        if (mine)
            mine->ProcessSentMessages();
        if (request->waiter->IsDone(request))
            return request->result;
        request->waiter->WaitFor(request, std::chrono::milliseconds(100));
    }
}

bool CMessageLoop::ProcessSentMessages()
{
    std::deque<std::shared_ptr<CLoopQueue::Request>> sent, posted;
    m_queue->TakeAll(sent, posted);
    // Posted messages taken here go back to the queue in order.
    for (auto& request : posted)
        m_queue->Push(request);
    for (auto& request : sent) {
        CWindowWnd* window = FindWindow(request->hwnd);
        LRESULT result = window ? window->Dispatch(request->msg, request->wParam, request->lParam) : 0;
        m_queue->Complete(request, result);
    }
    return !sent.empty();
}

void CMessageLoop::DispatchPosted(const std::shared_ptr<CLoopQueue::Request>& request)
{
    CWindowWnd* window = FindWindow(request->hwnd);
    if (window == nullptr)
        return;
    if (request->msg == WM_CLOSE) {
        m_closeValues[request->hwnd] = static_cast<UINT>(request->wParam);
        // Hand the focus back to the owner of a closing dialog first.
        if (!m_modal.empty() && m_modal.back() == request->hwnd) {
            if (CWindowWnd* owner = FindWindow(window->GetOwner()))
                owner->SetFocus();
        }
    }
    window->Dispatch(request->msg, request->wParam, request->lParam);
}

void CMessageLoop::BeginGrab(HWND popup)
{
    m_grab = popup;
}

void CMessageLoop::EndGrab(HWND popup)
{
    if (m_grab != popup || popup == nullptr)
        return;
    m_grab = nullptr;
    m_x->UngrabInput();
}

bool CMessageLoop::IsOwnedBy(CWindowWnd* window, HWND hwnd) const
{
    for (HWND h = window->GetHWND(); h != nullptr;) {
        if (h == hwnd)
            return true;
        CWindowWnd* w = FindWindow(h);
        h = w ? w->GetOwner() : nullptr;
    }
    return false;
}

bool CMessageLoop::RouteGrabbed(CWindowWnd* window, const X11Event& event)
{
    CWindowWnd* popup = FindWindow(m_grab);
    if (popup == nullptr) {
        EndGrab(m_grab);
        return false;
    }
    bool pointer = event.type == X11Event::ButtonDown || event.type == X11Event::ButtonUp
        || event.type == X11Event::Motion || event.type == X11Event::Wheel;
    if (!pointer) {
        // Keys go to the focused window, which is not the popup: while the
        // popup holds the input, its keys (Escape, arrows, Enter) are its own.
        bool key = event.type == X11Event::KeyDown || event.type == X11Event::KeyUp;
        if (!key || IsOwnedBy(window, m_grab))
            return false;
        popup->OnXEvent(event);
        return true;
    }
    bool inside = IsOwnedBy(window, m_grab);
    if (inside && window == popup) {
        // Outside every window of ours the grab reports to the popup itself.
        RECT rc;
        popup->GetClientRect(rc);
        inside = event.x >= 0 && event.y >= 0 && event.x < rc.right && event.y < rc.bottom;
    }
    if (inside)
        return false;
    if (event.type == X11Event::ButtonDown)
        popup->Dispatch(WM_CANCELMODE, 0, 0);
    return true;
}

bool CMessageLoop::AcceptsInput(CWindowWnd* window) const
{
    if (m_modal.empty())
        return true;
    HWND top = m_modal.back();
    // The modal window and the windows it owns (its popups) take input.
    for (HWND h = window->GetHWND(); h != nullptr;) {
        if (h == top)
            return true;
        CWindowWnd* w = FindWindow(h);
        h = w ? w->GetOwner() : nullptr;
    }
    return false;
}

void CMessageLoop::HandleXEvent(const X11Event& event)
{
    auto it = m_byXid.find(event.window);
    if (it == m_byXid.end())
        return;
    CWindowWnd* window = FindWindow(it->second);
    if (window == nullptr)
        return;
    bool input = event.type == X11Event::ButtonDown || event.type == X11Event::ButtonUp
        || event.type == X11Event::Motion || event.type == X11Event::Wheel || event.type == X11Event::KeyDown
        || event.type == X11Event::KeyUp || event.type == X11Event::CloseRequest;
    if (input && m_grab != nullptr && RouteGrabbed(window, event))
        return;
    if (input && !AcceptsInput(window)) {
        if (event.type == X11Event::ButtonDown) {
            if (CWindowWnd* modal = FindWindow(m_modal.back()))
                modal->SetFocus();
        }
        return;
    }
    window->OnXEvent(event);
}

void CMessageLoop::SetTimer(HWND hwnd, UINT id, UINT elapseMs)
{
    // Like the system's timers: never shorter than 10 ms, so a 0 ms timer
    // cannot keep the loop from painting and reading input.
    elapseMs = std::max<UINT>(elapseMs, kMinTimerMs);
    auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(elapseMs);
    for (Timer& t : m_timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.elapseMs = elapseMs;
            t.due = due;
            return;
        }
    }
    m_timers.push_back(Timer{hwnd, id, elapseMs, due});
}

bool CMessageLoop::KillTimer(HWND hwnd, UINT id)
{
    auto it = std::find_if(
        m_timers.begin(), m_timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == m_timers.end())
        return false;
    m_timers.erase(it);
    return true;
}

int CMessageLoop::NextTimerDelayMs() const
{
    if (m_timers.empty())
        return -1;
    auto now = std::chrono::steady_clock::now();
    auto next = m_timers.front().due;
    for (const Timer& t : m_timers)
        next = std::min(next, t.due);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
    return ms < 0 ? 0 : static_cast<int>(ms) + 1;
}

bool CMessageLoop::RunDueTimers()
{
    auto now = std::chrono::steady_clock::now();
    std::vector<std::pair<HWND, UINT>> due;
    for (Timer& t : m_timers) {
        if (t.due <= now) {
            due.emplace_back(t.hwnd, t.id);
            // Missed periods are not caught up: one WM_TIMER per expiry.
            t.due = now + std::chrono::milliseconds(t.elapseMs);
        }
    }
    for (auto& [hwnd, id] : due) {
        if (CWindowWnd* window = FindWindow(hwnd))
            window->Dispatch(WM_TIMER, id, 0);
    }
    return !due.empty();
}

void CMessageLoop::RequestPaint(HWND hwnd)
{
    if (std::find(m_paints.begin(), m_paints.end(), hwnd) == m_paints.end())
        m_paints.push_back(hwnd);
}

bool CMessageLoop::RunPaints()
{
    if (m_paints.empty())
        return false;
    std::vector<HWND> paints;
    paints.swap(m_paints);
    for (HWND hwnd : paints) {
        CWindowWnd* window = FindWindow(hwnd);
        if (window && window->IsVisible())
            window->Dispatch(WM_PAINT, 0, 0);
    }
    return true;
}

void CMessageLoop::PushModal(HWND hwnd)
{
    m_modal.push_back(hwnd);
}

void CMessageLoop::PopModal(HWND hwnd)
{
    auto it = std::find(m_modal.begin(), m_modal.end(), hwnd);
    if (it != m_modal.end())
        m_modal.erase(it);
}

UINT CMessageLoop::TakeCloseValue(HWND hwnd)
{
    auto it = m_closeValues.find(hwnd);
    if (it == m_closeValues.end())
        return 0;
    UINT value = it->second;
    m_closeValues.erase(it);
    return value;
}

bool CMessageLoop::PumpOnce(int timeoutMs)
{
    bool handled = false;
    // Work that is ready now comes first; painting waits until input is drained.
    handled |= ProcessSentMessages();
    X11Event event;
    while (m_x->NextEvent(event)) {
        HandleXEvent(event);
        handled = true;
    }
    std::deque<std::shared_ptr<CLoopQueue::Request>> sent, posted;
    m_queue->TakeAll(sent, posted);
    for (auto& request : sent) {
        CWindowWnd* window = FindWindow(request->hwnd);
        m_queue->Complete(
            request, window ? window->Dispatch(request->msg, request->wParam, request->lParam) : 0);
        handled = true;
    }
    for (auto& request : posted) {
        DispatchPosted(request);
        handled = true;
    }
    handled |= RunDueTimers();
    if (handled)
        return true;
    if (RunPaints())
        return true;
    if (timeoutMs == 0 || m_x->Pending())
        return false;

    int wait = NextTimerDelayMs();
    if (timeoutMs > 0 && (wait < 0 || wait > timeoutMs))
        wait = timeoutMs;
    m_x->Flush();
    pollfd fds[2] = {{m_x->GetFd(), POLLIN, 0}, {m_queue->GetWakeFd(), POLLIN, 0}};
    poll(fds, 2, wait);
    m_queue->DrainWake();
    return false;
}

void CMessageLoop::Run(const std::function<bool()>& keepRunning)
{
    while (keepRunning())
        PumpOnce(-1);
}

}  // namespace DuiLib
