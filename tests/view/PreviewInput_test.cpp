// Real pointer input over the preview: the child window lets it through.
#include "tests/support/view/PreviewHostWindow.h"

#include "app/measure/MeasureRecords.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace kelvara;
using kelvara::test::PumpUntil;

TEST(PreviewInput, ClicksOverThePreviewReachTheMeasurements)
{
    kelvara::test::PreviewHostWindow host;
    ASSERT_TRUE(host.Open(300, 200, 800, 560, true, true));
    CImageRenderUI* preview = host.Preview();
    std::vector<uint8_t> frame(800 * 500 * 4, 200);
    preview->PushFrame(800, 500, frame.data());
    preview->GetContainer().SetTool(kToolPoint);

    // The middle of the preview, which lies 60 pixels below the client top.
    RECT rc;
    ASSERT_TRUE(host.GetWindowRect(rc));
    const std::string at = std::to_string(rc.left + 400) + " " + std::to_string(rc.top + 60 + 250);
    ASSERT_EQ(std::system(("xdotool mousemove " + at + " click 1").c_str()), 0);
    ASSERT_TRUE(PumpUntil([&] { return host.Count(WM_MEASURE_ADD) == 1; }));
    EXPECT_EQ(preview->GetContainer().GetCount(), 1);

    // A double click asks the host to leave full screen.
    ASSERT_EQ(std::system("xdotool click --repeat 2 --delay 40 1"), 0);
    EXPECT_TRUE(PumpUntil([&] { return host.Count(WM_LEAVE_FULLSCREEN) == 1; }));
}
