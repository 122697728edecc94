#include "camera_module/FrameRateCounter.h"

FrameRateCounter::FrameRateCounter(TickSource tick)
    : m_tick(tick)
    , m_startTick(tick())
    , m_count(0)
    , m_rate(0.0f)
{
}

void FrameRateCounter::CountFrame()
{
    ++m_count;
    // Unsigned 32-bit difference: correct across a wrap of the tick counter.
    uint32_t elapsed = m_tick() - m_startTick;
    if (elapsed < 1000)
        return;
    m_rate.store(
        static_cast<float>(m_count) / static_cast<float>(elapsed) * 1000.0f, std::memory_order_relaxed);
    m_startTick = m_tick();
    m_count = 0;
}
