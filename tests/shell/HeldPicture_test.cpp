// Measuring on a held picture: a frozen live frame, a picture file opened in
// place of the live picture, going back to live, and the scale bar. Real keys
// and clicks through the X server; pictures written by ImageMagick; the scale
// bar measured on the screen.
#include "app/capture/PictureFile.h"
#include "app/measure/ScaleBar.h"
#include "app/shell/AppConfig.h"
#include "app/shell/FileNaming.h"
#include "app/shell/StringTable.h"
#include "app/view/CImageRenderUI.h"
#include "platform/duilib/CFileDialog.h"
#include "tests/support/directshow/MicrometerTicks.h"
#include "tests/support/shell/MainWindowHost.h"

#include <gtest/gtest.h>

// After GoogleTest: X11's macros (None, Bool) break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;
using kelvara::CMainWnd;
using kelvara::test::MainWindowHost;
using kelvara::test::Pump;
using kelvara::test::PumpFor;
using kelvara::test::Xdo;
using Held = kelvara::CMainWnd::HeldPicture;

// The screen as R,G,B rows.
struct Screen
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    bool IsWhite(int x, int y) const
    {
        const uint8_t* p = At(x, y);
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
};

bool GrabScreen(Screen* screen)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attrs;
    XGetWindowAttributes(display, root, &attrs);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attrs.width),
        static_cast<unsigned>(attrs.height), AllPlanes, ZPixmap);
    if (image) {
        screen->width = attrs.width;
        screen->height = attrs.height;
        screen->rgb.resize(static_cast<size_t>(attrs.width) * attrs.height * 3);
        for (int y = 0; y < attrs.height; ++y) {
            for (int x = 0; x < attrs.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                uint8_t* out = &screen->rgb[(static_cast<size_t>(y) * attrs.width + x) * 3];
                out[0] = static_cast<uint8_t>((p >> 16) & 0xFF);
                out[1] = static_cast<uint8_t>((p >> 8) & 0xFF);
                out[2] = static_cast<uint8_t>(p & 0xFF);
            }
        }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return image != nullptr;
}

// With KELVARA_SHOT_DIR set, keeps the screen as <dir>/<name>.ppm for a look.
void KeepScreen(const Screen& screen, const std::string& name)
{
    const char* dir = std::getenv("KELVARA_SHOT_DIR");
    if (dir == nullptr)
        return;
    std::ofstream out(std::string(dir) + "/" + name + ".ppm", std::ios::binary);
    out << "P6\n" << screen.width << " " << screen.height << "\n255\n";
    out.write(
        reinterpret_cast<const char*>(screen.rgb.data()), static_cast<std::streamsize>(screen.rgb.size()));
}

std::string Convert(const std::string& arguments)
{
    const std::string command = "convert " + arguments + " 2>&1";
    return std::system(command.c_str()) == 0 ? "" : command;
}

class HeldPictureTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!kelvara::test::HaveXdotool())
            GTEST_SKIP() << "xdotool missing";
        if (std::system("command -v convert > /dev/null 2>&1") != 0)
            GTEST_SKIP() << "ImageMagick's convert missing";
        m_host = std::make_unique<MainWindowHost>("demo");
        ASSERT_TRUE(m_host->Open());
        ASSERT_TRUE(m_host->ClickCameraRow(0));
        ASSERT_TRUE(Pump([&] { return Window().GetController().GetCamera() != nullptr; }, 3000));
        ASSERT_TRUE(Pump([&] { return Render().GetUploadCount() > 2; }, 3000));
        ASSERT_TRUE(m_host->Click("MainTabOptMeasure"));
    }
    void TearDown() override
    {
        DuiLib::CFileDialog::SetChooser(nullptr);
        m_host.reset();
    }
    CMainWnd& Window() { return m_host->Window(); }
    kelvara::CImageRenderUI& Render() { return *Window().GetRenderControl(); }
    DuiLib::CListUI* Results() { return m_host->FindAs<DuiLib::CListUI>("MeasureDataList", "List"); }
    double ResultLength(int row)
    {
        DuiLib::CListUI* list = Results();
        return std::atof(list->GetTextCallback()->GetItemText(list->GetItemAt(row), 0, 8).c_str());
    }
    // A line with the line tool between two picture pixels, by real clicks.
    void DrawLine(double x0, double y0, double x1, double y1)
    {
        ASSERT_TRUE(m_host->Click("MeasureBtnLine"));
        long ax = 0, ay = 0, bx = 0, by = 0;
        ASSERT_TRUE(m_host->ImageToScreen(x0, y0, &ax, &ay));
        ASSERT_TRUE(m_host->ImageToScreen(x1, y1, &bx, &by));
        Xdo("mousemove " + std::to_string(ax) + " " + std::to_string(ay)
            + " sleep 0.1 click 1 sleep 0.1 mousemove " + std::to_string((ax + bx) / 2) + " "
            + std::to_string(by) + " sleep 0.1 mousemove " + std::to_string(bx) + " " + std::to_string(by)
            + " sleep 0.1 click 1");
        PumpFor(300);
        ASSERT_TRUE(m_host->Click("MeasureBtnMove"));
    }
    // Uploads stop while held: none for a while.
    bool UploadsStopped()
    {
        PumpFor(200);
        const unsigned before = Render().GetUploadCount();
        PumpFor(400);
        return Render().GetUploadCount() == before;
    }

    std::unique_ptr<MainWindowHost> m_host;
};

