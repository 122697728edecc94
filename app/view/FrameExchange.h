#pragma once
// Hands frames from the camera thread to the render thread. Neither waits
// for the other's work: the camera thread fills a spare buffer outside the
// lock (Acquire, then Publish: the buffer changes hands, nothing is copied;
// or Put, which copies), the render thread uploads from the buffer it took,
// and the lock only moves buffers around. A newer frame replaces one not yet
// taken. Buffers are reused while frames keep their size (three at most with
// one camera thread).
//
// Threads: Acquire, Publish, Put and Discard from the camera thread, Take
// from the render thread, CopyNewest from any thread; m_mutex guards the
// buffer lists. A buffer out of Acquire belongs to its caller until it is
// published or given back.

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

    // A buffer for width x height R,G,B,A pixels (contents undefined), or
    // null when no memory can be had.
    std::unique_ptr<Frame> Acquire(unsigned width, unsigned height);
    // Takes over a filled buffer from Acquire as the newest frame.
    void Publish(std::unique_ptr<Frame> frame);
    // Gives back a buffer from Acquire unused.
    void Discard(std::unique_ptr<Frame> frame);
    // Copies width x height R,G,B,A pixels. False (nothing changes) when no
    // memory for the frame can be had.
    bool Put(unsigned width, unsigned height, const uint8_t* pixels);
    // Copies the newest frame (pending, else the last taken). False when
    // there is none.
    bool CopyNewest(std::vector<uint8_t>* pixels, unsigned* width, unsigned* height);
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
