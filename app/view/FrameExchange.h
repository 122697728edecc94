#pragma once
// Hands frames from the camera thread to the render thread. Neither waits
// for the other's work: the camera thread copies into a spare buffer outside
// the lock, the render thread uploads from the buffer it took, and the lock
// only moves buffers around. A newer frame replaces one not yet taken.
// Buffers are reused while frames keep their size (three at most with one
// camera thread).
//
// Threads: Put from the camera thread, Take from the render thread; m_mutex
// guards the buffer lists.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace kelvara {

class FrameExchange
{
public:
    struct Frame
    {
        std::unique_ptr<uint8_t[]> pixels;
        std::size_t capacity = 0;
        unsigned width = 0;
        unsigned height = 0;
    };

    // Copies width x height R,G,B,A pixels. False (nothing changes) when no
    // memory for the frame can be had.
    bool Put(unsigned width, unsigned height, const uint8_t* pixels);
    // The newest frame put since the last Take, or null. It stays valid
    // until the next Take.
    const Frame* Take();

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Frame>> m_spare;
    std::unique_ptr<Frame> m_pending;
    std::unique_ptr<Frame> m_taken;
};

}  // namespace kelvara