TEST_F(HeldPictureTest, SpaceFreezesTheLiveFrameForSnappingAndMeasuringAndReturns)
{
    // With the menu button focused, Space freezes and does not press it.
    ASSERT_TRUE(m_host->OpenMenu("Btn_Title_Main_Menu"));
    ASSERT_TRUE(m_host->CloseMenu());
    Xdo("key space");
    ASSERT_TRUE(Pump([&] { return Window().GetHeldPicture() == Held::kFrozen; }, 2000));
    PumpFor(300);
    EXPECT_FALSE(m_host->IsMenuOpen());
    EXPECT_TRUE(UploadsStopped());
    EXPECT_EQ(m_host->Find("StatusBarLabelInfo")->GetText().GetData(), GetLangText("STR_STATUS_FROZEN"));
    std::vector<uint8_t> frozen;
    int width = 0, height = 0;
    ASSERT_TRUE(Render().CopyNewestFrame(&frozen, &width, &height));

    // Snap saves the frozen frame itself (PNG: pixel for pixel).
    GetAppConfig().CFG_FILETYPE = 1;
    std::string folder;
    ASSERT_TRUE(GetImageFolder(folder));
    Xdo("key Return");
    PumpFor(500);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    std::vector<uint8_t> saved;
    int savedWidth = 0, savedHeight = 0;
    ASSERT_TRUE(
        kelvara::capture::LoadPictureFile(files[0].string(), &saved, &savedWidth, &savedHeight, nullptr));
    EXPECT_EQ(savedWidth, width);
    EXPECT_EQ(savedHeight, height);
    EXPECT_TRUE(saved == frozen) << "the snapped file differs from the frozen frame";

    // Recording waits for the live picture.
    EXPECT_FALSE(m_host->Find("ToolbarBtnRecord")->IsEnabled());
    Xdo("key F9");
    PumpFor(300);
    EXPECT_FALSE(Window().GetController().IsRecording());

    // Measuring works on the frozen frame, and the measurement stays live.
    DrawLine(100, 300, 300, 300);
    ASSERT_EQ(Results()->GetCount(), 1);
    EXPECT_NEAR(ResultLength(0), 200.0, 2.0);

    Xdo("key space");
    ASSERT_TRUE(Pump([&] { return Window().GetHeldPicture() == Held::kNone; }, 2000));
    const unsigned uploads = Render().GetUploadCount();
    EXPECT_TRUE(Pump([&] { return Render().GetUploadCount() > uploads + 3; }, 3000));
    EXPECT_TRUE(m_host->Find("ToolbarBtnRecord")->IsEnabled());
    EXPECT_EQ(Results()->GetCount(), 1);
}

