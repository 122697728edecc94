// Shows the preview with a test picture, a few measurements and the
// recording indicator (screenshots, manual checks): preview_sample [seconds]
#include "tests/support/view/PreviewHostWindow.h"

#include "app/measure/MeasureRecords.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace kelvara;

namespace {

// A stage-micrometer-like picture: a soft gradient, a ruler with ticks and a disc.
std::vector<uint8_t> TestPicture(int w, int h)
{
    std::vector<uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 4];
            const double dx = x - w * 0.65, dy = y - h * 0.45;
            const bool disc = dx * dx + dy * dy < (h * 0.18) * (h * 0.18);
            const bool ruler = y > h * 0.75 && y < h * 0.78 && x > w * 0.1 && x < w * 0.9;
            const bool tick
                = y > h * 0.70 && y < h * 0.78 && x > w * 0.1 && x < w * 0.9 && (x % (w / 40)) < 8;
            p[0] = static_cast<uint8_t>(60 + 120 * x / w);
            p[1] = static_cast<uint8_t>(90 + 100 * y / h);
            p[2] = 150;
            if (disc) {
                p[0] = 220;
                p[1] = 200;
                p[2] = 90;
            }
            if (ruler || tick)
                p[0] = p[1] = p[2] = 20;
            p[3] = 255;
        }
    }
    return pixels;
}

void Click(CImageRenderUI* preview, int x, int y)
{
    for (int type : {DuiLib::UIEVENT_MOUSEMOVE, DuiLib::UIEVENT_BUTTONDOWN, DuiLib::UIEVENT_BUTTONUP}) {
        DuiLib::TEventUI event;
        event.Type = type;
        event.ptMouse = POINT{x, y};
        preview->DoEvent(event);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    kelvara::test::PreviewHostWindow host;
    if (!host.Open(40, 40, 960, 600, true, true)) {
        std::fprintf(stderr, "preview_sample: cannot open the window\n");
        return 1;
    }
    CImageRenderUI* preview = host.Preview();
    const std::vector<uint8_t> picture = TestPicture(2592, 1944);
    std::thread camera([&] { preview->PushFrame(2592, 1944, picture.data()); });
    camera.join();

    SFPrimitiveContainer& container = preview->GetContainer();
    container.SetTool(kToolLine);
    Click(preview, 150, 470);
    Click(preview, 700, 470);
    container.SetTool(kToolCircle);
    Click(preview, 610, 290);
    Click(preview, 690, 290);
    container.SetTool(kToolRectangle);
    Click(preview, 180, 150);
    Click(preview, 380, 300);
    container.SetTool(kToolNone);

    preview->RestartRecordClock();
    preview->SetRecording(true);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        preview->PushFrame(2592, 1944, picture.data());  // a live camera: the timer advances
        kelvara::test::PumpUntil([] { return false; }, 40);
    }
    host.Close();
    return 0;
}
