#pragma once
// One client connection to a wireless camera, behind an SDK handle.
//
// Threads: a reader thread owned by the object receives every message,
// checks it, hands replies to the waiting request and queues frames and
// pictures. Any other thread may call the public operations at the same
// time. Lock order: m_requestMutex, then m_mutex. m_mutex guards the queues,
// the reply slot and the lost flag; m_requestMutex keeps one request in
// flight at a time (and so serialises sending).

#include "platform/chd_wmp/WmpProtocol.h"
#include "platform/chd_wmp/chd_wmp.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelvara::wmp {

struct FreeRecord
{
    void operator()(CHD_WMP_DataRecord* record) const { std::free(record); }
};
using RecordPtr = std::unique_ptr<CHD_WMP_DataRecord, FreeRecord>;

// Copies a checked data message into a record allocated with malloc.
RecordPtr MakeRecord(const DataInfo& info, uint32_t sequence);

class WmpConnection
{
public:
    // Connects to "host[:port]" and checks the camera's hello. Returns a
    // CHD_WMP_* code; *out is set on success.
    static int Open(const std::string& address, std::shared_ptr<WmpConnection>* out);

    WmpConnection(const WmpConnection&) = delete;
    WmpConnection& operator=(const WmpConnection&) = delete;
    ~WmpConnection();

    // Shuts the socket down and joins the reader. Idempotent; never waits on
    // the network.
    void Close();

    // Sends one request and waits up to timeoutMs for its reply: 0 with the
    // reply's payload, CHD_WMP_ERR_FAIL when the camera refused,
    // CHD_WMP_ERR_TIMEOUT, or CHD_WMP_ERR_DISCONNECTED.
    int Request(uint8_t type, const std::vector<uint8_t>& payload, std::vector<uint8_t>* reply,
        uint32_t timeoutMs = CHD_WMP_REQUEST_TIMEOUT_MS);

    // See CHD_WMP_Poll.
    int Poll(int* kind, int timeoutMs);
    // Takes the oldest frame (CHD_WMP_KIND_VIDEO) or picture; never waits.
    int Take(int kind, CHD_WMP_DataRecord** record);

    // While streaming, a camera silent for kStreamIdleMs counts as lost.
    void SetStreaming(bool streaming);

    uint32_t Number() const { return m_number; }
    const std::string& Name() const { return m_name; }

    static constexpr int kStreamIdleMs = 3000;
    static constexpr size_t kMaxQueuedFrames = 3;
    static constexpr size_t kMaxQueuedPictures = 4;

private:
    explicit WmpConnection(int fd);
    void ReaderLoop();
    void Deliver(Message&& message);
    void MarkLost(const std::string& reason);

    const int m_fd;
    std::thread m_reader;
    std::atomic<bool> m_closing{false};
    std::mutex m_closeMutex;  // Serialises Close.
    bool m_closed = false;  // Guarded by m_closeMutex.

    std::mutex m_requestMutex;
    uint32_t m_nextId = 1;  // Guarded by m_requestMutex.

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<RecordPtr> m_frames;
    std::deque<RecordPtr> m_pictures;
    bool m_lost = false;
    bool m_streaming = false;
    uint32_t m_pendingId = 0;  // 0: no request waits
    uint8_t m_pendingType = 0;
    bool m_replyReady = false;
    Message m_reply;

    // Set once by Open before the object is shared.
    uint32_t m_number = 0;
    std::string m_name;
};

}  // namespace kelvara::wmp
