// The main window driven as a user drives it: real clicks, drags and keys
// through the X server, on the demo cameras.
#include "app/shell/AppConfig.h"
#include "app/shell/StringTable.h"
#include "app/view/CImageRenderUI.h"
#include "tests/support/shell/MainWindowHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

using kelvara::CMainWnd;
using kelvara::test::MainWindowHost;
using kelvara::test::Pump;
using kelvara::test::PumpFor;
using kelvara::test::Xdo;

std::string TextOf(MainWindowHost& host, const char* name)
{
    DuiLib::CControlUI* control = host.Find(name);
    return control ? control->GetText().GetData() : std::string("<missing>");
}

bool Visible(MainWindowHost& host, const char* name)
{
    DuiLib::CControlUI* control = host.Find(name);
    return control && control->IsVisible();
}

// A camera with brightness (drag applies at once), an exposure time
// without an automatic mode (applies on release) and no hue at all.
std::string WriteBenchCamera(const std::string& home)
{
    const std::string path = home + "/bench.json";
    std::ofstream(path) << R"({ "devices": [ {
        "name": "Bench Microscope", "path": "virtual#vid_1d6b&pid_0102#1", "frame_rate": 30,
        "pins": { "capture": [ { "format": "MJPG", "sizes": [[640, 480], [1280, 720]] } ] },
        "controls": { "brightness": { "min": -64, "max": 64, "step": 1, "default": 0 },
                      "exposure": { "min": 1, "max": 5000, "default": 156 } } } ] })";
    return path;
}

class MainWndTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!kelvara::test::HaveXdotool())
            GTEST_SKIP() << "xdotool missing";
    }
};

TEST_F(MainWndTest, WithoutCameraEverythingThatNeedsOneIsDisabled)
{
    MainWindowHost host("");
    ASSERT_TRUE(host.Open());
    for (const char* name :
        {"camera_adjust_drawers", "AdjustBtnReset", "ToolbarBtnFiles", "AdjustBtnPropertyPage",
            "MainTabOptMeasure", "ToolbarBtnCapture", "ToolbarBtnCaptureSet", "ToolbarBtnRecord"}) {
        ASSERT_NE(host.Find(name), nullptr) << name;
        EXPECT_FALSE(host.Find(name)->IsEnabled()) << name;
    }
    // The wireless entry is always there; nothing is highlighted.
    auto* list = host.FindAs<DuiLib::CListUI>("CameraList", "List");
    ASSERT_NE(list, nullptr);
    EXPECT_GE(list->GetCount(), 1);
    EXPECT_EQ(host.Window().GetCameraListAdapter()->GetHighlight(), -1);
    // Enter and F9 do nothing without a camera.
    Xdo("key Return sleep 0.1 key F9");
    PumpFor(300);
    EXPECT_FALSE(host.Window().GetController().IsRecording());
    EXPECT_EQ(TextOf(host, "StatusbarLabelRate"), "00.00 fps");
}

TEST_F(MainWndTest, DemoCameraPlaysAfterOneClick)
{
    MainWindowHost host("demo");
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(host.ClickCameraRow(0));
    CMainWnd& window = host.Window();
    ASSERT_TRUE(Pump([&] { return window.GetController().GetCamera() != nullptr; }, 3000));
    EXPECT_EQ(window.GetCameraListAdapter()->GetHighlight(), 0);
    EXPECT_EQ(window.GetOpenDrawer(), "drawerPreviewResolution");
    EXPECT_TRUE(Visible(host, "drawerPreviewResolution"));
    EXPECT_TRUE(host.Find("ToolbarBtnCapture")->IsEnabled());

    // A moving picture and the frame rate within 3 s.
    std::vector<uint8_t> first, second;
    int w = 0, h = 0;
    ASSERT_TRUE(Pump([&] { return window.GetController().CopyDisplayPicture(&first, &w, &h); }, 3000));
    ASSERT_TRUE(Pump(
        [&] { return window.GetController().CopyDisplayPicture(&second, &w, &h) && second != first; }, 3000));
    double fps = 0;
    EXPECT_TRUE(Pump(
        [&] {
            return std::sscanf(TextOf(host, "StatusbarLabelRate").c_str(), "%lf fps", &fps) == 1 && fps > 5.0;
        },
        3000))
        << TextOf(host, "StatusbarLabelRate");

    // The combos of the open drawer were filled from the camera.
    auto* sizes = host.FindAs<DuiLib::CComboUI>("combo_preview_size", "Combo");
    auto* formats = host.FindAs<DuiLib::CComboUI>("combo_preview_format", "Combo");
    ASSERT_NE(sizes, nullptr);
    ASSERT_NE(formats, nullptr);
    EXPECT_GT(sizes->GetCount(), 0);
    EXPECT_GT(formats->GetCount(), 0);
    // The highlighted row cannot be clicked again.
    EXPECT_FALSE(host.FindAs<DuiLib::CListUI>("CameraList", "List")->GetItemAt(0)->IsEnabled());
}

