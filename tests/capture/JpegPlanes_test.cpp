// A camera's JPEG decoded into its own planes: the display picture made from
// them matches the full decode, the recorder's I420 matches the display
// picture in every orientation, and streams it does not handle or that are
// damaged are told apart.
#include "app/capture/FrameConversion.h"
#include "app/capture/JpegPlanes.h"
#include "tests/support/capture/CaptureTestFrames.h"

#include <gtest/gtest.h>
#include <libyuv/convert_from_argb.h>
#include <turbojpeg.h>

#include <cstdlib>
#include <vector>

using namespace kelvara;
using namespace kelvara::capture;
using namespace kelvara::test;

namespace {

// The full decode into R,G,B,A that the pipeline uses for other JPEGs.
std::vector<uint8_t> FullDecode(const TestFrame& frame, Orientation orientation)
{
    tjhandle tj = tjInitDecompress();
    std::vector<uint8_t> rgba(PixelBufferBytes(frame.image.width, frame.image.height));
    const bool decoded = DecodeJpeg(tj, frame.image.data, frame.image.dataSize, frame.image.width,
        frame.image.height, PixelOrder::RGBA, orientation, rgba.data(), rgba.size(), nullptr, nullptr);
    tjDestroy(tj);
    EXPECT_TRUE(decoded);
    return rgba;
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int most = a.size() == b.size() ? 0 : 255;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += std::abs(a[i] - b[i]);
    return a.empty() ? 0.0 : sum / static_cast<double>(a.size());
}

struct SizeCase
{
    JpegSampling sampling;
    int width;
    int height;
};

TEST(JpegPlanes, CameraSamplingsShowWhatTheFullDecodeShows)
{
    // Sizes on and off the 16-pixel blocks, odd ones included.
    const SizeCase cases[] = {{JpegSampling::k422, 320, 240}, {JpegSampling::k422, 1920, 1080},
        {JpegSampling::k422, 322, 241}, {JpegSampling::k422, 321, 240}, {JpegSampling::k420, 320, 240},
        {JpegSampling::k420, 326, 238}, {JpegSampling::k420, 321, 241}, {JpegSampling::k420, 8, 8}};
    const Orientation orientations[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    JpegPlanes planes;  // reused across sizes, as the controller does
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(
            testing::Message() << c.width << "x" << c.height << " sampling " << static_cast<int>(c.sampling));
        const TestFrame frame
            = MakeJpegFrame(QuadrantPicture(c.width, c.height), c.width, c.height, c.sampling);
        ASSERT_EQ(planes.Decode(frame.image.data, frame.image.dataSize, c.width, c.height),
            JpegPlanes::Result::kDecoded);
        EXPECT_TRUE(planes.HasPicture());
        EXPECT_EQ(planes.Width(), c.width);
        EXPECT_EQ(planes.Height(), c.height);
        for (const Orientation& o : orientations) {
            SCOPED_TRACE(testing::Message() << "mirror " << o.mirror << " flip " << o.flip);
            std::vector<uint8_t> rgba(PixelBufferBytes(c.width, c.height), 0);
            planes.ToRgba(o, rgba.data());
            // Both use the JPEG matrix and repeat each chroma sample; only
            // the rounding of the colour conversion differs.
            EXPECT_LE(MaxDifference(rgba, FullDecode(frame, o)), 3);
        }
    }
}

// The recorder's picture is the display picture's, turned the same way: its
// I420 equals (within rounding) the display picture converted with the JPEG
// matrix, in every orientation and for both samplings.
TEST(JpegPlanes, RecordedPictureIsTheDisplayPictureInEveryOrientation)
{
    const int w = 320, h = 240;
    const Orientation orientations[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (JpegSampling sampling : {JpegSampling::k422, JpegSampling::k420}) {
        const TestFrame frame = MakeJpegFrame(QuadrantPicture(w, h), w, h, sampling);
        JpegPlanes planes;
        ASSERT_EQ(planes.Decode(frame.image.data, frame.image.dataSize, w, h), JpegPlanes::Result::kDecoded);
        for (const Orientation& o : orientations) {
            SCOPED_TRACE(testing::Message()
                << "sampling " << static_cast<int>(sampling) << " mirror " << o.mirror << " flip " << o.flip);
            std::vector<uint8_t> rgba(PixelBufferBytes(w, h));
            planes.ToRgba(o, rgba.data());
            std::vector<uint8_t> want(static_cast<size_t>(w) * h * 3 / 2);
            uint8_t* y = want.data();
            libyuv::ABGRToJ420(rgba.data(), w * 4, y, w, y + w * h, w / 2, y + w * h * 5 / 4, w / 2, w, h);
            std::vector<uint8_t> got(want.size(), 0);
            uint8_t* gy = got.data();
            planes.ToI420(o, gy, gy + w * h, gy + w * h * 5 / 4);
            EXPECT_LT(MeanDifference(got, want), 1.0);
            // The quadrant centres (luma and both chroma planes) agree closely.
            for (int q = 0; q < 4; ++q) {
                const int cx = (q % 2) * w / 2 + w / 4, cy = (q / 2) * h / 2 + h / 4;
                const size_t luma = static_cast<size_t>(cy) * w + cx;
                const size_t chroma = static_cast<size_t>(cy / 2) * (w / 2) + cx / 2;
                EXPECT_NEAR(got[luma], want[luma], 3) << "quadrant " << q;
                EXPECT_NEAR(got[w * h + chroma], want[w * h + chroma], 3) << "quadrant " << q;
                EXPECT_NEAR(got[w * h * 5 / 4 + chroma], want[w * h * 5 / 4 + chroma], 3) << "quadrant " << q;
            }
        }
    }
}

TEST(JpegPlanes, OtherStreamsAreLeftToTheFullDecode)
{
    const int w = 64, h = 48;
    JpegPlanes planes;
    for (JpegSampling sampling : {JpegSampling::k444, JpegSampling::kGrey}) {
        const TestFrame frame = MakeJpegFrame(QuadrantPicture(w, h), w, h, sampling);
        EXPECT_EQ(
            planes.Decode(frame.image.data, frame.image.dataSize, w, h), JpegPlanes::Result::kOtherLayout);
        EXPECT_FALSE(planes.HasPicture());
    }
}

TEST(JpegPlanes, DamagedStreamsLeaveNoPicture)
{
    const int w = 320, h = 240;
    const TestFrame good = MakeJpegFrame(QuadrantPicture(w, h), w, h, JpegSampling::k422);
    JpegPlanes planes;
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        int width;
        int height;
    };
    std::vector<uint8_t> corrupt = good.bytes;
    for (size_t i = corrupt.size() / 3; i < corrupt.size() * 2 / 3; ++i)
        corrupt[i] = static_cast<uint8_t>(i * 7);
    const Case cases[] = {
        {"cut short", std::vector<uint8_t>(good.bytes.begin(), good.bytes.begin() + good.bytes.size() / 2), w,
            h},
        {"corrupt", corrupt, w, h},
        {"another size", good.bytes, w * 2, h},
        {"no JPEG at all", std::vector<uint8_t>(1000, 0x55), w, h},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(planes.Decode(good.image.data, good.image.dataSize, w, h), JpegPlanes::Result::kDecoded);
        EXPECT_EQ(planes.Decode(c.bytes.data(), static_cast<int>(c.bytes.size()), c.width, c.height),
            JpegPlanes::Result::kFailed);
        EXPECT_FALSE(planes.HasPicture());
    }
    EXPECT_EQ(planes.Decode(nullptr, 100, w, h), JpegPlanes::Result::kFailed);

    // Stray bytes before the end marker only make libjpeg warn: accepted.
    std::vector<uint8_t> stray = good.bytes;
    stray.insert(stray.end() - 2, 37, 0xA5);
    EXPECT_EQ(
        planes.Decode(stray.data(), static_cast<int>(stray.size()), w, h), JpegPlanes::Result::kDecoded);
}

}  // namespace