TEST_F(HeldPictureTest, AnOpenedPictureIsMeasuredAtItsOwnScaleAndLiveMeasurementsComeBack)
{
    // A live measurement, which must survive the picture.
    DrawLine(100, 300, 200, 300);
    ASSERT_EQ(Results()->GetCount(), 1);
    const double liveLength = ResultLength(0);

    // 40 pixels per centimetre: 250 um per pixel, recorded in the PNG.
    const std::string picture = m_host->Home() + "/stage.png";
    ASSERT_EQ(Convert("-size 1200x900 gradient:white-gray40 -units PixelsPerCentimeter -density 40 '"
                  + picture + "'"),
        "");
    DuiLib::CFileDialog::SetChooser(
        [&](HWND, const DuiLib::TFileDialogOptions& options, DuiLib::CDuiString& path) {
            EXPECT_EQ(options.kind, DuiLib::TFileDialogOptions::Open);
            path = picture.c_str();
            return true;
        });
    Xdo("key ctrl+o");
    ASSERT_TRUE(Pump([&] { return Window().GetHeldPicture() == Held::kFile; }, 5000));
    ASSERT_TRUE(Pump(
        [&] {
            std::vector<uint8_t> pixels;
            int w = 0, h = 0;
            return Render().CopyNewestFrame(&pixels, &w, &h) && w == 1200 && h == 900 && UploadsStopped();
        },
        5000));
    EXPECT_EQ(Results()->GetCount(), 0);
    EXPECT_EQ(Window().GetActiveScaleUnit(), 3);
    EXPECT_NEAR(Window().GetActiveScaleValue(), 250.0, 0.01);
    const std::string status = m_host->Find("StatusBarLabelInfo")->GetText().GetData();
    EXPECT_NE(status.find("stage.png"), std::string::npos) << status;
    EXPECT_NE(status.find("250 um"), std::string::npos) << status;

    // 200 picture pixels at 250 um each.
    DrawLine(100, 450, 300, 450);
    Screen screen;
    if (GrabScreen(&screen))
        KeepScreen(screen, "opened_picture");
    ASSERT_EQ(Results()->GetCount(), 1);
    EXPECT_NEAR(ResultLength(0), 50000.0, 500.0);

    // Escape: the camera's picture, its measurement and its calibration again.
    Xdo("key Escape");
    ASSERT_TRUE(Pump([&] { return Window().GetHeldPicture() == Held::kNone; }, 2000));
    ASSERT_EQ(Results()->GetCount(), 1);
    EXPECT_DOUBLE_EQ(ResultLength(0), liveLength);
    EXPECT_EQ(Window().GetActiveScaleUnit(), 0);
    const unsigned uploads = Render().GetUploadCount();
    EXPECT_TRUE(Pump([&] { return Render().GetUploadCount() > uploads + 3; }, 3000));
}

TEST_F(HeldPictureTest, ADamagedFileSaysSoAndLeavesTheViewAsItWas)
{
    const std::string damaged = m_host->Home() + "/broken.jpg";
    std::ofstream(damaged, std::ios::binary) << "\xFF\xD8\xFF\xE0 this is not the rest of a JPEG";
    // The message comes up; Escape closes it.
    std::thread closer([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        Xdo("key Escape");
    });
    EXPECT_FALSE(Window().OpenPictureFile(damaged));
    closer.join();
    EXPECT_EQ(Window().GetHeldPicture(), Held::kNone);
    const unsigned uploads = Render().GetUploadCount();
    EXPECT_TRUE(Pump([&] { return Render().GetUploadCount() > uploads + 3; }, 3000));
}

TEST_F(HeldPictureTest, APictureLargerThanATextureOpensThroughTiles)
{
    const std::string big = m_host->Home() + "/big.jpg";
    ASSERT_EQ(Convert("-size 8000x6000 gradient:yellow-blue -quality 60 '" + big + "'"), "");
    ASSERT_TRUE(Window().OpenPictureFile(big));
    ASSERT_TRUE(Pump([&] { return UploadsStopped(); }, 8000));
    std::vector<uint8_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(Render().CopyNewestFrame(&pixels, &w, &h));
    EXPECT_EQ(w, 8000);
    EXPECT_EQ(h, 6000);
    // The whole picture is on the screen: yellow at its top, blue at its bottom.
    Screen screen;
    ASSERT_TRUE(GrabScreen(&screen));
    KeepScreen(screen, "big_picture");
    long x = 0, top = 0, bottom = 0;
    ASSERT_TRUE(m_host->ImageToScreen(4000, 100, &x, &top));
    ASSERT_TRUE(m_host->ImageToScreen(4000, 5900, &x, &bottom));
    const uint8_t* t = screen.At(static_cast<int>(x), static_cast<int>(top));
    const uint8_t* b = screen.At(static_cast<int>(x), static_cast<int>(bottom));
    EXPECT_GT(t[0], 200);
    EXPECT_LT(t[2], 60);
    EXPECT_GT(b[2], 200);
    EXPECT_LT(b[0], 60);
}

