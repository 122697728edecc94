#include "app/view/FrameExchange.h"

#include <cstring>
#include <new>

namespace kelvara {

bool FrameExchange::Put(unsigned width, unsigned height, const uint8_t* pixels)
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
            return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (buffer->capacity < bytes) {
        buffer->pixels.reset();
        buffer->capacity = 0;
        buffer->pixels.reset(new (std::nothrow) uint8_t[bytes]);
        if (!buffer->pixels) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_spare.push_back(std::move(buffer));
            return false;
        }
        buffer->capacity = bytes;
    }
    std::memcpy(buffer->pixels.get(), pixels, bytes);
    buffer->width = width;
    buffer->height = height;

    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pending)
        m_spare.push_back(std::move(m_pending));
    m_pending = std::move(buffer);
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
