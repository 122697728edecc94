// The main window's commands as a user gives them: snapping in every format,
// a timed series, recording, measuring against the demo camera's stage
// micrometer, exporting, the menus and the language switch. Real clicks and
// keys through the X server; results checked on disk and in the window.
#include "app/shell/AppConfig.h"
#include "app/shell/FileNaming.h"
#include "app/shell/StringTable.h"
#include "app/view/CImageRenderUI.h"
#include "platform/duilib/CFileDialog.h"
#include "tests/support/shell/MainWindowHost.h"
#include "tests/support/shell/MediaProbe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;
using kelvara::test::MainWindowHost;
using kelvara::test::Pump;
using kelvara::test::PumpFor;
using kelvara::test::Xdo;

std::string TextOf(MainWindowHost& host, const char* name)
{
    DuiLib::CControlUI* control = host.Find(name);
    return control ? control->GetText().GetData() : std::string("<missing>");
}

std::vector<fs::path> FilesIn(const std::string& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        files.push_back(entry.path());
    return files;
}

std::string Head(const fs::path& path, size_t bytes)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(bytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(bytes));
    head.resize(static_cast<size_t>(in.gcount()));
    return head;
}

// The type a file's first bytes give.
std::string SniffType(const fs::path& path)
{
    const std::string head = Head(path, 8);
    if (head.rfind("II*", 0) == 0 || head.rfind("MM", 0) == 0)
        return ".tif";
    if (head.rfind("\x89PNG", 0) == 0)
        return ".png";
    if (head.rfind("BM", 0) == 0)
        return ".bmp";
    if (head.rfind("\xFF\xD8\xFF", 0) == 0)
        return ".jpg";
    return "?";
}

class CommandsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!kelvara::test::HaveXdotool())
            GTEST_SKIP() << "xdotool missing";
        m_host = std::make_unique<MainWindowHost>("demo");
        ASSERT_TRUE(m_host->Open());
        ASSERT_TRUE(m_host->ClickCameraRow(0));
        ASSERT_TRUE(Pump([&] { return Window().GetController().GetCamera() != nullptr; }, 3000));
        std::vector<uint8_t> pixels;
        int w = 0, h = 0;
        ASSERT_TRUE(Pump([&] { return Window().GetController().CopyDisplayPicture(&pixels, &w, &h); }, 3000));
        ASSERT_TRUE(GetImageFolder(m_folder));
    }
    void TearDown() override
    {
        DuiLib::CFileDialog::SetChooser(nullptr);
        m_host.reset();
    }
    kelvara::CMainWnd& Window() { return m_host->Window(); }

    std::unique_ptr<MainWindowHost> m_host;
    std::string m_folder;
};

TEST_F(CommandsTest, SnapInEveryFormatFromTheMenuAndTheEnterKey)
{
    const char* items[]
        = {"Cap_Menu_Item_Tif", "Cap_Menu_Item_Png", "Cap_Menu_Item_Bmp", "Cap_Menu_Item_Jpg"};
    const char* types[] = {".tif", ".png", ".bmp", ".jpg"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(m_host->OpenMenu("ToolbarBtnCaptureSet")) << items[i];
        ASSERT_TRUE(m_host->ClickMenuItem(items[i], "Cap_Menu_FileFormat")) << items[i];
        ASSERT_EQ(GetAppConfig().CFG_FILETYPE, i);
        const size_t before = FilesIn(m_folder).size();
        if (i % 2 == 0)
            m_host->Click("ToolbarBtnCapture");
        else
            Xdo("key Return");
        ASSERT_TRUE(Pump([&] { return FilesIn(m_folder).size() == before + 1; }, 5000)) << items[i];
        PumpFor(100);
        // The capture option never stays latched after a single snap.
        EXPECT_FALSE(m_host->FindAs<DuiLib::COptionUI>("ToolbarBtnCapture", "Option")->IsSelected());
    }
    std::set<std::string> seen;
    for (const fs::path& file : FilesIn(m_folder)) {
        EXPECT_EQ(SniffType(file), file.extension().string()) << file;
        seen.insert(file.extension().string());
    }
    EXPECT_EQ(seen, std::set<std::string>(std::begin(types), std::end(types)));
    EXPECT_NE(TextOf(*m_host, "StatusBarLabelInfo").find(GetLangText("STR_SAVED_TO")), std::string::npos);
}