TEST_F(HeldPictureTest, TheScaleBarIsAsLongAsTheCalibrationSaysToThePixel)
{
    CaliData entry;
    entry.name = "Stage";
    entry.value = 0.37f;
    entry.unit = 3;
    ASSERT_EQ(Window().GetController().GetCaliStore().Add(entry), 0);
    auto* combo = m_host->FindAs<DuiLib::CComboUI>("ComboCaliDataList", "Combo");
    Window().GetController().FillCalibrationList(combo, GetAppConfig().CFG_CURCALIDATA);
    ASSERT_EQ(Window().GetActiveScaleUnit(), 3);

    for (int corner : {0, 3}) {
        Window().SetScaleBarCorner(corner);
        if (corner == 0) {
            Xdo("key b");
            ASSERT_TRUE(Pump([&] { return GetAppConfig().CFG_SCALEBAR != 0; }, 2000));
        }
        ASSERT_TRUE(Pump([&] { return Render().GetScaleBarViewLength() > 0; }, 3000));
        PumpFor(300);
        const double drawn = Render().GetScaleBarViewLength();

        // What the bar must be: its round length at 0.37 um per picture pixel, on view.
        const float zoom = Render().GetViewZoom();
        const RECT& pos = Render().GetPos();
        RECT window;
        ASSERT_TRUE(Window().GetWindowRect(window));
        const double pictureWidth = std::min<double>(pos.right - pos.left, 800 * zoom);
        kelvara::ScaleBarLength bar;
        ASSERT_TRUE(kelvara::ChooseScaleBar(0.37, 3, pictureWidth / 5 / zoom, &bar));
        const double expected = bar.length / 0.37 * zoom;
        EXPECT_NEAR(drawn, expected, 1.0);

        // On the screen: the longest run of pure white in the picture's corner.
        Screen screen;
        ASSERT_TRUE(GrabScreen(&screen));
        KeepScreen(screen, "scalebar_" + std::to_string(corner));
        int longest = 0;
        const int left = static_cast<int>(window.left + pos.left);
        const int right = static_cast<int>(window.left + pos.right);
        const int rowFrom = static_cast<int>(window.top + (corner == 0 ? pos.bottom - 60 : pos.top));
        for (int y = rowFrom; y < rowFrom + 60; ++y) {
            int run = 0;
            for (int x = left; x < right; ++x) {
                run = screen.IsWhite(x, y) ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        EXPECT_NEAR(longest, expected, 1.0) << "corner " << corner;
    }
    // Without a physical unit there is no bar.
    GetAppConfig().CFG_CURCALIDATA = -1;
    Window().SetScaleBarShown(true);
    EXPECT_TRUE(Pump([&] { return Render().GetScaleBarViewLength() == 0; }, 2000));
}

}  // namespace

namespace {

class CalibrationSizeTest : public HeldPictureTest
{
protected:
    // Selects a preview size from the adjust panel's list and waits for its frames.
    void UsePreviewSize(int width, int height)
    {
        auto* combo = m_host->FindAs<DuiLib::CComboUI>("combo_preview_size", "Combo");
        ASSERT_NE(combo, nullptr);
        const std::string text = std::to_string(width) + " x " + std::to_string(height);
        int index = -1;
        for (int i = 0; i < combo->GetCount(); ++i) {
            if (text == combo->GetItemAt(i)->GetText().GetData())
                index = i;
        }
        ASSERT_GE(index, 0) << text;
        combo->SelectItem(index);
        ASSERT_TRUE(Pump(
            [&] {
                std::vector<uint8_t> pixels;
                int w = 0, h = 0;
                return Render().CopyNewestFrame(&pixels, &w, &h) && w == width && h == height;
            },
            5000))
            << text;
        PumpFor(300);
    }
    void AddCalibration(float value, int width, int height)
    {
        CaliData entry;
        entry.name = "Stage";
        entry.value = value;
        entry.unit = 3;
        entry.width = width;
        entry.height = height;
        ASSERT_EQ(Window().GetController().GetCaliStore().Add(entry), 0);
    }
    std::string StatusLine() { return m_host->Find("StatusBarLabelInfo")->GetText().GetData(); }
};

TEST_F(CalibrationSizeTest, ACalibrationMadeAtOneSizeMeasuresTheSameIntervalAtOthers)
{
    // 1 um per pixel at 1920 x 1080.
    AddCalibration(1.0f, 1920, 1080);

    // 640 x 360: the same field, a third of the pixels; the value is scaled.
    UsePreviewSize(640, 360);
    GetAppConfig().CFG_CURCALIDATA = 0;
    Window().SetScaleBarShown(false);
    EXPECT_NEAR(Window().GetActiveScaleValue(), 3.0, 1e-6);
    EXPECT_NE(StatusLine().find("1920 \xC3\x97 1080"), std::string::npos) << StatusLine();
    EXPECT_NE(StatusLine().find("640 \xC3\x97 360"), std::string::npos) << StatusLine();
    // A line over 30 divisions (100 picture pixels at this size) reads 300 um.
    DrawLine(100, 250, 200, 250);
    ASSERT_EQ(Results()->GetCount(), 1);
    EXPECT_NEAR(ResultLength(0), 300.0, 3.0);

    // 640 x 480: a crop at the sensor's pitch; applied as made, with a
    // warning, and marked in the list.
    UsePreviewSize(640, 480);
    EXPECT_NEAR(Window().GetActiveScaleValue(), 1.0, 1e-6);
    EXPECT_NE(StatusLine().find("640 \xC3\x97 480"), std::string::npos) << StatusLine();
    auto* list = m_host->FindAs<DuiLib::CComboUI>("ComboCaliDataList", "Combo");
    ASSERT_EQ(list->GetCount(), 1);
    EXPECT_NE(
        std::string(list->GetItemAt(0)->GetText().GetData()).find("1920 \xC3\x97 1080"), std::string::npos);
    // The measurement follows: the same line is now 100 um.
    EXPECT_NEAR(ResultLength(0), 100.0, 1.0);
}

TEST_F(CalibrationSizeTest, AStillTwiceThePreviewsWidthCarriesHalfThePixelSizeAndMeasuresTrueWhenOpened)
{
    if (std::system("command -v tiffinfo > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "tiffinfo missing";
    UsePreviewSize(1920, 1080);
    AddCalibration(0.5f, 1920, 1080);
    auto* list = m_host->FindAs<DuiLib::CComboUI>("ComboCaliDataList", "Combo");
    GetAppConfig().CFG_CURCALIDATA = 0;
    Window().GetController().FillCalibrationList(list, GetAppConfig().CFG_CURCALIDATA);
    ASSERT_NEAR(Window().GetActiveScaleValue(), 0.5, 1e-6);

    Window().GetController().SetStillImageSize(3840, 2160);
    GetAppConfig().CFG_FILETYPE = 0;
    std::string folder;
    ASSERT_TRUE(GetImageFolder(folder));
    Xdo("key Return");
    std::string still;
    ASSERT_TRUE(Pump(
        [&] {
            for (const auto& entry : fs::directory_iterator(folder))
                still = entry.path().string();
            return !still.empty();
        },
        10000));
    // libtiff's own reader: 0.25 um per pixel = 40000 pixels per centimetre.
    const std::string info = m_host->Home() + "/tiffinfo.txt";
    ASSERT_EQ(std::system(("tiffinfo '" + still + "' > '" + info + "' 2>&1").c_str()), 0);
    std::ifstream in(info);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Image Width: 3840 Image Length: 2160"), std::string::npos) << text;
    EXPECT_NE(text.find("Resolution: 40000, 40000 pixels/cm"), std::string::npos) << text;

    // Opened again, it measures 100 um of the micrometer as 100 um. At 0.5 um
    // per preview pixel its divisions (10 preview pixels) are 5 um: a line
    // from one tick to the twentieth after it, found in the still's pixels.
    ASSERT_TRUE(Window().OpenPictureFile(still));
    ASSERT_TRUE(Pump([&] { return UploadsStopped(); }, 8000));
    EXPECT_EQ(Window().GetActiveScaleUnit(), 3);
    EXPECT_NEAR(Window().GetActiveScaleValue(), 0.25, 1e-4);
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(Render().CopyNewestFrame(&rgba, &width, &height));
    std::vector<uint8_t> luma(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < luma.size(); ++i)
        luma[i] = rgba[i * 4 + 1];
    const auto ticks = kelvara::dshow::testing::FindMicrometerTicks(luma, width, height);
    ASSERT_GE(ticks.count, 25);
    EXPECT_NEAR(ticks.pitch, 20.0, 0.5);
    std::vector<int> starts;
    const uint8_t* row = &luma[static_cast<size_t>(ticks.row) * width];
    for (int x = 1; x < width; ++x) {
        if (row[x] < 60 && row[x - 1] >= 60)
            starts.push_back(x);
    }
    ASSERT_GE(starts.size(), 25u);
    const size_t first = starts.size() / 2 - 10;
    DrawLine(starts[first], ticks.row, starts[first + 20], ticks.row);
    ASSERT_EQ(Results()->GetCount(), 1);
    EXPECT_NEAR(ResultLength(0), 100.0, 1.0);
}

}  // namespace

namespace {

TEST_F(CalibrationSizeTest, TheScaleBarIsBurnedIntoSnappedPicturesOnlyWhenAsked)
{
    UsePreviewSize(1280, 720);
    AddCalibration(1.0f, 1920, 1080);
    auto* list = m_host->FindAs<DuiLib::CComboUI>("ComboCaliDataList", "Combo");
    GetAppConfig().CFG_CURCALIDATA = 0;
    Window().GetController().FillCalibrationList(list, GetAppConfig().CFG_CURCALIDATA);
    Window().GetController().SetStillImageSize(1280, 720);
    GetAppConfig().CFG_FILETYPE = 1;
    std::string folder;
    ASSERT_TRUE(GetImageFolder(folder));
    auto snap = [&]() {
        std::set<std::string> before;
        for (const auto& entry : fs::directory_iterator(folder))
            before.insert(entry.path().string());
        Xdo("key Return");
        std::string made;
        Pump(
            [&] {
                for (const auto& entry : fs::directory_iterator(folder)) {
                    if (!before.count(entry.path().string()))
                        made = entry.path().string();
                }
                return !made.empty();
            },
            5000);
        return made;
    };
    // The longest run of pure white in the bottom right quarter.
    auto longestWhite = [](const std::string& path) {
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        if (!kelvara::capture::LoadPictureFile(path, &rgba, &w, &h, nullptr))
            return -1;
        int best = 0;
        for (int y = h / 2; y < h; ++y) {
            int run = 0;
            for (int x = w / 2; x < w; ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                run = p[0] == 255 && p[1] == 255 && p[2] == 255 ? run + 1 : 0;
                best = std::max(best, run);
            }
        }
        return best;
    };

    const std::string plain = snap();
    ASSERT_FALSE(plain.empty());
    EXPECT_LT(longestWhite(plain), 20);

    GetAppConfig().CFG_SCALEBAR_IN_PICTURES = 1;
    GetAppConfig().CFG_SCALEBAR_CORNER = 0;
    Window().SetScaleBarCorner(0);
    const std::string burned = snap();
    ASSERT_FALSE(burned.empty());
    // 1.5 um per pixel at 1280 x 720, about a fifth of the width.
    kelvara::ScaleBarLength bar;
    ASSERT_TRUE(kelvara::ChooseScaleBar(1.5, 3, 1280 / 5.0, &bar));
    EXPECT_EQ(longestWhite(burned), static_cast<int>(std::lround(bar.picturePixels))) << burned;
    if (const char* dir = std::getenv("KELVARA_SHOT_DIR"))
        fs::copy_file(burned, std::string(dir) + "/burned.png", fs::copy_options::overwrite_existing);
}

}  // namespace

namespace {

TEST(HeldPictureWithoutCamera, APictureOpensAndLeavesAnEmptyViewBehind)
{
    if (!kelvara::test::HaveXdotool() || std::system("command -v convert > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "xdotool or convert missing";
    MainWindowHost host("");
    ASSERT_TRUE(host.Open());
    const std::string picture = host.Home() + "/red.png";
    ASSERT_EQ(Convert("-size 400x300 xc:'#E03020' '" + picture + "'"), "");
    ASSERT_TRUE(host.Window().OpenPictureFile(picture));
    kelvara::CImageRenderUI& render = *host.Window().GetRenderControl();
    long x = 0, y = 0;
    auto centre = [&]() {
        Screen screen;
        EXPECT_TRUE(GrabScreen(&screen));
        host.ImageToScreen(200, 150, &x, &y);
        const uint8_t* p = screen.At(static_cast<int>(x), static_cast<int>(y));
        return std::vector<int>{p[0], p[1], p[2]};
    };
    ASSERT_TRUE(Pump([&] { return render.GetDrawCount() > 0 && centre()[0] > 200; }, 5000));
    EXPECT_LT(centre()[2], 60);
    // Keys go to the window the user last clicked.
    ASSERT_TRUE(host.Click("MainTabOptMeasure"));
    // Snap saves the opened picture even without a camera.
    std::string folder;
    ASSERT_TRUE(GetImageFolder(folder));
    Xdo("key Return");
    EXPECT_TRUE(Pump([&] { return !fs::is_empty(folder); }, 3000));

    Xdo("key Escape");
    ASSERT_TRUE(Pump([&] { return host.Window().GetHeldPicture() == Held::kNone; }, 2000));
    EXPECT_TRUE(Pump([&] { return centre()[0] < 20; }, 3000)) << "the picture stays after going back";
}

}  // namespace
