// libFuzzer target: whatever a camera sends, the client's message parser
// and message decoders must reject it cleanly or accept it in bounds.
// The first input byte picks the piece size the stream is fed in, as a
// network delivers it in arbitrary pieces.

#include "platform/chd_wmp/WmpConnection.h"
#include "platform/chd_wmp/WmpProtocol.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace kelvara::wmp;

namespace {

void Decode(const Message& message)
{
    std::string error;
    const Header& h = message.header;
    const std::vector<uint8_t>& p = message.payload;
    if (p.size() != h.length)
        std::abort();
    if (h.type == kVideoFrame || h.type == kPicture) {
        DataInfo info;
        if (DecodeData(message, &info, &error)) {
            if (info.data < p.data() || info.data + info.size > p.data() + p.size())
                std::abort();
            RecordPtr record = MakeRecord(info, h.id);
        }
        return;
    }
    if (h.status != 0)
        return;
    switch (h.type & ~kReplyFlag) {
    case kHello: {
        uint32_t number;
        std::string name;
        DecodeHello(p.data(), p.size(), &number, &name, &error);
        break;
    }
    case kGetAbility: {
        std::vector<FormatAbility> formats;
        DecodeAbility(p.data(), p.size(), &formats, &error);
        break;
    }
    case kGetControl: {
        int32_t words[kControlWords];
        for (size_t i = 0; i < kControlWords; ++i)
            words[i] = static_cast<int32_t>(GetU32(p.data() + 4 * i));
        CheckControl(words, &error);
        break;
    }
    default:
        break;
    }
}

void WriteSeed(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes)
{
    std::string path = dir + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// With WMP_FUZZ_SEEDS=<dir>, writes a few valid streams to start from.
void WriteSeeds(const std::string& dir)
{
    auto stream = [](uint8_t piece, std::vector<std::vector<uint8_t>> messages) {
        std::vector<uint8_t> out{piece};
        for (const auto& m : messages)
            out.insert(out.end(), m.begin(), m.end());
        return out;
    };
    std::vector<uint8_t> hello(4 + kNameSize, 0);
    hello[4] = 'c';
    std::vector<uint8_t> yuyv(8 * 2 * 2, 0x80);
    std::vector<uint8_t> jpeg{0xFF, 0xD8, 0xFF, 0xD9};
    std::vector<uint8_t> frame = EncodeDataPayload(1, 8, 2, 5, yuyv.data(), yuyv.size());
    std::vector<uint8_t> picture = EncodeDataPayload(2, 8, 2, 5, jpeg.data(), jpeg.size());
    std::vector<uint8_t> ability = EncodeAbility({{2, {{GroupResolution(640, 480), 30}}}, {1, {}}});
    std::vector<uint8_t> control(kControlWords * 4, 0);
    PutU32(control.data(), 1);
    PutU32(control.data() + 12, 10);
    WriteSeed(
        dir, "hello", stream(7, {EncodeMessage(kHello | kReplyFlag, 0, 1, hello.data(), hello.size())}));
    WriteSeed(dir, "frames",
        stream(3,
            {EncodeMessage(kVideoFrame, 0, 0, frame.data(), frame.size()),
                EncodeMessage(kPicture, 0, 2, picture.data(), picture.size())}));
    WriteSeed(dir, "replies",
        stream(16,
            {EncodeMessage(kGetAbility | kReplyFlag, 0, 2, ability.data(), ability.size()),
                EncodeMessage(kGetControl | kReplyFlag, 0, 3, control.data(), control.size()),
                EncodeMessage(kSetFormat | kReplyFlag, -1, 4, nullptr, 0)}));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* dir = std::getenv("WMP_FUZZ_SEEDS"))
        WriteSeeds(dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    size_t piece = data[0] % 64 + 1;
    ++data;
    --size;
    MessageParser parser(Direction::ToClient);
    for (size_t pos = 0; pos < size; pos += piece) {
        size_t n = size - pos < piece ? size - pos : piece;
        if (!parser.Feed(data + pos, n, [](Message&& m) { Decode(m); }))
            break;
    }
    // The same bytes as a discovery answer.
    Answer answer;
    DecodeAnswer(data, size, &answer);
    return 0;
}