TEST_F(CommandsTest, WithTheDialogRuleACancelledDialogWritesNothing)
{
    GetAppConfig().CFG_FILESAVE_RULE = 1;
    int asked = 0;
    DuiLib::CFileDialog::SetChooser(
        [&](HWND, const DuiLib::TFileDialogOptions& options, DuiLib::CDuiString& path) {
            ++asked;
            EXPECT_EQ(options.kind, DuiLib::TFileDialogOptions::Save);
            path = "";
            return false;
        });
    // File formats follow the chosen name then: the menu's format items are disabled.
    ASSERT_TRUE(m_host->OpenMenu("ToolbarBtnCaptureSet"));
    DuiLib::CMenuWnd* menu = Window().GetMenu();
    auto* formats
        = static_cast<DuiLib::CMenuElementUI*>(menu->GetMenuUI()->GetItemAt(1)->GetInterface("MenuElement"));
    ASSERT_NE(formats, nullptr);
    for (int i = 0; i < formats->GetCount(); ++i)
        EXPECT_FALSE(formats->GetItemAt(i)->IsEnabled());
    ASSERT_TRUE(m_host->CloseMenu());

    m_host->Click("ToolbarBtnCapture");
    PumpFor(300);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(FilesIn(m_folder).empty());

    // A path from the dialog is used as it is, its type following its name.
    const std::string chosen = m_host->Home() + "/chosen.png";
    DuiLib::CFileDialog::SetChooser([&](HWND, const DuiLib::TFileDialogOptions&, DuiLib::CDuiString& path) {
        path = chosen.c_str();
        return true;
    });
    m_host->Click("ToolbarBtnCapture");
    ASSERT_TRUE(Pump([&] { return fs::exists(chosen); }, 5000));
    EXPECT_EQ(SniffType(chosen), ".png");
}

TEST_F(CommandsTest, ContinuousShootingTakesTheCountThenStops)
{
    GetAppConfig().CFG_CONSHOT_COUNT = 0;
    ASSERT_TRUE(m_host->OpenMenu("ToolbarBtnCaptureSet"));
    ASSERT_TRUE(m_host->ClickMenuItem("Cap_Menu_Item_ConShootStart", "Cap_Menu_ConShoot"));
    EXPECT_FALSE(Window().IsContinuousShooting());
    // It says why nothing happens.
    EXPECT_NE(TextOf(*m_host, "StatusBarLabelInfo").find(" 0"), std::string::npos);

    GetAppConfig().CFG_CONSHOT_COUNT = 3;
    GetAppConfig().CFG_CONSHOT_INTERVAL = 1;
    ASSERT_TRUE(m_host->OpenMenu("ToolbarBtnCaptureSet"));
    ASSERT_TRUE(m_host->ClickMenuItem("Cap_Menu_Item_ConShootStart", "Cap_Menu_ConShoot"));
    ASSERT_TRUE(Window().IsContinuousShooting());
    EXPECT_TRUE(m_host->FindAs<DuiLib::COptionUI>("ToolbarBtnCapture", "Option")->IsSelected());
    for (const char* name :
        {"ToolbarBtnRecord", "ToolbarBtnCaptureSet", "combo_preview_size", "combo_preview_format"})
        EXPECT_FALSE(m_host->Find(name)->IsEnabled()) << name;
    ASSERT_TRUE(Pump([&] { return !Window().IsContinuousShooting(); }, 8000));
    EXPECT_EQ(FilesIn(m_folder).size(), 3u);
    EXPECT_FALSE(m_host->FindAs<DuiLib::COptionUI>("ToolbarBtnCapture", "Option")->IsSelected());
    for (const char* name :
        {"ToolbarBtnRecord", "ToolbarBtnCaptureSet", "combo_preview_size", "combo_preview_format"})
        EXPECT_TRUE(m_host->Find(name)->IsEnabled()) << name;
}

