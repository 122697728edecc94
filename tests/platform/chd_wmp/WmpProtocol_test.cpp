#include "platform/chd_wmp/WmpProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kelvara::wmp;

namespace {

std::vector<uint8_t> RawHeader(
    const char* magic, uint8_t version, uint8_t type, uint16_t status, uint32_t length)
{
    std::vector<uint8_t> h(kHeaderSize, 0);
    std::copy(magic, magic + 4, h.begin());
    h[4] = version;
    h[5] = type;
    PutU16(h.data() + 6, status);
    PutU32(h.data() + 8, 7);
    PutU32(h.data() + 12, length);
    return h;
}

Message DataMessage(uint32_t format, uint32_t code, uint32_t width, uint32_t height,
    std::vector<uint8_t> data, uint32_t reserved = 0)
{
    Message m;
    m.header.type = kVideoFrame;
    for (uint32_t v : {format, code, width, height, 0u, reserved})
        AppendU32(m.payload, v);
    m.payload.insert(m.payload.end(), data.begin(), data.end());
    m.header.length = static_cast<uint32_t>(m.payload.size());
    return m;
}

}  // namespace

TEST(WmpProtocol, HeaderChecksEveryField)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        Direction direction;
        bool accepted;
    };
    const Case cases[] = {
        {"hello request", RawHeader("KWMP", 1, kHello, 0, 0), Direction::ToCamera, true},
        {"set control request", RawHeader("KWMP", 1, kSetControl, 0, 36), Direction::ToCamera, true},
        {"bad magic", RawHeader("KWMX", 1, kHello, 0, 0), Direction::ToCamera, false},
        {"future version", RawHeader("KWMP", 2, kHello, 0, 0), Direction::ToCamera, false},
        {"unknown request", RawHeader("KWMP", 1, 0x0C, 0, 0), Direction::ToCamera, false},
        {"reply sent to camera", RawHeader("KWMP", 1, kHello | kReplyFlag, 0, 24), Direction::ToCamera,
            false},
        {"request with a status", RawHeader("KWMP", 1, kHello, 1, 0), Direction::ToCamera, false},
        {"request too long", RawHeader("KWMP", 1, kSetFormat, 0, 5), Direction::ToCamera, false},
        {"hello reply", RawHeader("KWMP", 1, kHello | kReplyFlag, 0, 24), Direction::ToClient, true},
        {"refusal", RawHeader("KWMP", 1, kSetFormat | kReplyFlag, 0xFFFF, 0), Direction::ToClient, true},
        {"refusal with payload", RawHeader("KWMP", 1, kGetFormat | kReplyFlag, 0xFFFF, 4),
            Direction::ToClient, false},
        {"ability reply short", RawHeader("KWMP", 1, kGetAbility | kReplyFlag, 0, 399), Direction::ToClient,
            false},
        {"request sent to client", RawHeader("KWMP", 1, kHello, 0, 0), Direction::ToClient, false},
        {"frame", RawHeader("KWMP", 1, kVideoFrame, 0, 25), Direction::ToClient, true},
        {"frame without data", RawHeader("KWMP", 1, kVideoFrame, 0, 24), Direction::ToClient, false},
        {"frame too large", RawHeader("KWMP", 1, kPicture, 0, kMaxPayload + 1), Direction::ToClient, false},
        {"frame of 4 GiB", RawHeader("KWMP", 1, kPicture, 0, 0xFFFFFFFF), Direction::ToClient, false},
        {"frame with a status", RawHeader("KWMP", 1, kVideoFrame, 3, 100), Direction::ToClient, false},
    };
    for (const Case& c : cases) {
        Header header;
        std::string error;
        EXPECT_EQ(DecodeHeader(c.bytes.data(), c.direction, &header, &error), c.accepted) << c.what;
        EXPECT_EQ(error.empty(), c.accepted) << c.what;
    }
}

TEST(WmpProtocol, DataMessagesMustMatchTheirResolution)
{
    uint32_t code = GroupResolution(4, 2);
    std::vector<uint8_t> yuyv(4 * 2 * 2, 0x80);
    struct Case
    {
        const char* what;
        Message message;
        bool accepted;
    };
    const Case cases[] = {
        {"yuyv", DataMessage(1, code, 4, 2, yuyv), true},
        {"yuyv one byte short", DataMessage(1, code, 4, 2, std::vector<uint8_t>(15, 0)), false},
        {"yuyv odd width", DataMessage(1, GroupResolution(3, 2), 3, 2, std::vector<uint8_t>(12, 0)), false},
        {"size differs from code", DataMessage(1, code, 4, 4, yuyv), false},
        {"invalid code", DataMessage(1, 0, 0, 0, yuyv), false},
        {"mjpg", DataMessage(2, code, 4, 2, {0xFF, 0xD8, 0xFF, 0xD9}), true},
        {"mjpg without start marker", DataMessage(2, code, 4, 2, {0x00, 0xD8, 0xFF, 0xD9}), false},
        {"h264", DataMessage(3, code, 4, 2, {0, 0, 1}), true},
        {"unknown format", DataMessage(9, code, 4, 2, yuyv), false},
        {"reserved field set", DataMessage(1, code, 4, 2, yuyv, 1), false},
    };
    for (const Case& c : cases) {
        DataInfo info;
        std::string error;
        EXPECT_EQ(DecodeData(c.message, &info, &error), c.accepted) << c.what;
    }
    DataInfo info;
    std::string error;
    ASSERT_TRUE(DecodeData(cases[0].message, &info, &error));
    EXPECT_EQ(info.width, 4);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.size, yuyv.size());
}

