#include "app/view/FrameExchange.h"

#include <cstring>
#include <new>

namespace kelvara {

std::unique_ptr<FrameExchange::Frame> FrameExchange::Acquire(unsigned width, unsigned height)
{
    std::unique_ptr<Frame> buffer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_spare.empty()) {
            buffer = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    if (!buffer) {
        buffer.reset(new (std::nothrow) Frame());
        if (!buffer)
            return nullptr;
    }
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (buffer->capacity < bytes) {
        buffer->pixels.reset();
        buffer->capacity = 0;
        buffer->pixels.reset(new (std::nothrow) uint8_t[bytes]);
        if (!buffer->pixels) {
            Discard(std::move(buffer));
            return nullptr;
        }
        buffer->capacity = bytes;
    }
    buffer->width = width;
    buffer->height = height;
    return buffer;
}

void FrameExchange::Publish(std::unique_ptr<Frame> frame)
{
    if (!frame)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pending)
        m_spare.push_back(std::move(m_pending));
    m_pending = std::move(frame);
}

void FrameExchange::Discard(std::unique_ptr<Frame> frame)
{
    if (!frame)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_spare.push_back(std::move(frame));
}

bool FrameExchange::Put(unsigned width, unsigned height, const uint8_t* pixels)
{
    std::unique_ptr<Frame> buffer = Acquire(width, height);
    if (!buffer)
        return false;
    std::memcpy(buffer->pixels.get(), pixels, static_cast<std::size_t>(width) * height * 4);
    Publish(std::move(buffer));
    return true;
}

bool FrameExchange::CopyNewest(std::vector<uint8_t>* pixels, unsigned* width, unsigned* height)
{
    // Under the lock: neither buffer can go back to the camera thread meanwhile,
    // and both are only read by others.
    std::lock_guard<std::mutex> lock(m_mutex);
    const Frame* frame = m_pending ? m_pending.get() : m_taken.get();
    if (!frame || !pixels)
        return false;
    pixels->assign(frame->pixels.get(),
        frame->pixels.get() + static_cast<std::size_t>(frame->width) * frame->height * 4);
    *width = frame->width;
    *height = frame->height;
    return true;
}

const FrameExchange::Frame* FrameExchange::Take()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_pending)
        return nullptr;
    if (m_taken)
        m_spare.push_back(std::move(m_taken));
    m_taken = std::move(m_pending);
    return m_taken.get();
}

}  // namespace kelvara