TEST_F(CommandsTest, RecordingWithF9GivesAPlayableFile)
{
    if (std::system("command -v ffprobe > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffprobe missing";
    Xdo("key F9");
    ASSERT_TRUE(Pump([&] { return Window().GetController().IsRecording(); }, 2000));
    EXPECT_TRUE(Window().GetRenderControl()->IsRecording());
    EXPECT_FALSE(m_host->Find("ToolbarBtnCapture")->IsEnabled());
    PumpFor(5000);
    Xdo("key F9");
    ASSERT_TRUE(Pump([&] { return !Window().GetController().IsRecording(); }, 5000));
    EXPECT_FALSE(Window().GetRenderControl()->IsRecording());
    EXPECT_TRUE(m_host->Find("ToolbarBtnCapture")->IsEnabled());
    const std::vector<fs::path> files = FilesIn(m_folder);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].extension(), ".mp4");
    EXPECT_NE(TextOf(*m_host, "StatusBarLabelInfo").find(files[0].string()), std::string::npos);
    const int frames = kelvara::test::ProbeVideoFrames(files[0].string());
    EXPECT_GT(frames, 120);
    EXPECT_LT(frames, 180);

    // Closing the camera while recording finishes the file and says so.
    Xdo("key F9");
    ASSERT_TRUE(Pump([&] { return Window().GetController().IsRecording(); }, 2000));
    PumpFor(1500);
    Window().CloseCamera();
    EXPECT_FALSE(Window().GetController().IsRecording());
    EXPECT_FALSE(m_host->FindAs<DuiLib::COptionUI>("ToolbarBtnRecord", "Option")->IsSelected());
    ASSERT_EQ(FilesIn(m_folder).size(), 2u);
    for (const fs::path& file : FilesIn(m_folder)) {
        if (file != files[0]) {
            EXPECT_GT(kelvara::test::ProbeVideoFrames(file.string()), 20) << file;
        }
    }
}

