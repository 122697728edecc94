#pragma once
// The WMP protocol spoken between the wireless camera SDK (client) and a
// camera (server). Pure functions and a byte-stream parser, no I/O; used by
// both sides. Not thread-safe per object; the free functions are reentrant.
//
// TCP (default port 39610). Every message is a 16-byte header followed by
// `length` payload bytes. All integers are little-endian.
//
//   offset size field
//   0      4    magic "KWMP"
//   4      1    version (1)
//   5      1    type (below); replies carry the request's type | 0x80
//   6      2    status (signed): 0 = OK; in a reply a non-zero status says
//                the camera refused the request and then length is 0.
//                Always 0 in requests and in unsolicited messages.
//   8      4    request id: chosen by the client, echoed by the reply;
//                frame sequence number in video and picture messages
//   12     4    payload length, checked against the table below before any
//                payload byte is read
//
// Requests (client -> camera), payload layout and size, and the reply's
// payload when the status is 0:
//   0x01 Hello          -                              number u32, name[20] (NUL-terminated)
//   0x02 VideoBegin     -                              -
//   0x03 VideoEnd       -                              -
//   0x04 GetAbility     -                              4 x (format u32, 12 x (resolution u32, fps u32))
//   0x05 GetResolution  -                              resolution u32
//   0x06 SetResolution  resolution, width, height u32  -
//   0x07 GetFormat      -                              format u32
//   0x08 SetFormat      format u32                     -
//   0x09 GetControl     control u32                    8 x i32 (control record)
//   0x0A SetControl     control u32, 8 x i32           -
//   0x0B Snapshot       resolution, width, height u32  -   (the picture follows as 0x21)
// Unsolicited (camera -> client), while video runs / after a snapshot:
//   0x20 VideoFrame     format, resolution, width, height, timestamp ms, reserved (0) u32, data
//   0x21 Picture        same layout
// A resolution code is (width << 16) | height with 1 <= width, height <= 8192.
// YUYV data is exactly width * height * 2 bytes (width even); MJPG data
// starts with the JPEG start-of-image marker; every data part is non-empty.
// A peer that breaks any of these rules is dropped.
//
// UDP discovery (default port 39611): the client sends a 12-byte probe
//   magic "KWMP", version, type 0x40, 2 zero bytes, nonce u32
// and a camera answers to the sender with 36 bytes
//   magic "KWMP", version, type 0x41, 2 zero bytes, nonce u32 (echoed),
//   number u32, tcp port u16, 2 zero bytes, name[20] (NUL-terminated)

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kelvara::wmp {

constexpr uint8_t kVersion = 1;
constexpr size_t kHeaderSize = 16;
constexpr uint32_t kMaxPayload = 48u << 20;  // a 4096 x 4096 YUYV frame fits
constexpr int kMaxDimension = 8192;
constexpr size_t kNameSize = 20;
constexpr size_t kDataInfoSize = 24;
constexpr size_t kControlWords = 8;
constexpr size_t kMaxFormats = 4;
constexpr size_t kMaxResolutions = 12;
constexpr size_t kAbilitySize = kMaxFormats * (4 + kMaxResolutions * 8);
constexpr size_t kProbeSize = 12;
constexpr size_t kAnswerSize = 40;

enum MsgType : uint8_t
{
    kHello = 0x01,
    kVideoBegin = 0x02,
    kVideoEnd = 0x03,
    kGetAbility = 0x04,
    kGetResolution = 0x05,
    kSetResolution = 0x06,
    kGetFormat = 0x07,
    kSetFormat = 0x08,
    kGetControl = 0x09,
    kSetControl = 0x0A,
    kSnapshot = 0x0B,
    kVideoFrame = 0x20,
    kPicture = 0x21,
    kProbe = 0x40,
    kAnswer = 0x41,
    kReplyFlag = 0x80,
};

// Which side receives the messages being checked.
enum class Direction
{
    ToCamera,
    ToClient
};

struct Header
{
    uint8_t type = 0;
    int16_t status = 0;
    uint32_t id = 0;
    uint32_t length = 0;
};

struct Message
{
    Header header;
    std::vector<uint8_t> payload;
};

// Little-endian helpers.
void PutU16(uint8_t* out, uint16_t value);
void PutU32(uint8_t* out, uint32_t value);
uint16_t GetU16(const uint8_t* in);
uint32_t GetU32(const uint8_t* in);
void AppendU32(std::vector<uint8_t>& out, uint32_t value);

void EncodeHeader(const Header& header, uint8_t* out);
std::vector<uint8_t> EncodeMessage(
    uint8_t type, int16_t status, uint32_t id, const uint8_t* payload, size_t size);

// Checks a header received in `direction`: magic, version, a type that may
// travel that way, a status only where allowed, and a length within the
// bounds of the type. On failure returns false and sets *error.
bool DecodeHeader(const uint8_t* in, Direction direction, Header* header, std::string* error);

// Resolution codes (see above); 0 for an invalid size.
uint32_t GroupResolution(int width, int height);
bool AnalyseResolution(uint32_t code, int* width, int* height);

// A video frame or picture message, checked. `data` points into the message.
struct DataInfo
{
    uint32_t format = 0;
    uint32_t resolution = 0;
    int width = 0;
    int height = 0;
    uint32_t timestampMs = 0;
    const uint8_t* data = nullptr;
    size_t size = 0;
};
bool DecodeData(const Message& message, DataInfo* info, std::string* error);
std::vector<uint8_t> EncodeDataPayload(
    uint32_t format, int width, int height, uint32_t timestampMs, const uint8_t* data, size_t size);

// The ability table: up to 4 formats with up to 12 (resolution, fps) pairs.
struct FormatAbility
{
    uint32_t format = 0;
    std::vector<std::pair<uint32_t, uint32_t>> resolutions;
};
bool DecodeAbility(const uint8_t* in, size_t size, std::vector<FormatAbility>* formats, std::string* error);
std::vector<uint8_t> EncodeAbility(const std::vector<FormatAbility>& formats);

// A control record: supported, min, current, max, step, default, auto
// available, auto on. Checks flags are 0/1 and, for a supported control,
// min <= current, default <= max.
bool CheckControl(const int32_t* words, std::string* error);

// Hello reply.
bool DecodeHello(const uint8_t* in, size_t size, uint32_t* number, std::string* name, std::string* error);

// Discovery datagrams.
std::vector<uint8_t> EncodeProbe(uint32_t nonce);
bool DecodeProbe(const uint8_t* in, size_t size, uint32_t* nonce);
struct Answer
{
    uint32_t nonce = 0;
    uint32_t number = 0;
    uint16_t port = 0;
    std::string name;
};
std::vector<uint8_t> EncodeAnswer(const Answer& answer);
bool DecodeAnswer(const uint8_t* in, size_t size, Answer* answer);

// Copies a NUL-terminated name out of a fixed field; false when the field
// has no terminator or holds a control character.
bool ReadName(const uint8_t* field, size_t size, std::string* name);

// Splits a byte stream into checked messages. Bytes are written straight
// into the parser's buffers: ask Want() for room, write up to its size
// there, then Commit() the number written. After an error the parser stays
// failed.
class MessageParser
{
public:
    explicit MessageParser(Direction direction);

    struct Room
    {
        uint8_t* data;
        size_t size;
    };
    Room Want();
    // False on a protocol error (see Error()).
    bool Commit(size_t count);
    bool HasMessage() const { return m_complete; }
    Message Take();
    bool Failed() const { return !m_error.empty(); }
    const std::string& Error() const { return m_error; }

    // Convenience for memory input: feeds `size` bytes and calls
    // onMessage for each complete message. False on a protocol error.
    template <typename F> bool Feed(const uint8_t* data, size_t size, F&& onMessage);

private:
    static constexpr size_t kPayloadStep = 64 * 1024;

    Direction m_direction;
    uint8_t m_headerBytes[kHeaderSize];
    size_t m_headerFill = 0;
    bool m_inPayload = false;
    bool m_complete = false;
    size_t m_payloadFill = 0;
    Message m_message;
    std::string m_error;
};

template <typename F> bool MessageParser::Feed(const uint8_t* data, size_t size, F&& onMessage)
{
    while (size > 0 || m_complete) {
        if (Failed())
            return false;
        if (m_complete) {
            onMessage(Take());
            continue;
        }
        Room room = Want();
        size_t count = room.size < size ? room.size : size;
        std::memcpy(room.data, data, count);
        if (!Commit(count))
            return false;
        data += count;
        size -= count;
    }
    return true;
}

}  // namespace kelvara::wmp
