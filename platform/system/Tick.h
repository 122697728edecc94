#pragma once
// Millisecond tick counter and sleeping. Callable from any thread.

#include <cstdint>

namespace kelvara {

// Milliseconds since an arbitrary start, from a monotonic clock, as a 32-bit
// value that wraps after about 49.7 days. Differences of two ticks taken in
// unsigned 32-bit arithmetic stay correct across the wrap.
uint32_t GetTickCount();

void SleepMs(uint32_t milliseconds);

}  // namespace kelvara