TEST_F(CommandsTest, CalibratedMeasurementOnTheStageMicrometer)
{
    // The demo camera's micrometer: 10 image pixels from tick to tick, which
    // a 10 um division makes 1 um per pixel.
    const double pitch = 10.0;
    ASSERT_TRUE(m_host->Click("MainTabOptMeasure"));
    ASSERT_TRUE(m_host->Click("MeasureBtnCaliEdit"));
    kelvara::SFPrimitiveContainer& container = Window().GetRenderControl()->GetContainer();
    ASSERT_EQ(container.GetCount(), 1);

    // Stretch the calibration line over ten divisions (100 um).
    // The line's ends in view coordinates; its far end is dragged to ten
    // divisions from its start.
    const kelvara::SFPrimitiveBase* calibration = container.GetPrimitive(0);
    const sf::Vector2f start = calibration->GetShape()[0].position;
    const sf::Vector2f end = calibration->GetShape()[1].position;
    const float zoom = Window().GetRenderControl()->GetViewZoom();
    RECT window;
    ASSERT_TRUE(Window().GetWindowRect(window));
    const RECT& pos = Window().GetRenderControl()->GetPos();
    long fromX = window.left + pos.left + std::lround(end.x);
    long fromY = window.top + pos.top + std::lround(end.y);
    long toX = window.left + pos.left + std::lround(start.x + 10 * pitch * zoom);
    long toY = fromY;
    Xdo("mousemove " + std::to_string(fromX) + " " + std::to_string(fromY)
        + " sleep 0.1 mousedown 1 sleep 0.1 mousemove " + std::to_string((fromX + toX) / 2) + " "
        + std::to_string(toY) + " sleep 0.1 mousemove " + std::to_string(toX) + " " + std::to_string(toY)
        + " sleep 0.1 mouseup 1");
    PumpFor(300);
    auto line = container.GetResult(0);
    // Within a view pixel of the ten divisions.
    ASSERT_NEAR(line.length, 10 * pitch, 1.0 / zoom + 0.5);
    line.startX = (start.x - Window().GetRenderControl()->GetViewOriginX()) / zoom;
    line.startY = (start.y - Window().GetRenderControl()->GetViewOriginY()) / zoom;

    // Name, length and unit ("um" is the fourth), then add it.
    ASSERT_TRUE(m_host->Click("CaliEdtName"));
    Xdo("type Stage10x");
    PumpFor(200);
    ASSERT_TRUE(m_host->Click("CaliEdtPhyLen"));
    Xdo("type " + std::to_string(line.length / pitch * 10.0).substr(0, 7));
    PumpFor(200);
    m_host->Find("ComboCaliPhyLenUnit")->SetFocus();
    Xdo("key Down key Down key Down");
    PumpFor(200);
    ASSERT_EQ(m_host->FindAs<DuiLib::CComboUI>("ComboCaliPhyLenUnit", "Combo")->GetCurSel(), 3);
    EXPECT_EQ(TextOf(*m_host, "CaliEdtCaliUnit"), "um/px");
    EXPECT_EQ(TextOf(*m_host, "CaliEdtName"), "Stage10x");
    EXPECT_GT(std::atof(TextOf(*m_host, "CaliEdtCaliData").c_str()), 0.0) << TextOf(*m_host, "CaliEdtPhyLen");
    ASSERT_TRUE(m_host->Click("CaliBtnNew"));
    ASSERT_EQ(Window().GetController().GetCaliStore().GetCount(), 1);
    EXPECT_EQ(TextOf(*m_host, "CaliEdtName"), "");
    ASSERT_TRUE(m_host->Click("CaliBtnBack"));
    EXPECT_EQ(TextOf(*m_host, "CaliDataListUnit"), "um");

    // A line over fifty divisions reads 500 um.
    ASSERT_TRUE(m_host->Click("MeasureBtnLine"));
    const double y = line.startY + 40;
    ASSERT_TRUE(m_host->ImageToScreen(60, y, &fromX, &fromY));
    ASSERT_TRUE(m_host->ImageToScreen(60 + 50 * pitch, y, &toX, &toY));
    Xdo("mousemove " + std::to_string(fromX) + " " + std::to_string(fromY)
        + " sleep 0.1 click 1 sleep 0.1 mousemove " + std::to_string((fromX + toX) / 2) + " "
        + std::to_string(toY) + " sleep 0.1 mousemove " + std::to_string(toX) + " " + std::to_string(toY)
        + " sleep 0.1 click 1");
    PumpFor(300);
    auto* list = m_host->FindAs<DuiLib::CListUI>("MeasureDataList", "List");
    ASSERT_EQ(list->GetCount(), 1);
    EXPECT_EQ(list->GetCurSel(), 0);
    const std::string cell = list->GetTextCallback()->GetItemText(list->GetItemAt(0), 0, 8);
    EXPECT_NEAR(std::atof(cell.c_str()), 500.0, 5.0) << cell;

    // The export carries the value and the unit.
    const std::string csv = m_host->Home() + "/results.csv";
    DuiLib::CFileDialog::SetChooser(
        [&](HWND, const DuiLib::TFileDialogOptions& options, DuiLib::CDuiString& path) {
            EXPECT_EQ(std::string(options.fileName.GetData()), "results.csv");
            path = csv.c_str();
            return true;
        });
    ASSERT_TRUE(m_host->Click("StatusbarBtnOutput"));
    ASSERT_TRUE(m_host->Click("MeasureBtnCSV"));
    std::ifstream in(csv);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("(Unit: um)"), std::string::npos) << text;
    // Index, type, centre, start and end (quoted, with a comma each), width, height,
    // radius, area, then the length.
    const size_t row = text.find("0,Line,");
    ASSERT_NE(row, std::string::npos) << text;
    size_t field = row;
    for (int commas = 0; commas < 12 && field != std::string::npos; ++commas)
        field = text.find(',', field + 1);
    ASSERT_NE(field, std::string::npos);
    EXPECT_NEAR(std::atof(text.c_str() + field + 1), 500.0, 5.0) << text;

    // A restart keeps the calibration.
    const std::string home = m_host->Home();
    m_host->Close();
    MainWindowHost again("demo");
    again.UseHome(home);
    ASSERT_TRUE(again.Open());
    EXPECT_EQ(again.Window().GetController().GetCaliStore().GetCount(), 1);
    auto* combo = again.FindAs<DuiLib::CComboUI>("ComboCaliDataList", "Combo");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), 1);
}

