// The preview in a real window under X: frames from another thread, fitting,
// the overlay, the recording indicator, input through the child window,
// snapshots and stopping.
#include "tests/support/view/PreviewHostWindow.h"

#include "app/measure/MeasureRecords.h"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace kelvara;
using kelvara::test::PreviewHostWindow;
using kelvara::test::PumpUntil;

namespace {

// The host's preview: 800 x 500 at (0, 60) of an 800 x 560 client area.
constexpr int kTop = 60;

std::vector<uint8_t> Solid(int w, int h, sf::Color color)
{
    const uint8_t rgba[4] = {color.r, color.g, color.b, 255};
    uint32_t word;
    std::memcpy(&word, rgba, 4);
    std::vector<uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    std::fill_n(reinterpret_cast<uint32_t*>(pixels.data()), static_cast<std::size_t>(w) * h, word);
    return pixels;
}

void FillRect(std::vector<uint8_t>& pixels, int w, int x0, int y0, int x1, int y1, sf::Color color)
{
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            uint8_t* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = color.r;
            p[1] = color.g;
            p[2] = color.b;
        }
    }
}

void PushFromCameraThread(CImageRenderUI* preview, int w, int h, const std::vector<uint8_t>& pixels)
{
    std::thread camera([&] { preview->PushFrame(w, h, pixels.data()); });
    camera.join();
}

bool Near(sf::Color a, sf::Color b, int tolerance = 8)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance
        && std::abs(a.b - b.b) <= tolerance;
}

class PreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kelvara-view-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        // Away from where other programs' tests click.
        ASSERT_TRUE(host.Open(1050, 480, 800, 560, true, true));
        preview = host.Preview();
    }
    void TearDown() override
    {
        host.Close();
        std::system(("rm -rf " + dir).c_str());
    }
    sf::Image Snapshot(PreviewHostWindow& from)
    {
        const std::string path = dir + "/shot.png";
        sf::Image image;
        EXPECT_TRUE(from.Preview()->SaveSnapshot(path));
        EXPECT_TRUE(image.loadFromFile(path));
        return image;
    }
    sf::Image Snapshot() { return Snapshot(host); }

    std::string dir;
    PreviewHostWindow host;
    CImageRenderUI* preview = nullptr;
};

}  // namespace

TEST_F(PreviewTest, FramesFromTheCameraThreadShowFittedAndCentred)
{
    // Before the first frame: black, unit zoom, no offset.
    EXPECT_EQ(preview->GetViewZoom(), 1.0f);
    EXPECT_EQ(preview->GetViewOriginX(), 0.0f);
    sf::Image empty = Snapshot();
    ASSERT_EQ(empty.getSize(), sf::Vector2u(800, 500));
    EXPECT_EQ(empty.getPixel(400, 250), sf::Color::Black);

    // 4000 x 3000 in 800 x 500: zoom 1/6, bars of 66.7 pixels left and right.
    std::vector<uint8_t> frame = Solid(4000, 3000, sf::Color::Blue);
    FillRect(frame, 4000, 1800, 1200, 2200, 1800, sf::Color::Red);
    PushFromCameraThread(preview, 4000, 3000, frame);
    EXPECT_NEAR(preview->GetViewZoom(), 1.0f / 6.0f, 1e-6);
    EXPECT_NEAR(preview->GetViewOriginX(), 66.667f, 1e-3);
    EXPECT_EQ(preview->GetViewOriginY(), 0.0f);

    sf::Image shot = Snapshot();
    EXPECT_EQ(shot.getPixel(60, 250), sf::Color::Black);
    EXPECT_EQ(shot.getPixel(70, 250), sf::Color::Blue);
    EXPECT_EQ(shot.getPixel(400, 250), sf::Color::Red);  // image (2000, 1500)
    EXPECT_EQ(shot.getPixel(400, 190), sf::Color::Blue);  // image (2000, 1140)
    EXPECT_EQ(shot.getPixel(730, 10), sf::Color::Blue);
    EXPECT_EQ(shot.getPixel(740, 10), sf::Color::Black);
}