TEST(WmpProtocol, ResolutionCodesRoundTripWithinLimits)
{
    int w = 0, h = 0;
    ASSERT_TRUE(AnalyseResolution(GroupResolution(1920, 1080), &w, &h));
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
    EXPECT_EQ(GroupResolution(0, 480), 0u);
    EXPECT_EQ(GroupResolution(640, kMaxDimension + 1), 0u);
    EXPECT_FALSE(AnalyseResolution(0, &w, &h));
    EXPECT_FALSE(AnalyseResolution(0xFFFFFFFFu, &w, &h));
}

TEST(WmpProtocol, AbilityRejectsUnknownFormatsAndCodes)
{
    FormatAbility mjpg{2, {{GroupResolution(640, 480), 30}, {GroupResolution(800, 600), 30}}};
    std::vector<FormatAbility> decoded;
    std::string error;
    ASSERT_TRUE(DecodeAbility(EncodeAbility({mjpg}).data(), kAbilitySize, &decoded, &error));
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].resolutions.size(), 2u);

    std::vector<uint8_t> bad = EncodeAbility({FormatAbility{7, {}}});
    EXPECT_FALSE(DecodeAbility(bad.data(), bad.size(), &decoded, &error));
    bad = EncodeAbility({FormatAbility{1, {{0x00010000u, 30}}}});  // height 0
    EXPECT_FALSE(DecodeAbility(bad.data(), bad.size(), &decoded, &error));
    EXPECT_FALSE(DecodeAbility(bad.data(), bad.size() - 1, &decoded, &error));
}

TEST(WmpProtocol, NamesNeedTerminatorAndPrintableText)
{
    std::string name;
    const uint8_t good[4] = {'c', 'a', 'm', 0};
    const uint8_t unterminated[3] = {'c', 'a', 'm'};
    const uint8_t control[4] = {'c', '\n', 'm', 0};
    EXPECT_TRUE(ReadName(good, 4, &name));
    EXPECT_EQ(name, "cam");
    EXPECT_FALSE(ReadName(unterminated, 3, &name));
    EXPECT_FALSE(ReadName(control, 4, &name));
}

TEST(WmpProtocol, ParserSplitsAStreamFedInAnyPieces)
{
    std::vector<uint8_t> stream;
    std::vector<uint8_t> frame
        = EncodeDataPayload(2, 4, 2, 0, std::vector<uint8_t>{0xFF, 0xD8, 1, 2}.data(), 4);
    for (int i = 0; i < 3; ++i) {
        std::vector<uint8_t> a
            = EncodeMessage(kGetFormat | kReplyFlag, 0, i, std::vector<uint8_t>(4, 1).data(), 4);
        std::vector<uint8_t> b = EncodeMessage(kVideoFrame, 0, i, frame.data(), frame.size());
        std::vector<uint8_t> c = EncodeMessage(kVideoEnd | kReplyFlag, 0, i, nullptr, 0);
        for (auto* m : {&a, &b, &c})
            stream.insert(stream.end(), m->begin(), m->end());
    }
    for (size_t piece : {size_t(1), size_t(3), size_t(16), size_t(17), stream.size()}) {
        MessageParser parser(Direction::ToClient);
        std::vector<Message> messages;
        for (size_t pos = 0; pos < stream.size(); pos += piece) {
            size_t n = std::min(piece, stream.size() - pos);
            ASSERT_TRUE(parser.Feed(stream.data() + pos, n, [&](Message&& m) { messages.push_back(m); }));
        }
        ASSERT_EQ(messages.size(), 9u) << "piece " << piece;
        EXPECT_EQ(messages[4].header.type, kVideoFrame);
        EXPECT_EQ(messages[4].payload, frame);
        EXPECT_TRUE(messages[8].payload.empty());
    }
}

TEST(WmpProtocol, ParserDoesNotTrustAClaimedLengthWithMemory)
{
    MessageParser parser(Direction::ToClient);
    std::vector<uint8_t> header = RawHeader("KWMP", 1, kVideoFrame, 0, kMaxPayload);
    ASSERT_TRUE(parser.Feed(header.data(), header.size(), [](Message&&) {}));
    MessageParser::Room room = parser.Want();
    EXPECT_LE(room.size, 64u * 1024u);

    // A broken header stops the parser for good.
    MessageParser broken(Direction::ToClient);
    std::vector<uint8_t> bad = RawHeader("KWMP", 9, kVideoFrame, 0, 30);
    EXPECT_FALSE(broken.Feed(bad.data(), bad.size(), [](Message&&) {}));
    EXPECT_TRUE(broken.Failed());
    EXPECT_FALSE(broken.Feed(header.data(), header.size(), [](Message&&) {}));
}

TEST(WmpProtocol, DiscoveryDatagramsAreCheckedExactly)
{
    uint32_t nonce = 0;
    std::vector<uint8_t> probe = EncodeProbe(0x1234);
    ASSERT_TRUE(DecodeProbe(probe.data(), probe.size(), &nonce));
    EXPECT_EQ(nonce, 0x1234u);
    EXPECT_FALSE(DecodeProbe(probe.data(), probe.size() - 1, &nonce));

    Answer answer{5, 42, 40000, "Cam"};
    std::vector<uint8_t> bytes = EncodeAnswer(answer);
    Answer decoded;
    ASSERT_TRUE(DecodeAnswer(bytes.data(), bytes.size(), &decoded));
    EXPECT_EQ(decoded.name, "Cam");
    EXPECT_EQ(decoded.port, 40000);
    std::fill(bytes.begin() + 20, bytes.end(), 'x');  // no terminator
    EXPECT_FALSE(DecodeAnswer(bytes.data(), bytes.size(), &decoded));
    answer.port = 0;
    bytes = EncodeAnswer(answer);
    EXPECT_FALSE(DecodeAnswer(bytes.data(), bytes.size(), &decoded));
}
