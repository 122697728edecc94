#pragma once
// Measured frame rate of a camera's delivery.
//
// Threads: CountFrame is called only on the camera's delivery thread; Rate
// may be read from any thread without a lock.

#include <atomic>
#include <cstdint>

class FrameRateCounter
{
public:
    using TickSource = uint32_t (*)();

    // tick supplies 32-bit wrapping milliseconds; the start tick is read now.
    explicit FrameRateCounter(TickSource tick);

    // Counts one delivered frame. Once at least 1000 ms have passed since the
    // start tick, the rate becomes frames per second over that span and the
    // count starts again. A span without frames is never measured.
    void CountFrame();

    // Frames per second of the last full span; 0 before the first one.
    float Rate() const { return m_rate.load(std::memory_order_relaxed); }

private:
    TickSource m_tick;
    uint32_t m_startTick;  // Delivery thread only.
    unsigned m_count;  // Delivery thread only.
    std::atomic<float> m_rate;
};