TEST_F(CommandsTest, LanguageSwitchChangesWindowMenusAndTooltips)
{
    const std::string englishSnap = TextOf(*m_host, "ToolbarBtnCapture");
    ASSERT_TRUE(m_host->OpenMenu("Btn_Title_Main_Menu"));
    ASSERT_TRUE(m_host->ClickMenuItem("Main_Menu_Item_Chinese", "Menu_Language_List"));
    EXPECT_EQ(GetAppConfig().CFG_LANGUAGE, 1);
    EXPECT_EQ(TextOf(*m_host, "ToolbarBtnCapture"), "拍照");
    const std::string tip = m_host->Find("StatusbarBtnOutput")->GetToolTip().GetData();
    EXPECT_EQ(tip, GetLangText("SB_OUTPUTTIP"));
    EXPECT_NE(tip, "Show or hide the output bar");

    ASSERT_TRUE(m_host->OpenMenu("Btn_Title_Main_Menu"));
    DuiLib::CMenuWnd* menu = Window().GetMenu();
    DuiLib::CControlUI* settings = nullptr;
    for (int i = 0; i < menu->GetMenuUI()->GetCount(); ++i) {
        if (menu->GetMenuUI()->GetItemAt(i)->GetName() == "Main_Menu_Item_Settings")
            settings = menu->GetMenuUI()->GetItemAt(i);
    }
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(std::string(settings->GetText().GetData()), GetLangText("MENU_MAIN_SETTING"));
    EXPECT_NE(std::string(settings->GetText().GetData()), "Settings");
    ASSERT_TRUE(m_host->ClickMenuItem("Main_Menu_Item_English", "Menu_Language_List"));
    EXPECT_EQ(GetAppConfig().CFG_LANGUAGE, 0);
    EXPECT_EQ(TextOf(*m_host, "ToolbarBtnCapture"), englishSnap);
}

TEST_F(CommandsTest, MenuEdgeCases)
{
    // A still size without "|" changes nothing; one with it is taken.
    DuiLib::MenuCmd cmd{};
    std::snprintf(cmd.szName, sizeof(cmd.szName), "Menu_SubItem_StillSize_0");
    int width = 0, height = 0;
    CMCameraBase* camera = Window().GetController().GetCamera();
    camera->GetStillImageSize(width, height);
    for (const char* data : {"1280x720", "|720", ""}) {
        auto* record = new DuiLib::MenuCmd(cmd);
        std::snprintf(record->szUserData, sizeof(record->szUserData), "%s", data);
        Window().SendMessage(WM_MENUCLICK, reinterpret_cast<WPARAM>(record), 0);
        int w = 0, h = 0;
        camera->GetStillImageSize(w, h);
        EXPECT_EQ(w, width) << data;
        EXPECT_EQ(h, height) << data;
    }

    // Two circles: the default mode is three points, and the menu checks the chosen one.
    ASSERT_TRUE(m_host->Click("MainTabOptMeasure"));
    ASSERT_TRUE(m_host->OpenMenu("MeasureBtnTwoCircles"));
    EXPECT_EQ(Window().GetTwoCirclesMode(), 21);
    DuiLib::CMenuUI* root = Window().GetMenu()->GetMenuUI();
    auto checked = [&](int i) {
        return static_cast<DuiLib::CMenuElementUI*>(root->GetItemAt(i)->GetInterface("MenuElement"))
            ->GetChecked();
    };
    EXPECT_TRUE(checked(0));
    EXPECT_FALSE(checked(1));
    EXPECT_FALSE(checked(2));
    ASSERT_TRUE(m_host->ClickMenuItem("MTool_TwoCircles"));
    EXPECT_EQ(Window().GetTwoCirclesMode(), 19);
    EXPECT_EQ(Window().GetRenderControl()->GetContainer().GetTool(), 19);
    ASSERT_TRUE(m_host->OpenMenu("MeasureBtnTwoCircles"));
    root = Window().GetMenu()->GetMenuUI();
    EXPECT_FALSE(checked(0));
    EXPECT_TRUE(checked(2));
    ASSERT_TRUE(m_host->CloseMenu());

    // Remove-all and export do nothing without tools.
    int asked = 0;
    DuiLib::CFileDialog::SetChooser([&](HWND, const DuiLib::TFileDialogOptions&, DuiLib::CDuiString&) {
        ++asked;
        return false;
    });
    ASSERT_TRUE(m_host->Click("MeasureBtnDeleteAll"));
    ASSERT_TRUE(m_host->Click("StatusbarBtnOutput"));
    ASSERT_TRUE(m_host->Click("MeasureBtnCSV"));
    EXPECT_EQ(asked, 0);
}

}  // namespace

