#include "app/capture/RecordingQueue.h"

#include <pthread.h>

#include <chrono>
#include <new>
#include <utility>

namespace kelvara {

namespace {

int64_t NowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

RecordingQueue::RecordingQueue(std::unique_ptr<CVideoRecorder> recorder, int width, int height, int depth)
    : m_recorder(std::move(recorder))
    , m_width(width)
    , m_height(height)
{
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3 / 2;
    for (int i = 0; i < depth && bytes > 0; ++i) {
        std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[bytes]);
        if (!buffer)
            break;
        m_free.push_back(buffer.get());
        m_buffers.push_back(std::move(buffer));
    }
    m_thread = std::thread(&RecordingQueue::EncoderThread, this);
}

RecordingQueue::~RecordingQueue()
{
    Finish();
}

uint8_t* RecordingQueue::Acquire()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_free.empty() || m_stop || m_failed) {
        ++m_queueFull;
        return nullptr;
    }
    uint8_t* buffer = m_free.back();
    m_free.pop_back();
    return buffer;
}

void RecordingQueue::Submit(uint8_t* buffer, int64_t timeUs)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.push_back(Picture{buffer, timeUs});
    }
    m_queued.notify_one();
}

void RecordingQueue::Release(uint8_t* buffer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_free.push_back(buffer);
}

std::unique_ptr<CVideoRecorder> RecordingQueue::Finish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_queued.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    return std::move(m_recorder);
}

RecordingQueue::Counters RecordingQueue::GetCounters() const
{
    Counters counters;
    counters.encoded = m_encoded;
    counters.queueFull = m_queueFull;
    counters.encodeUs = m_encodeUs;
    return counters;
}

void RecordingQueue::EncoderThread()
{
    pthread_setname_np(pthread_self(), "video-encoder");
    for (;;) {
        Picture picture{};
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_queued.wait(lock, [this] { return m_stop || !m_pending.empty(); });
            // Everything queued before the stop is still encoded.
            if (m_pending.empty())
                return;
            picture = m_pending.front();
            m_pending.pop_front();
        }
        if (!m_failed) {
            const int64_t start = NowUs();
            m_recorder->EncodeFrameAt(picture.buffer, m_width, m_height, picture.timeUs);
            m_encodeUs += NowUs() - start;
            ++m_encoded;
            if (m_recorder->HasFailed())
                m_failed = true;
        }
        Release(picture.buffer);
    }
}

}  // namespace kelvara
