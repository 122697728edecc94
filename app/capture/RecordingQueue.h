#pragma once
// Feeds a recorder from a thread of its own, so that encoding never holds up
// the camera: the camera thread fills one of a few I420 buffers and queues
// it with its capture time; the encoder thread encodes the queued pictures
// in order. When every buffer is waiting to be encoded the frame is not
// recorded (counted in Counters::queueFull), rather than the camera waiting.
//
// Threads and locks:
// - Camera thread (under the controller's lock): Acquire, Submit, Release.
// - Encoder thread (started by the constructor): the recorder's EncodeFrameAt.
// - UI thread: construction, Finish, destruction. Finish must not be called
//   under the controller's lock: it waits for the queued pictures.
// - Any thread: HasFailed, GetCounters.
// - m_mutex guards the free and queued buffer lists and m_stop; the recorder
//   belongs to the encoder thread until Finish returns it.

#include "app/capture/CVideoRecorder.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kelvara {

class RecordingQueue
{
public:
    struct Counters
    {
        uint64_t encoded = 0;  // pictures given to the recorder
        uint64_t queueFull = 0;  // frames not recorded: no free buffer
        int64_t encodeUs = 0;  // time spent in the recorder
    };

    // recorder: opened for width x height. depth: buffers in the queue.
    RecordingQueue(std::unique_ptr<CVideoRecorder> recorder, int width, int height, int depth);
    // Finishes when Finish was not called (the recorder is then deleted unclosed).
    ~RecordingQueue();
    RecordingQueue(const RecordingQueue&) = delete;
    RecordingQueue& operator=(const RecordingQueue&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // A free I420 buffer (width * height * 3 / 2 bytes), or null when all
    // are queued or the recording failed.
    uint8_t* Acquire();
    // Queues a buffer from Acquire, captured at timeUs (monotonic clock).
    void Submit(uint8_t* buffer, int64_t timeUs);
    // Gives back a buffer from Acquire unfilled.
    void Release(uint8_t* buffer);

    // Encodes what is queued, stops the thread and hands back the recorder
    // (to be closed by the caller).
    std::unique_ptr<CVideoRecorder> Finish();

    // True once the recorder failed to write (a full disk).
    bool HasFailed() const { return m_failed; }
    Counters GetCounters() const;

private:
    struct Picture
    {
        uint8_t* buffer;
        int64_t timeUs;
    };
    void EncoderThread();

    std::unique_ptr<CVideoRecorder> m_recorder;
    const int m_width;
    const int m_height;
    std::vector<std::unique_ptr<uint8_t[]>> m_buffers;  // owns every buffer

    mutable std::mutex m_mutex;
    std::condition_variable m_queued;
    std::vector<uint8_t*> m_free;
    std::deque<Picture> m_pending;
    bool m_stop = false;
    std::thread m_thread;

    std::atomic<bool> m_failed{false};
    std::atomic<uint64_t> m_encoded{0};
    std::atomic<uint64_t> m_queueFull{0};
    std::atomic<int64_t> m_encodeUs{0};
};

}  // namespace kelvara
