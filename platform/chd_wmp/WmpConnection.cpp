#include "platform/chd_wmp/WmpConnection.h"

#include "platform/chd_wmp/WmpSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace kelvara::wmp {

namespace {

constexpr uint32_t kConnectTimeoutMs = 3000;
constexpr uint32_t kHelloTimeoutMs = 2000;
constexpr int kReaderWakeMs = 250;

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

RecordPtr MakeRecord(const DataInfo& info, uint32_t sequence)
{
    void* memory = std::malloc(CHD_WMP_RECORD_DATA_OFFSET + info.size);
    if (!memory)
        return nullptr;
    RecordPtr record(static_cast<CHD_WMP_DataRecord*>(memory));
    record->sequence = static_cast<int32_t>(sequence);
    record->format = static_cast<int32_t>(info.format);
    record->resolution = static_cast<int32_t>(info.resolution);
    record->width = info.width;
    record->height = info.height;
    record->timestampMs = static_cast<int32_t>(info.timestampMs);
    record->length = static_cast<int32_t>(info.size);
    std::memcpy(static_cast<uint8_t*>(memory) + CHD_WMP_RECORD_DATA_OFFSET, info.data, info.size);
    return record;
}

WmpConnection::WmpConnection(int fd)
    : m_fd(fd)
{
}

WmpConnection::~WmpConnection()
{
    Close();
}

int WmpConnection::Open(const std::string& address, std::shared_ptr<WmpConnection>* out)
{
    sockaddr_in target;
    if (!ParseAddress(address, CHD_WMP_DEFAULT_PORT, &target))
        return CHD_WMP_ERR_PARAM;
    bool timedOut = false;
    int fd = ConnectWithTimeout(target, kConnectTimeoutMs, &timedOut);
    if (fd < 0)
        return timedOut ? CHD_WMP_ERR_TIMEOUT : CHD_WMP_ERR_FAIL;

    std::shared_ptr<WmpConnection> connection(new WmpConnection(fd));
    connection->m_reader = std::thread([c = connection.get()] { c->ReaderLoop(); });
    std::vector<uint8_t> reply;
    int rc = connection->Request(kHello, {}, &reply, kHelloTimeoutMs);
    std::string error;
    if (rc == 0
        && !DecodeHello(reply.data(), reply.size(), &connection->m_number, &connection->m_name, &error))
        rc = CHD_WMP_ERR_FAIL;
    if (rc != 0) {
        connection->Close();
        return rc;
    }
    *out = std::move(connection);
    return CHD_WMP_OK;
}

void WmpConnection::Close()
{
    std::lock_guard<std::mutex> closeLock(m_closeMutex);
    if (m_closed)
        return;
    m_closed = true;
    m_closing = true;
    shutdown(m_fd, SHUT_RDWR);
    if (m_reader.joinable())
        m_reader.join();
    close(m_fd);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frames.clear();
    m_pictures.clear();
    m_changed.notify_all();
}

void WmpConnection::MarkLost(const std::string& reason)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_lost)
            return;
        m_lost = true;
        m_changed.notify_all();
    }
    if (!m_closing)
        std::fprintf(stderr, "chd_wmp: connection lost: %s\n", reason.c_str());
    // Wakes the reader (or any send) so that nothing waits on a dead link.
    shutdown(m_fd, SHUT_RDWR);
}

void WmpConnection::SetStreaming(bool streaming)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_streaming = streaming;
    if (!streaming)
        m_frames.clear();
}

void WmpConnection::ReaderLoop()
{
    MessageParser parser(Direction::ToClient);
    int64_t lastDataMs = NowMs();
    while (!m_closing) {
        pollfd p{m_fd, POLLIN, 0};
        int ready = poll(&p, 1, kReaderWakeMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            MarkLost(std::strerror(errno));
            return;
        }
        if (ready == 0) {
            bool streaming;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                streaming = m_streaming;
            }
            if (!streaming)
                lastDataMs = NowMs();
            else if (NowMs() - lastDataMs > kStreamIdleMs) {
                MarkLost("the camera stopped sending");
                return;
            }
            continue;
        }
        MessageParser::Room room = parser.Want();
        ssize_t received = recv(m_fd, room.data, room.size, 0);
        if (received < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (received <= 0) {
            MarkLost(received == 0 ? "closed by the camera" : std::strerror(errno));
            return;
        }
        lastDataMs = NowMs();
        if (!parser.Commit(static_cast<size_t>(received))) {
            MarkLost("protocol error: " + parser.Error());
            return;
        }
        while (parser.HasMessage() && !m_closing)
            Deliver(parser.Take());
    }
}