TEST_F(MainWndTest, SlidersFollowTheCameraAndApplyAsTheRulesSay)
{
    kelvara::test::ScopedUserEnvironment scratch;
    MainWindowHost host(WriteBenchCamera(scratch.Home()));
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(host.ClickCameraRow(0));
    CMainWnd& window = host.Window();
    ASSERT_TRUE(Pump([&] { return window.GetController().GetCamera() != nullptr; }, 3000));
    CMCameraBase* camera = window.GetController().GetCamera();

    // Hue is not supported: 0..1 at 0, disabled, "0".
    auto* hue = host.FindAs<DuiLib::CSliderUI>("AdjustSldHue", "Slider");
    ASSERT_NE(hue, nullptr);
    EXPECT_EQ(hue->GetMinValue(), 0);
    EXPECT_EQ(hue->GetMaxValue(), 1);
    EXPECT_EQ(hue->GetValue(), 0);
    EXPECT_FALSE(hue->IsEnabled());
    EXPECT_EQ(TextOf(host, "AdjustValHue"), "0");

    // Drawers: one open at a time; a click on the open one closes it.
    ASSERT_TRUE(host.Click("drawerHeadExposure"));
    EXPECT_EQ(window.GetOpenDrawer(), "drawerExposure");
    EXPECT_FALSE(Visible(host, "drawerPreviewResolution"));
    EXPECT_TRUE(Visible(host, "drawerExposure"));

    // Exposure time: dragging shows the value but applies it on release only.
    auto* time = host.FindAs<DuiLib::CSliderUI>("AdjustSldExpTime", "Slider");
    ASSERT_NE(time, nullptr);
    ASSERT_TRUE(time->IsEnabled());
    double before = 0;
    int isAuto = 0;
    camera->GetProperty(CM_PROP_EXPOSURE, &before, &isAuto);
    const std::string labelBefore = TextOf(host, "AdjustValExpTime");
    long x = 0, y = 0;
    RECT thumb = time->GetThumbRect();
    ASSERT_TRUE(host.ScreenPoint(time, &x, &y, (thumb.left + thumb.right) / 2 - time->GetPos().left, -1));
    Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y)
        + " sleep 0.05 mousedown 1 sleep 0.05 mousemove " + std::to_string(x + 60) + " " + std::to_string(y)
        + " sleep 0.05 mousemove " + std::to_string(x + 120) + " " + std::to_string(y));
    PumpFor(300);
    double during = 0;
    camera->GetProperty(CM_PROP_EXPOSURE, &during, &isAuto);
    EXPECT_EQ(during, before);
    EXPECT_NE(TextOf(host, "AdjustValExpTime"), labelBefore);
    Xdo("mouseup 1");
    PumpFor(300);
    double after = 0;
    camera->GetProperty(CM_PROP_EXPOSURE, &after, &isAuto);
    EXPECT_EQ(after, time->GetValue());
    EXPECT_NE(after, before);

    // Brightness applies while the thumb moves.
    ASSERT_TRUE(host.Click("drawerHeadColor"));
    auto* brightness = host.FindAs<DuiLib::CSliderUI>("AdjustSldBrightness", "Slider");
    ASSERT_NE(brightness, nullptr);
    thumb = brightness->GetThumbRect();
    ASSERT_TRUE(
        host.ScreenPoint(brightness, &x, &y, (thumb.left + thumb.right) / 2 - brightness->GetPos().left, -1));
    Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y)
        + " sleep 0.05 mousedown 1 sleep 0.05 mousemove " + std::to_string(x + 80) + " " + std::to_string(y));
    PumpFor(300);
    double moving = 0;
    camera->GetProperty(CM_PROP_BRIGHTNESS, &moving, &isAuto);
    EXPECT_EQ(moving, brightness->GetValue());
    EXPECT_GT(moving, 0.0);
    Xdo("mouseup 1");
    PumpFor(100);

    // Clicking the open drawer's header closes it, and its chevron says so.
    auto* header = host.FindAs<DuiLib::COptionUI>("drawerHeadColor", "Option");
    EXPECT_TRUE(header->IsSelected());
    ASSERT_TRUE(host.Click("drawerHeadColor"));
    EXPECT_EQ(window.GetOpenDrawer(), "");
    EXPECT_FALSE(Visible(host, "drawerColor"));
    PumpFor(100);
    EXPECT_FALSE(header->IsSelected());
}

