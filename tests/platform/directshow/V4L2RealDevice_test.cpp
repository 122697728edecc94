// Streams from a real camera through the whole capture layer. Opt-in: set
// KELVARA_TEST_V4L2=1 with a camera attached; skipped otherwise.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/directshow/MediaType.h"
#include "platform/directshow/V4L2Provider.h"
#include "tests/support/directshow/CaptureGraph.h"

namespace kelvara::dshow {
namespace {

TEST(V4L2RealDevice, StreamsFromTheFirstCamera)
{
    const char* optIn = std::getenv("KELVARA_TEST_V4L2");
    if (!optIn || std::string(optIn) != "1")
        GTEST_SKIP() << "set KELVARA_TEST_V4L2=1 to stream from a real camera";
    if (V4L2Provider::System().Enumerate().empty())
        GTEST_SKIP() << "no V4L2 capture device";

    testing::CaptureGraph g;
    ASSERT_TRUE(g.Build(0));
    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_EQ(g.config->GetFormat(&mt), S_OK);
    const VIDEOINFOHEADER* vih = GetVideoInfo(mt);
    ASSERT_NE(vih, nullptr);
    const GUID subtype = mt->subtype;
    const uint32_t expected = FrameBytes(subtype, vih->bmiHeader.biWidth, vih->bmiHeader.biHeight);
    std::printf("streaming %s %dx%d\n", SubtypeName(subtype), static_cast<int>(vih->bmiHeader.biWidth),
        static_cast<int>(vih->bmiHeader.biHeight));
    DeleteMediaType(mt);

    ASSERT_EQ(g.control->Run(), S_OK);
    for (int i = 0; i < 600 && g.frames.count.load() < 30; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    g.control->Stop();
    EXPECT_GE(g.frames.count.load(), 30);
    if (expected != 0) {
        EXPECT_EQ(g.frames.Last().size(), expected);
    }
    g.TearDown();
}

}  // namespace
}  // namespace kelvara::dshow