void WmpConnection::Deliver(Message&& message)
{
    const Header& header = message.header;
    if (header.type & kReplyFlag) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_pendingId == 0 || header.id != m_pendingId)
                return;  // the answer to a request that timed out
            if (header.type == (m_pendingType | kReplyFlag)) {
                m_reply = std::move(message);
                m_replyReady = true;
                m_changed.notify_all();
                return;
            }
        }
        MarkLost("reply of the wrong type");
        return;
    }

    DataInfo info;
    std::string error;
    if (!DecodeData(message, &info, &error)) {
        MarkLost("protocol error: " + error);
        return;
    }
    RecordPtr record = MakeRecord(info, header.id);
    if (!record)
        return;  // out of memory: the frame is skipped
    std::lock_guard<std::mutex> lock(m_mutex);
    std::deque<RecordPtr>& queue = header.type == kPicture ? m_pictures : m_frames;
    size_t limit = header.type == kPicture ? kMaxQueuedPictures : kMaxQueuedFrames;
    if (header.type == kVideoFrame && !m_streaming)
        return;
    while (queue.size() >= limit)
        queue.pop_front();  // nobody polls: keep the newest
    queue.push_back(std::move(record));
    m_changed.notify_all();
}

int WmpConnection::Request(
    uint8_t type, const std::vector<uint8_t>& payload, std::vector<uint8_t>* reply, uint32_t timeoutMs)
{
    std::lock_guard<std::mutex> requestLock(m_requestMutex);
    uint32_t id = m_nextId++;
    if (m_nextId == 0)
        m_nextId = 1;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_lost || m_closing)
            return CHD_WMP_ERR_DISCONNECTED;
        m_pendingId = id;
        m_pendingType = type;
        m_replyReady = false;
    }
    std::vector<uint8_t> bytes = EncodeMessage(type, 0, id, payload.data(), payload.size());
    if (!SendAll(m_fd, bytes.data(), bytes.size(), timeoutMs)) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_pendingId = 0;
        }
        // A half-sent message leaves the stream unusable.
        MarkLost("sending failed");
        return CHD_WMP_ERR_DISCONNECTED;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(
        lock, std::chrono::milliseconds(timeoutMs), [this] { return m_replyReady || m_lost || m_closing; });
    m_pendingId = 0;
    if (m_replyReady) {
        m_replyReady = false;
        Message answer = std::move(m_reply);
        if (answer.header.status != 0)
            return CHD_WMP_ERR_FAIL;
        if (reply)
            *reply = std::move(answer.payload);
        return CHD_WMP_OK;
    }
    return (m_lost || m_closing) ? CHD_WMP_ERR_DISCONNECTED : CHD_WMP_ERR_TIMEOUT;
}

int WmpConnection::Poll(int* kind, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [this] { return !m_pictures.empty() || !m_frames.empty() || m_lost || m_closing; };
    if (timeoutMs > 0)
        m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    if (!m_pictures.empty()) {
        *kind = CHD_WMP_KIND_PICTURE;
        return CHD_WMP_OK;
    }
    if (!m_frames.empty()) {
        *kind = CHD_WMP_KIND_VIDEO;
        return CHD_WMP_OK;
    }
    return (m_lost || m_closing) ? CHD_WMP_ERR_DISCONNECTED : CHD_WMP_ERR_NODATA;
}

int WmpConnection::Take(int kind, CHD_WMP_DataRecord** record)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::deque<RecordPtr>& queue = kind == CHD_WMP_KIND_PICTURE ? m_pictures : m_frames;
    if (queue.empty())
        return (m_lost || m_closing) ? CHD_WMP_ERR_DISCONNECTED : CHD_WMP_ERR_NODATA;
    *record = queue.front().release();
    queue.pop_front();
    return CHD_WMP_OK;
}

}  // namespace kelvara::wmp