namespace {

TEST(CameraLoss, UnpluggedWhileRecordingFinishesTheFileAndSaysSo)
{
    if (!kelvara::test::HaveXdotool() || std::system("command -v ffprobe > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "xdotool or ffprobe missing";
    kelvara::test::ScopedUserEnvironment scratch;
    const std::string description = scratch.Home() + "/unplug.json";
    std::ofstream(description) << R"({ "devices": [ {
        "name": "Loose Cable", "path": "virtual#vid_1d6b&pid_0104#1", "frame_rate": 30,
        "pins": { "capture": [ { "format": "MJPG", "sizes": [[640, 480]] } ] },
        "faults": { "unplug_after_frames": 75 } } ] })";
    MainWindowHost host(description);
    ASSERT_TRUE(host.Open());
    ASSERT_TRUE(host.ClickCameraRow(0));
    kelvara::CMainWnd& window = host.Window();
    ASSERT_TRUE(Pump([&] { return window.GetController().GetCamera() != nullptr; }, 3000));
    Xdo("key F9");
    ASSERT_TRUE(Pump([&] { return window.GetController().IsRecording(); }, 2000));

    // The camera goes away after 2.5 s; the window notices within a second or two.
    ASSERT_TRUE(Pump([&] { return window.GetController().GetCamera() == nullptr; }, 8000));
    EXPECT_FALSE(window.GetController().IsRecording());
    EXPECT_FALSE(window.GetRenderControl()->IsRecording());
    EXPECT_FALSE(host.FindAs<DuiLib::COptionUI>("ToolbarBtnRecord", "Option")->IsSelected());
    EXPECT_FALSE(host.Find("ToolbarBtnCapture")->IsEnabled());
    EXPECT_EQ(TextOf(host, "StatusbarLabelRate"), "00.00 fps");
    // No sizes or formats of the camera that went away.
    for (const char* name : {"combo_preview_size", "combo_preview_format"}) {
        auto* combo = host.FindAs<DuiLib::CComboUI>(name, "Combo");
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->GetCount(), 0) << name;
        EXPECT_FALSE(combo->IsEnabled()) << name;
    }
    const std::string status = TextOf(host, "StatusBarLabelInfo");
    EXPECT_NE(status.find(GetLangText("STR_CAMERA_DISCONNECTED")), std::string::npos) << status;
    std::string folder;
    ASSERT_TRUE(GetImageFolder(folder));
    const std::vector<fs::path> files = FilesIn(folder);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(status.find(files[0].string()), std::string::npos) << status;
    EXPECT_GT(kelvara::test::ProbeVideoFrames(files[0].string()), 30);
    EXPECT_EQ(window.GetCameraListAdapter()->GetHighlight(), -1);
}

}  // namespace