TEST_F(PreviewTest, MeasurementsFollowARefit)
{
    const sf::Color grey(128, 128, 128);
    PushFromCameraThread(preview, 800, 500, Solid(800, 500, grey));
    preview->GetContainer().SetTool(kToolLine);
    auto send = [&](int type, int x, int y) {
        DuiLib::TEventUI event;
        event.Type = type;
        event.ptMouse = POINT{x, y + kTop};
        preview->DoEvent(event);
    };
    send(DuiLib::UIEVENT_BUTTONDOWN, 200, 100);
    send(DuiLib::UIEVENT_BUTTONUP, 200, 100);
    send(DuiLib::UIEVENT_MOUSEMOVE, 400, 100);
    send(DuiLib::UIEVENT_BUTTONDOWN, 400, 100);
    send(DuiLib::UIEVENT_BUTTONUP, 400, 100);
    ASSERT_EQ(host.Count(WM_MEASURE_ADD), 1);
    ASSERT_EQ(preview->GetContainer().GetCount(), 1);
    EXPECT_FALSE(Near(Snapshot().getPixel(300, 100), grey));

    // A wider frame: zoom 0.5, origin (0, 125); the line's image points stay.
    PushFromCameraThread(preview, 1600, 500, Solid(1600, 500, grey));
    auto shape = [&] {
        std::lock_guard<std::recursive_mutex> lock(preview->GetLock());
        return preview->GetContainer().GetPrimitive(0)->GetShape();
    };
    sf::VertexArray line = shape();
    ASSERT_GE(line.getVertexCount(), 2u);
    EXPECT_NEAR(line[0].position.x, 100.0f, 0.01);
    EXPECT_NEAR(line[0].position.y, 175.0f, 0.01);
    EXPECT_NEAR(line[line.getVertexCount() - 1].position.x, 200.0f, 0.01);
    sf::Image shot = Snapshot();
    EXPECT_FALSE(Near(shot.getPixel(150, 175), grey));
    EXPECT_EQ(shot.getPixel(300, 100), sf::Color::Black);  // above the picture now
    EXPECT_TRUE(Near(shot.getPixel(300, 300), grey));

    // Another frame of that size moves nothing.
    PushFromCameraThread(preview, 1600, 500, Solid(1600, 500, grey));
    EXPECT_NEAR(shape()[0].position.y, 175.0f, 0.01);
}

TEST_F(PreviewTest, ResizingTheControlRefitsThePicture)
{
    PushFromCameraThread(preview, 800, 500, Solid(800, 500, sf::Color::Blue));
    host.ResizeClient(1000, 560);
    ASSERT_TRUE(PumpUntil([&] { return preview->GetWidth() == 1000; }));
    EXPECT_EQ(preview->GetViewZoom(), 1.0f);
    EXPECT_EQ(preview->GetViewOriginX(), 100.0f);
    sf::Image shot = Snapshot();
    ASSERT_EQ(shot.getSize(), sf::Vector2u(1000, 500));
    EXPECT_EQ(shot.getPixel(95, 250), sf::Color::Black);
    EXPECT_EQ(shot.getPixel(105, 250), sf::Color::Blue);
}

TEST_F(PreviewTest, IndicatorShowsOnlyWhileRecordingAndWithTheStrip)
{
    const std::vector<uint8_t> white = Solid(800, 500, sf::Color::White);
    PushFromCameraThread(preview, 800, 500, white);
    EXPECT_EQ(Snapshot().getPixel(10, 30), sf::Color::White);

    preview->RestartRecordClock();
    preview->SetRecording(true);
    sf::Image shot = Snapshot();
    EXPECT_TRUE(Near(shot.getPixel(10, 30), sf::Color(127, 127, 127), 2));  // half-transparent box
    EXPECT_EQ(shot.getPixel(160, 30), sf::Color::White);  // right of the box
    int dot = 0, text = 0;
    for (unsigned y = 17; y < 37; ++y)
        for (unsigned x = 15; x < 35; ++x)
            dot += !Near(shot.getPixel(x, y), sf::Color(127, 127, 127), 2);
    for (unsigned y = 11; y < 45; ++y)
        for (unsigned x = 44; x < 148; ++x)
            text += shot.getPixel(x, y).r > 200;
    EXPECT_GT(dot, 20);
    EXPECT_GT(text, 50);  // "00:00:00"

    preview->SetRecording(false);
    EXPECT_EQ(Snapshot().getPixel(10, 30), sf::Color::White);

    // A preview whose strip was never loaded draws no indicator.
    PreviewHostWindow bare;
    ASSERT_TRUE(bare.Open(1100, 500, 800, 560, false, true));
    PushFromCameraThread(bare.Preview(), 800, 500, white);
    bare.Preview()->SetRecording(true);
    EXPECT_EQ(Snapshot(bare).getPixel(10, 30), sf::Color::White);
}

