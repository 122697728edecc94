#include "platform/chd_wmp/WmpProtocol.h"

namespace kelvara::wmp {

namespace {

const uint8_t kMagic[4] = {'K', 'W', 'M', 'P'};

// Payload size of a request, or -1 for a type that is not a request.
long RequestSize(uint8_t type)
{
    switch (type) {
    case kHello:
    case kVideoBegin:
    case kVideoEnd:
    case kGetAbility:
    case kGetResolution:
    case kGetFormat:
        return 0;
    case kSetFormat:
    case kGetControl:
        return 4;
    case kSetResolution:
    case kSnapshot:
        return 12;
    case kSetControl:
        return 4 + kControlWords * 4;
    default:
        return -1;
    }
}

// Payload size of a successful reply to `request`.
long ReplySize(uint8_t request)
{
    switch (request) {
    case kHello:
        return 4 + kNameSize;
    case kGetAbility:
        return kAbilitySize;
    case kGetResolution:
    case kGetFormat:
        return 4;
    case kGetControl:
        return kControlWords * 4;
    default:
        return RequestSize(request) < 0 ? -1 : 0;
    }
}

bool Fail(std::string* error, const char* text)
{
    if (error)
        *error = text;
    return false;
}

bool HasMagic(const uint8_t* in)
{
    return std::memcmp(in, kMagic, 4) == 0;
}

}  // namespace

void PutU16(uint8_t* out, uint16_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t GetU16(const uint8_t* in)
{
    return static_cast<uint16_t>(in[0] | (in[1] << 8));
}

uint32_t GetU32(const uint8_t* in)
{
    return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8)
        | (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

void AppendU32(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t bytes[4];
    PutU32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

void EncodeHeader(const Header& header, uint8_t* out)
{
    std::memcpy(out, kMagic, 4);
    out[4] = kVersion;
    out[5] = header.type;
    PutU16(out + 6, static_cast<uint16_t>(header.status));
    PutU32(out + 8, header.id);
    PutU32(out + 12, header.length);
}

std::vector<uint8_t> EncodeMessage(
    uint8_t type, int16_t status, uint32_t id, const uint8_t* payload, size_t size)
{
    std::vector<uint8_t> out(kHeaderSize + size);
    Header header;
    header.type = type;
    header.status = status;
    header.id = id;
    header.length = static_cast<uint32_t>(size);
    EncodeHeader(header, out.data());
    if (size > 0)
        std::memcpy(out.data() + kHeaderSize, payload, size);
    return out;
}

bool DecodeHeader(const uint8_t* in, Direction direction, Header* header, std::string* error)
{
    if (!HasMagic(in))
        return Fail(error, "bad magic");
    if (in[4] != kVersion)
        return Fail(error, "unsupported protocol version");
    Header h;
    h.type = in[5];
    h.status = static_cast<int16_t>(GetU16(in + 6));
    h.id = GetU32(in + 8);
    h.length = GetU32(in + 12);

    if (direction == Direction::ToCamera) {
        long size = RequestSize(h.type);
        if (size < 0)
            return Fail(error, "unknown request type");
        if (h.status != 0)
            return Fail(error, "status in a request");
        if (h.length != static_cast<uint32_t>(size))
            return Fail(error, "bad request length");
    } else if (h.type == kVideoFrame || h.type == kPicture) {
        if (h.status != 0)
            return Fail(error, "status in a data message");
        if (h.length <= kDataInfoSize || h.length > kMaxPayload)
            return Fail(error, "bad data message length");
    } else {
        long size = (h.type & kReplyFlag) ? ReplySize(static_cast<uint8_t>(h.type & ~kReplyFlag)) : -1;
        if (size < 0)
            return Fail(error, "unknown message type");
        long expected = h.status == 0 ? size : 0;
        if (h.length != static_cast<uint32_t>(expected))
            return Fail(error, "bad reply length");
    }
    *header = h;
    return true;
}

uint32_t GroupResolution(int width, int height)
{
    if (width < 1 || width > kMaxDimension || height < 1 || height > kMaxDimension)
        return 0;
    return (static_cast<uint32_t>(width) << 16) | static_cast<uint32_t>(height);
}

bool AnalyseResolution(uint32_t code, int* width, int* height)
{
    int w = static_cast<int>(code >> 16);
    int h = static_cast<int>(code & 0xFFFF);
    if (w < 1 || w > kMaxDimension || h < 1 || h > kMaxDimension)
        return false;
    *width = w;
    *height = h;
    return true;
}

bool DecodeData(const Message& message, DataInfo* info, std::string* error)
{
    const Header& h = message.header;
    if (h.type != kVideoFrame && h.type != kPicture)
        return Fail(error, "not a data message");
    if (message.payload.size() != h.length || h.length <= kDataInfoSize)
        return Fail(error, "bad data message length");
    const uint8_t* p = message.payload.data();
    DataInfo d;
    d.format = GetU32(p);
    d.resolution = GetU32(p + 4);
    uint32_t width = GetU32(p + 8);
    uint32_t height = GetU32(p + 12);
    d.timestampMs = GetU32(p + 16);
    if (GetU32(p + 20) != 0)
        return Fail(error, "reserved field set");
    if (!AnalyseResolution(d.resolution, &d.width, &d.height))
        return Fail(error, "bad resolution code");
    if (static_cast<uint32_t>(d.width) != width || static_cast<uint32_t>(d.height) != height)
        return Fail(error, "size does not match the resolution code");
    d.data = p + kDataInfoSize;
    d.size = message.payload.size() - kDataInfoSize;
    switch (d.format) {
    case 1: {  // YUYV
        if (d.width % 2 != 0)
            return Fail(error, "odd YUYV width");
        uint64_t expected = static_cast<uint64_t>(d.width) * static_cast<uint64_t>(d.height) * 2;
        if (d.size != expected)
            return Fail(error, "YUYV size does not match the resolution");
        break;
    }
    case 2:  // MJPG
        if (d.size < 4 || d.data[0] != 0xFF || d.data[1] != 0xD8)
            return Fail(error, "MJPG data without a JPEG start marker");
        break;
    case 3:  // H264
        break;
    default:
        return Fail(error, "unknown data format");
    }
    *info = d;
    return true;
}

std::vector<uint8_t> EncodeDataPayload(
    uint32_t format, int width, int height, uint32_t timestampMs, const uint8_t* data, size_t size)
{
    std::vector<uint8_t> out;
    out.reserve(kDataInfoSize + size);
    AppendU32(out, format);
    AppendU32(out, GroupResolution(width, height));
    AppendU32(out, static_cast<uint32_t>(width));
    AppendU32(out, static_cast<uint32_t>(height));
    AppendU32(out, timestampMs);
    AppendU32(out, 0);
    out.insert(out.end(), data, data + size);
    return out;
}

bool DecodeAbility(const uint8_t* in, size_t size, std::vector<FormatAbility>* formats, std::string* error)
{
    if (size != kAbilitySize)
        return Fail(error, "bad ability size");
    std::vector<FormatAbility> result;
    for (size_t f = 0; f < kMaxFormats; ++f) {
        const uint8_t* entry = in + f * (4 + kMaxResolutions * 8);
        FormatAbility format;
        format.format = GetU32(entry);
        if (format.format == 0)
            break;
        if (format.format > 3)
            return Fail(error, "unknown format in ability");
        for (size_t r = 0; r < kMaxResolutions; ++r) {
            uint32_t code = GetU32(entry + 4 + r * 8);
            uint32_t fps = GetU32(entry + 8 + r * 8);
            if (code == 0)
                break;
            int w, h;
            if (!AnalyseResolution(code, &w, &h))
                return Fail(error, "bad resolution code in ability");
            if (fps > 1000)
                return Fail(error, "bad frame rate in ability");
            format.resolutions.emplace_back(code, fps);
        }
        result.push_back(std::move(format));
    }
    *formats = std::move(result);
    return true;
}

std::vector<uint8_t> EncodeAbility(const std::vector<FormatAbility>& formats)
{
    std::vector<uint8_t> out(kAbilitySize, 0);
    for (size_t f = 0; f < formats.size() && f < kMaxFormats; ++f) {
        uint8_t* entry = out.data() + f * (4 + kMaxResolutions * 8);
        PutU32(entry, formats[f].format);
        for (size_t r = 0; r < formats[f].resolutions.size() && r < kMaxResolutions; ++r) {
            PutU32(entry + 4 + r * 8, formats[f].resolutions[r].first);
            PutU32(entry + 8 + r * 8, formats[f].resolutions[r].second);
        }
    }
    return out;
}

bool CheckControl(const int32_t* w, std::string* error)
{
    auto isFlag = [](int32_t v) { return v == 0 || v == 1; };
    if (!isFlag(w[0]) || !isFlag(w[6]) || !isFlag(w[7]))
        return Fail(error, "bad control flag");
    if (w[0] == 1 && (w[1] > w[3] || w[2] < w[1] || w[2] > w[3] || w[5] < w[1] || w[5] > w[3]))
        return Fail(error, "control value outside its range");
    return true;
}

bool ReadName(const uint8_t* field, size_t size, std::string* name)
{
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        if (field[i] == 0) {
            *name = text;
            return true;
        }
        if (field[i] < 0x20 || field[i] == 0x7F)
            return false;
        text.push_back(static_cast<char>(field[i]));
    }
    return false;
}

bool DecodeHello(const uint8_t* in, size_t size, uint32_t* number, std::string* name, std::string* error)
{
    if (size != 4 + kNameSize)
        return Fail(error, "bad hello size");
    if (!ReadName(in + 4, kNameSize, name))
        return Fail(error, "bad camera name");
    *number = GetU32(in);
    return true;
}

std::vector<uint8_t> EncodeProbe(uint32_t nonce)
{
    std::vector<uint8_t> out(kProbeSize, 0);
    std::memcpy(out.data(), kMagic, 4);
    out[4] = kVersion;
    out[5] = kProbe;
    PutU32(out.data() + 8, nonce);
    return out;
}

bool DecodeProbe(const uint8_t* in, size_t size, uint32_t* nonce)
{
    if (size != kProbeSize || !HasMagic(in) || in[4] != kVersion || in[5] != kProbe || in[6] != 0
        || in[7] != 0)
        return false;
    *nonce = GetU32(in + 8);
    return true;
}

std::vector<uint8_t> EncodeAnswer(const Answer& answer)
{
    std::vector<uint8_t> out(kAnswerSize, 0);
    std::memcpy(out.data(), kMagic, 4);
    out[4] = kVersion;
    out[5] = kAnswer;
    PutU32(out.data() + 8, answer.nonce);
    PutU32(out.data() + 12, answer.number);
    PutU16(out.data() + 16, answer.port);
    size_t n = answer.name.size() < kNameSize - 1 ? answer.name.size() : kNameSize - 1;
    std::memcpy(out.data() + 20, answer.name.data(), n);
    return out;
}

bool DecodeAnswer(const uint8_t* in, size_t size, Answer* answer)
{
    if (size != kAnswerSize || !HasMagic(in) || in[4] != kVersion || in[5] != kAnswer || in[6] != 0
        || in[7] != 0 || in[18] != 0 || in[19] != 0)
        return false;
    Answer a;
    a.nonce = GetU32(in + 8);
    a.number = GetU32(in + 12);
    a.port = GetU16(in + 16);
    if (a.port == 0 || !ReadName(in + 20, kNameSize, &a.name))
        return false;
    *answer = a;
    return true;
}

MessageParser::MessageParser(Direction direction)
    : m_direction(direction)
{
}

MessageParser::Room MessageParser::Want()
{
    if (m_complete || Failed())
        return {nullptr, 0};
    if (!m_inPayload)
        return {m_headerBytes + m_headerFill, kHeaderSize - m_headerFill};
    // The buffer grows as bytes arrive, so a claimed length alone never
    // makes us allocate much.
    std::vector<uint8_t>& payload = m_message.payload;
    if (m_payloadFill == payload.size()) {
        size_t grow = payload.size() < kPayloadStep ? kPayloadStep : payload.size();
        size_t remaining = m_message.header.length - payload.size();
        payload.resize(payload.size() + (grow < remaining ? grow : remaining));
    }
    return {payload.data() + m_payloadFill, payload.size() - m_payloadFill};
}

bool MessageParser::Commit(size_t count)
{
    if (Failed())
        return false;
    if (count == 0)
        return true;
    if (m_complete) {
        m_error = "commit while a message waits";
        return false;
    }
    if (!m_inPayload) {
        if (count > kHeaderSize - m_headerFill) {
            m_error = "commit beyond the room given";
            return false;
        }
        m_headerFill += count;
        if (m_headerFill < kHeaderSize)
            return true;
        Header header;
        if (!DecodeHeader(m_headerBytes, m_direction, &header, &m_error))
            return false;
        m_message.header = header;
        m_message.payload.clear();
        m_headerFill = 0;
        m_payloadFill = 0;
        m_inPayload = header.length > 0;
        m_complete = header.length == 0;
        return true;
    }
    if (count > m_message.payload.size() - m_payloadFill) {
        m_error = "commit beyond the room given";
        return false;
    }
    m_payloadFill += count;
    if (m_payloadFill == m_message.header.length) {
        m_inPayload = false;
        m_complete = true;
    }
    return true;
}

Message MessageParser::Take()
{
    m_complete = false;
    Message out = std::move(m_message);
    m_message = Message();
    return out;
}

}  // namespace kelvara::wmp
