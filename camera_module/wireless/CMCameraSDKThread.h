#pragma once
// Backends whose SDK must be asked for every frame: a polling thread loops
// while the camera plays, polls once, backs off 1 ms when nothing came, and
// counts the frames that did.
//
// Threads:
// - UI thread: construction, StartPolling (from Init), StopPolling (from
//   Release), Play, Pause, destruction.
// - Polling thread (owned here): ThreadProcess, and through it Poll and the
//   frame callback.
// m_running and the play event are the only state both touch. StopPolling
// joins the thread, so a backend may close its device after it returns.

#include "camera_module/CMCameraSDK.h"
#include "platform/system/Event.h"

#include <atomic>
#include <memory>
#include <thread>

class CMCameraSDKThread : public CMCameraSDK
{
public:
    CMCameraSDKThread() = default;
    explicit CMCameraSDKThread(int deviceIndex)
        : CMCameraSDK(deviceIndex)
    {
    }
    // A derived class stops the thread in its own destructor (Poll is its
    // operation); this one only checks that it did.
    ~CMCameraSDKThread() override;

    // Slots 3, 4: open / close the play gate the thread waits on.
    int Play() override;
    int Pause() override;

    // Slot 37: polls the device once. 0 when a frame or picture was handled,
    // non-zero when nothing came (the thread then sleeps 1 ms). Polling thread
    // only; it must return within a bounded time, since StopPolling waits for it.
    virtual int Poll() = 0;

protected:
    // Init part: running := 1, a fresh play event (not signalled), the
    // thread, and the callback stored under the lock.
    void StartPolling(CMFrameCallback callback, void* user);

    // Release part: running := 0, wakes the thread and joins it. Prints
    // "CMCameraSDKThread::ThreadProcess exit OK!\n" when it ended within
    // waitMs; a thread still inside a frame callback then is reported on
    // standard error and waited for, because closing the device under it
    // would pull the SDK from under a running call. Returns true when the
    // thread ended within waitMs. Safe to call when no thread runs.
    bool StopPolling(uint32_t waitMs);

    bool IsPolling() const { return m_thread.joinable(); }

private:
    void ThreadProcess();

    std::atomic<int> m_running{0};
    std::unique_ptr<kelvara::Event> m_playEvent;  // manual reset; set while playing
    std::unique_ptr<kelvara::Event> m_threadEnded;
    std::thread m_thread;
};