TEST_F(PreviewTest, DetachStopsTheRenderThreadWithinASecond)
{
    std::atomic<bool> stop{false};
    std::vector<uint8_t> frame = Solid(1920, 1080, sf::Color::Blue);
    std::thread camera([&] {
        while (!stop) {
            preview->PushFrame(1920, 1080, frame.data());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    ASSERT_TRUE(PumpUntil([&] { return preview->GetDrawCount() > 3; }));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(preview->Detach(), &host.Child());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(1000));

    const unsigned drawn = preview->GetDrawCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop = true;
    camera.join();
    EXPECT_EQ(preview->GetDrawCount(), drawn);
    EXPECT_FALSE(preview->SaveSnapshot(dir + "/after.png"));
    EXPECT_EQ(preview->Detach(), nullptr);
}

TEST_F(PreviewTest, SnapshotFormatFollowsTheExtension)
{
    PushFromCameraThread(preview, 800, 500, Solid(800, 500, sf::Color::Red));
    for (const char* name : {"a.png", "a.bmp", "a.jpg"}) {
        const std::string path = dir + "/" + name;
        ASSERT_TRUE(preview->SaveSnapshot(path)) << name;
        sf::Image image;
        ASSERT_TRUE(image.loadFromFile(path)) << name;
        EXPECT_EQ(image.getSize(), sf::Vector2u(800, 500));
        EXPECT_TRUE(Near(image.getPixel(400, 250), sf::Color::Red)) << name;
    }
    EXPECT_FALSE(preview->SaveSnapshot(dir + "/a.xyz"));
    EXPECT_FALSE(preview->SaveSnapshot(dir + "/no/such/folder/a.png"));
    EXPECT_FALSE(preview->SaveSnapshot(dir + "/noextension"));
    // Nothing half-written is left behind.
    int files = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            files += e->d_name[0] != '.';
        closedir(d);
    }
    EXPECT_EQ(files, 3);
}

TEST(PreviewAttach, RefusesSomethingThatIsNoWindow)
{
    CImageRenderUI preview;
    CPreviewChildWindow never;
    EXPECT_EQ(preview.Attach(nullptr), 0);
    EXPECT_EQ(preview.Attach(&never), 0);
    EXPECT_EQ(preview.Detach(), nullptr);
    EXPECT_FALSE(preview.SaveSnapshot("/tmp/never.png"));
    // Frames without area or pixels are ignored; one frame still fits later.
    std::vector<uint8_t> pixel(4, 255);
    preview.PushFrame(0, 1, pixel.data());
    preview.PushFrame(-1, 1, pixel.data());
    preview.PushFrame(1, 1, nullptr);
    EXPECT_EQ(preview.GetViewZoom(), 1.0f);
    EXPECT_STREQ(preview.GetClass(), "ImageRenderUI");
}

TEST_F(PreviewTest, HiddenPreviewUploadsNothingAndShowsTheNewestFrameAgain)
{
    PushFromCameraThread(preview, 320, 200, Solid(320, 200, sf::Color::Red));
    ASSERT_TRUE(PumpUntil([&] { return preview->GetUploadCount() >= 1; }));
    preview->SetInternVisible(false);
    PumpUntil([] { return false; }, 100);
    const unsigned uploads = preview->GetUploadCount();
    const unsigned draws = preview->GetDrawCount();
    std::thread camera([&] {
        const std::vector<uint8_t> blue = Solid(320, 200, sf::Color::Blue);
        const std::vector<uint8_t> green = Solid(320, 200, sf::Color::Green);
        for (int i = 0; i < 20; ++i) {
            preview->PushFrame(320, 200, (i == 19 ? green : blue).data());
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    camera.join();
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(preview->GetUploadCount(), uploads);
    EXPECT_EQ(preview->GetDrawCount(), draws);

    // Shown again: one upload, of the newest frame.
    preview->SetInternVisible(true);
    ASSERT_TRUE(PumpUntil([&] { return preview->GetUploadCount() > uploads; }));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(preview->GetUploadCount(), uploads + 1);
    EXPECT_TRUE(Near(Snapshot().getPixel(400, 250), sf::Color::Green));
}

TEST_F(PreviewTest, AfterAResizeNoFrameOfTheOldSizeIsShown)
{
    // A camera thread switches from 640 x 400 red to 400 x 400 green while
    // the render thread draws; the last picture is the new size, fitted as
    // such (zoom 1.25, bars of 150 pixels), with nothing red anywhere.
    std::thread camera([&] {
        const std::vector<uint8_t> red = Solid(640, 400, sf::Color::Red);
        const std::vector<uint8_t> green = Solid(400, 400, sf::Color::Green);
        for (int i = 0; i < 60; ++i) {
            if (i < 30)
                preview->PushFrame(640, 400, red.data());
            else
                preview->PushFrame(400, 400, green.data());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    camera.join();
    PumpUntil([] { return false; }, 200);
    EXPECT_NEAR(preview->GetViewZoom(), 1.25f, 1e-5);
    EXPECT_NEAR(preview->GetViewOriginX(), 150.0f, 1e-3);
    const sf::Image shot = Snapshot();
    EXPECT_EQ(shot.getPixel(100, 250), sf::Color::Black);
    EXPECT_TRUE(Near(shot.getPixel(400, 250), sf::Color::Green));
    for (unsigned x = 0; x < 800; x += 10)
        for (unsigned y = 0; y < 500; y += 10)
            ASSERT_FALSE(Near(shot.getPixel(x, y), sf::Color::Red)) << x << "," << y;
}

TEST_F(PreviewTest, IdleRenderThreadSleeps)
{
    PushFromCameraThread(preview, 320, 200, Solid(320, 200, sf::Color::Red));
    ASSERT_TRUE(PumpUntil([&] { return preview->GetDrawCount() >= 1; }));
    PumpUntil([] { return false; }, 200);
    // Nothing changes: no drawing and, measured by the process's CPU clock,
    // next to no work (the UI thread here only sleeps).
    const unsigned draws = preview->GetDrawCount();
    timespec before{}, after{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    const double cpuMs = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
    EXPECT_EQ(preview->GetDrawCount(), draws);
    EXPECT_LT(cpuMs, 5.0);
}
