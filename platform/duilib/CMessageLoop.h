#pragma once
// The message loop of one UI thread. Every thread that creates toolkit
// windows gets its own loop (and X connection) on first use; the windows
// belong to that thread and all their messages run on it.
//
// Threads:
// - SendMessage/PostMessage to a window may come from any thread. From
//   another thread a sent message is queued for the window's thread and the
//   sender blocks until it has run (or the window is gone: result 0). A UI
//   thread that blocks this way keeps running messages sent to its own
//   windows, so two UI threads may send to each other.
// - Deadlock rule: the window's thread runs sent messages only while it is
//   in its loop (or in LockPumpingSentMessages). A thread that sends must
//   not hold a lock the UI thread might be waiting for, or the UI thread
//   must take that lock with LockPumpingSentMessages, which keeps running
//   sent messages while it waits.
// - Everything else here (timers, painting, modal state) is for the loop's
//   own thread only.

#include "platform/duilib/UIWindowMessages.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace DuiLib {

class CWindowWnd;
class CX11Connection;
struct X11Event;

// The part of a loop other threads may reach: its queue of sent and posted
// messages. Outlives the loop while handles to it remain.
class CLoopQueue
{
public:
    struct Request
    {
        HWND hwnd = nullptr;
        UINT msg = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        bool posted = false;
        LRESULT result = 0;
        bool done = false;  // guarded by the waiting queue's mutex
        std::shared_ptr<CLoopQueue> waiter;  // queue to wake when done (the sender's)
    };

    CLoopQueue();
    ~CLoopQueue();
    int GetWakeFd() const { return m_wakeFd; }

    // False when the loop has ended (the request is then not queued).
    bool Push(const std::shared_ptr<Request>& request);
    // Takes everything queued (sent first, then posted).
    void TakeAll(std::deque<std::shared_ptr<Request>>& sent, std::deque<std::shared_ptr<Request>>& posted);
    void Complete(const std::shared_ptr<Request>& request, LRESULT result);
    // Marks the loop ended and completes every queued send with 0.
    void Shutdown();
    // Blocks until request is done or something is queued here, at most timeout.
    void WaitFor(const std::shared_ptr<Request>& request, std::chrono::milliseconds timeout);
    bool HasWork();
    bool IsDone(const std::shared_ptr<Request>& request);
    void DrainWake();

private:
    void Wake();

    std::mutex m_mutex;  // Guards everything below and Request::done of requests waited on here.
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Request>> m_sent;
    std::deque<std::shared_ptr<Request>> m_posted;
    bool m_alive = true;
    int m_wakeFd = -1;
};

// Shortest timer period; shorter requests get this one.
constexpr UINT kMinTimerMs = 10;

class CMessageLoop
{
public:
    // The calling thread's loop, created (and its X connection opened) on
    // first use; null when no X display can be opened.
    static CMessageLoop* GetCurrent();
    // The calling thread's loop when it already has one.
    static CMessageLoop* PeekCurrent();

    ~CMessageLoop();
    CX11Connection& X() { return *m_x; }
    std::thread::id GetThreadId() const { return m_thread; }
    const std::shared_ptr<CLoopQueue>& GetQueue() const { return m_queue; }

    // Window registry of this thread.
    void AddWindow(CWindowWnd* window, unsigned long xid);
    void RemoveWindow(CWindowWnd* window);
    CWindowWnd* FindWindow(HWND hwnd) const;

    // Runs until keepRunning answers false (checked after each batch).
    void Run(const std::function<bool()>& keepRunning);
    // One round: waits up to timeoutMs (-1: until something happens) and
    // handles what arrived. Returns false when nothing was handled.
    bool PumpOnce(int timeoutMs);
    // Runs the messages other threads have sent to this thread's windows.
    bool ProcessSentMessages();

    // Cross-thread send, called on the sender's thread; see the rules above.
    static LRESULT SendToOtherThread(
        const std::shared_ptr<CLoopQueue>& target, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    void SetTimer(HWND hwnd, UINT id, UINT elapseMs);
    bool KillTimer(HWND hwnd, UINT id);
    void RequestPaint(HWND hwnd);

    // Input grab of a popup: while held, clicks on windows outside the
    // popup's own family send it WM_CANCELMODE and are dropped.
    void BeginGrab(HWND popup);
    void EndGrab(HWND popup);
    HWND GetGrab() const { return m_grab; }

    void PushModal(HWND hwnd);
    void PopModal(HWND hwnd);
    // Close value recorded from the last WM_CLOSE a window received.
    UINT TakeCloseValue(HWND hwnd);

private:
    CMessageLoop();
    void HandleXEvent(const X11Event& event);
    void DispatchPosted(const std::shared_ptr<CLoopQueue::Request>& request);
    bool RunDueTimers();
    bool RunPaints();
    int NextTimerDelayMs() const;
    bool AcceptsInput(CWindowWnd* window) const;
    // True when window is hwnd or one of the windows it owns (at any depth).
    bool IsOwnedBy(CWindowWnd* window, HWND hwnd) const;
    // Grab routing; true when the event was consumed.
    bool RouteGrabbed(CWindowWnd* window, const X11Event& event);

    struct Timer
    {
        HWND hwnd;
        UINT id;
        UINT elapseMs;
        std::chrono::steady_clock::time_point due;
    };

    std::unique_ptr<CX11Connection> m_x;
    std::shared_ptr<CLoopQueue> m_queue;
    std::thread::id m_thread;
    std::unordered_map<HWND, CWindowWnd*> m_windows;
    std::unordered_map<unsigned long, HWND> m_byXid;
    std::vector<Timer> m_timers;
    std::vector<HWND> m_paints;
    std::vector<HWND> m_modal;
    HWND m_grab = nullptr;
    std::unordered_map<HWND, UINT> m_closeValues;
};

// Locks m (on the UI thread) while still running messages sent from other
// threads, so a sender that holds m cannot deadlock against this thread.
template <class Mutex> void LockPumpingSentMessages(Mutex& m)
{
    while (!m.try_lock()) {
        CMessageLoop* loop = CMessageLoop::PeekCurrent();
        if (loop == nullptr) {
            m.lock();
            return;
        }
        if (!loop->ProcessSentMessages())
            loop->GetQueue()->WaitFor(nullptr, std::chrono::milliseconds(1));
    }
}

}  // namespace DuiLib
