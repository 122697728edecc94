#pragma once
// A waitable event with manual or automatic reset, the stand-in for the
// event objects the camera backends wait on. Thread-safe: any thread may
// Set, Reset or Wait.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kelvara {

constexpr uint32_t kInfinite = 0xFFFFFFFFu;

class Event
{
public:
    // manualReset: once set, the event stays set until Reset; otherwise a
    // successful Wait consumes the signal and releases exactly one waiter.
    explicit Event(bool manualReset = false, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // Waits until the event is set or timeoutMs elapses (kInfinite waits
    // forever). Returns true when the event was set.
    bool Wait(uint32_t timeoutMs = kInfinite);

private:
    mutable std::mutex m_mutex;  // Guards m_set.
    std::condition_variable m_changed;
    const bool m_manualReset;
    bool m_set;
};

}  // namespace kelvara