TEST_F(MainWndTest, FullscreenHidesTheBarsAndBringsThemBack)
{
    MainWindowHost host("demo");
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(host.Click("StatusbarBtnOutput"));
    ASSERT_TRUE(Visible(host, "OutputBar"));
    RECT before;
    host.Window().GetWindowRect(before);

    Xdo("key F11");
    ASSERT_TRUE(Pump([&] { return host.Window().IsFullscreen(); }, 2000));
    PumpFor(200);
    EXPECT_FALSE(Visible(host, "OutputBar"));
    EXPECT_FALSE(Visible(host, "Titlebar"));
    EXPECT_FALSE(Visible(host, "Statusbar"));
    EXPECT_FALSE(Visible(host, "Sidebar"));
    RECT full, monitor, work;
    host.Window().GetWindowRect(full);
    ASSERT_TRUE(host.Window().GetMonitorRects(monitor, work));
    EXPECT_EQ(full.left, monitor.left);
    EXPECT_EQ(full.top, monitor.top);
    EXPECT_EQ(full.right, monitor.right);
    EXPECT_EQ(full.bottom, monitor.bottom);

    Xdo("key Escape");
    ASSERT_TRUE(Pump([&] { return !host.Window().IsFullscreen(); }, 2000));
    PumpFor(200);
    EXPECT_TRUE(Visible(host, "OutputBar"));
    EXPECT_TRUE(Visible(host, "Titlebar"));
    EXPECT_TRUE(host.Window().IsMaximized());
    RECT after;
    host.Window().GetWindowRect(after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(MainWndTest, CalibrationValueNeedsBothLengthsPositive)
{
    MainWindowHost host("demo");
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(host.ClickCameraRow(0));
    ASSERT_TRUE(Pump([&] { return host.Window().GetController().GetCamera() != nullptr; }, 3000));
    ASSERT_TRUE(host.Click("MainTabOptMeasure"));
    ASSERT_TRUE(Visible(host, "PageMeasureNormal"));
    ASSERT_TRUE(host.Click("MeasureBtnCaliEdit"));
    ASSERT_TRUE(Visible(host, "PageMeasureCalibration"));
    EXPECT_FALSE(host.Find("MainTabOptCamera")->IsEnabled());
    // The calibration line reports its length.
    ASSERT_TRUE(Pump([&] { return std::atof(TextOf(host, "CaliEdtPixLen").c_str()) > 0; }, 3000));
    const double pixels = std::atof(TextOf(host, "CaliEdtPixLen").c_str());

    ASSERT_TRUE(host.Click("CaliEdtPhyLen"));
    Xdo("type 100");
    PumpFor(200);
    const double value = std::atof(TextOf(host, "CaliEdtCaliData").c_str());
    EXPECT_NEAR(value, 100.0 / pixels, 100.0 / pixels * 0.01);

    Xdo("key ctrl+a type abc");
    PumpFor(200);
    EXPECT_EQ(TextOf(host, "CaliEdtCaliData"), GetLangText("STR_ERROR"));
    Xdo("key ctrl+a type -5");
    PumpFor(200);
    EXPECT_EQ(TextOf(host, "CaliEdtCaliData"), GetLangText("STR_ERROR"));

    ASSERT_TRUE(host.Click("CaliBtnBack"));
    EXPECT_TRUE(Visible(host, "PageMeasureNormal"));
    EXPECT_TRUE(host.Find("MainTabOptCamera")->IsEnabled());
}

}  // namespace