namespace {

// Block means of an R,G,B,A picture on a coarse grid (the demo picture drifts
// by a few pixels from frame to frame; blocks are far larger).
std::vector<double> Blocks(const std::vector<uint8_t>& rgba, int width, int height, bool mirrored)
{
    const int cols = 16, rows = 12;
    std::vector<double> means(cols * rows, 0.0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t i = (static_cast<size_t>(y) * width + x) * 4;
            const int bx = (mirrored ? width - 1 - x : x) * cols / width;
            means[static_cast<size_t>(y * rows / height * cols + bx)] += rgba[i] + rgba[i + 1] + rgba[i + 2];
        }
    }
    return means;
}

double Distance(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += std::fabs(a[i] - b[i]);
    return sum;
}

TEST_F(CommandsTest, MirrorFromThePanelMirrorsThePictureThroughTheController)
{
    kelvara::CCameraController& controller = Window().GetController();
    std::vector<uint8_t> before, after;
    int w = 0, h = 0;
    ASSERT_TRUE(controller.CopyDisplayPicture(&before, &w, &h));
    ASSERT_TRUE(m_host->Click("drawerHeadFlip"));
    ASSERT_TRUE(m_host->Click("AdjustOptionMirror"));
    ASSERT_TRUE(m_host->FindAs<DuiLib::COptionUI>("AdjustOptionMirror", "Option")->IsSelected());
    PumpFor(500);
    ASSERT_TRUE(controller.CopyDisplayPicture(&after, &w, &h));
    const auto plain = Blocks(before, w, h, false);
    EXPECT_LT(Distance(Blocks(after, w, h, false), Blocks(before, w, h, true)),
        Distance(Blocks(after, w, h, false), plain) / 2);

    // Reset to defaults leaves mirror and flip alone (they are no camera
    // settings with a default); the option still says what the picture does.
    ASSERT_TRUE(m_host->Click("AdjustBtnReset"));
    PumpFor(500);
    EXPECT_TRUE(m_host->FindAs<DuiLib::COptionUI>("AdjustOptionMirror", "Option")->IsSelected());
    ASSERT_TRUE(controller.CopyDisplayPicture(&after, &w, &h));
    EXPECT_LT(Distance(Blocks(after, w, h, false), Blocks(before, w, h, true)),
        Distance(Blocks(after, w, h, false), plain) / 2);

    // Unticking it puts the picture the right way round again.
    ASSERT_TRUE(m_host->Click("AdjustOptionMirror"));
    PumpFor(500);
    ASSERT_TRUE(controller.CopyDisplayPicture(&after, &w, &h));
    EXPECT_LT(Distance(Blocks(after, w, h, false), plain),
        Distance(Blocks(after, w, h, false), Blocks(before, w, h, true)) / 2);
}

}  // namespace

namespace {

TEST_F(CommandsTest, ANameTheCalibrationFileCannotHoldIsRefusedWithAMessage)
{
    ASSERT_TRUE(m_host->Click("MainTabOptMeasure"));
    ASSERT_TRUE(m_host->Click("MeasureBtnCaliEdit"));
    ASSERT_TRUE(m_host->Click("CaliEdtName"));
    Xdo("type '#scale'");
    PumpFor(200);
    ASSERT_TRUE(m_host->Click("CaliEdtPhyLen"));
    Xdo("type 100");
    PumpFor(200);
    ASSERT_GT(std::atof(TextOf(*m_host, "CaliEdtCaliData").c_str()), 0.0);
    // The bad-input message comes up; Escape closes it.
    std::thread closer([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        Xdo("key Escape");
    });
    ASSERT_TRUE(m_host->Click("CaliBtnNew"));
    closer.join();
    PumpFor(300);
    EXPECT_EQ(Window().GetController().GetCaliStore().GetCount(), 0);
    EXPECT_EQ(m_host->FindAs<DuiLib::CListUI>("CaliDataList", "List")->GetCount(), 0);
    EXPECT_EQ(TextOf(*m_host, "CaliEdtName"), "#scale");
}

}  // namespace
