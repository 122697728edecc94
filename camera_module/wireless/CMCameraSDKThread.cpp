#include "camera_module/wireless/CMCameraSDKThread.h"

#include "platform/system/Tick.h"

#include <cassert>
#include <cstdio>

CMCameraSDKThread::~CMCameraSDKThread()
{
    assert(!m_thread.joinable() && "the derived destructor must stop the polling thread");
}

int CMCameraSDKThread::Play()
{
    if (m_playEvent)
        m_playEvent->Set();
    return CMCameraBase::Play();
}

int CMCameraSDKThread::Pause()
{
    if (m_playEvent)
        m_playEvent->Reset();
    return CMCameraBase::Pause();
}

void CMCameraSDKThread::StartPolling(CMFrameCallback callback, void* user)
{
    m_running = 1;
    m_playEvent = std::make_unique<kelvara::Event>(true, false);
    m_threadEnded = std::make_unique<kelvara::Event>(true, false);
    // Stored before the thread starts so its first frame sees it.
    setCallback(callback, user);
    m_thread = std::thread([this] { ThreadProcess(); });
}

bool CMCameraSDKThread::StopPolling(uint32_t waitMs)
{
    if (!m_thread.joinable())
        return true;
    m_running = 0;
    m_playEvent->Set();
    bool ended = m_threadEnded->Wait(waitMs);
    if (ended) {
        std::printf("CMCameraSDKThread::ThreadProcess exit OK!\n");
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "CMCameraSDKThread: polling thread busy after %u ms, waiting for it\n", waitMs);
    }
    m_thread.join();
    m_playEvent.reset();
    m_threadEnded.reset();
    return ended;
}

void CMCameraSDKThread::ThreadProcess()
{
    while (m_running) {
        m_playEvent->Wait();
        if (!m_running)
            break;
        if (Poll() != 0) {
            kelvara::SleepMs(1);
            continue;
        }
        frameCount();
    }
    m_threadEnded->Set();
}
