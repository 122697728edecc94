// File choosers (injected and built-in) and the property sheet, driven from
// a timer of the owner while they run modally.
#include "platform/duilib/CX11Connection.h"
#include "tests/support/duilib/SampleSkin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <unistd.h>

using namespace DuiLib;
using duilib_test::PumpUntil;

namespace {

class TimerWindow : public duilib_test::SampleWindow
{
public:
    std::function<void()> onTimer;

protected:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_TIMER && wParam == 77) {
            KillTimer(77);
            if (onTimer)
                onTimer();
            return 0;
        }
        return SampleWindow::HandleMessage(uMsg, wParam, lParam);
    }
};

class DialogsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { duilib_test::InstallSampleSkin(); }
    void SetUp() override
    {
        setenv("KELVARA_BUILTIN_CHOOSER", "1", 1);
        char tmpl[] = "/tmp/duilib-chooser-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        std::ofstream(dir + "/a.png") << "x";
        std::ofstream(dir + "/notes.txt") << "x";
        mkdir((dir + "/sub").c_str(), 0700);
        ASSERT_NE(wnd.Create(nullptr, "Owner", UI_WNDSTYLE_FRAME, 0, 20, 20, 640, 420), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return wnd.GetPaintManager()->GetPaintCount() > 0; }));
    }
    void TearDown() override
    {
        CFileDialog::SetChooser(nullptr);
        if (CWindowWnd::IsWindow(wnd.GetHWND()))
            wnd.DestroyWindow();
        std::remove((dir + "/a.png").c_str());
        std::remove((dir + "/notes.txt").c_str());
        rmdir((dir + "/sub").c_str());
        rmdir(dir.c_str());
    }
    TFileDialogOptions SaveOptions()
    {
        TFileDialogOptions o;
        o.kind = TFileDialogOptions::Save;
        o.title = "Save screenshot";
        o.filters = {{"Image files(*.png)", "*.png"}, {"All files", "*"}};
        o.fileName = "screenshot.png";
        o.defaultExt = "png";
        o.initialDir = dir.c_str();
        o.overwritePrompt = true;
        return o;
    }
    // Runs action from the owner's timer once the built-in dialog is up.
    void WhenOpen(std::function<void(CFileDialogWnd*)> action)
    {
        wnd.onTimer = [this, action] {
            CFileDialogWnd* dialog = CFileDialogWnd::Current();
            ASSERT_NE(dialog, nullptr);
            action(dialog);
        };
        wnd.SetTimer(77, 100);
    }

    std::string dir;
    TimerWindow wnd;
};

}  // namespace

TEST(FileDialog, DefaultExtensionAndPatterns)
{
    TFileDialogOptions save;
    save.kind = TFileDialogOptions::Save;
    save.defaultExt = "csv";
    EXPECT_STREQ(CFileDialog::ApplyDefaultExt(save, "/tmp/results"), "/tmp/results.csv");
    EXPECT_STREQ(CFileDialog::ApplyDefaultExt(save, "/tmp/results.txt"), "/tmp/results.txt");
    EXPECT_STREQ(CFileDialog::ApplyDefaultExt(save, "/tmp.d/results"), "/tmp.d/results.csv");
    TFileDialogOptions open;
    open.defaultExt = "csv";
    EXPECT_STREQ(CFileDialog::ApplyDefaultExt(open, "/tmp/results"), "/tmp/results");
    struct Case
    {
        const char* name;
        const char* patterns;
        bool match;
    } cases[] = {
        {"a.PNG", "*.png", true},
        {"a.jpg", "*.tif;*.jpg", true},
        {"a.bmp", "*.tif; *.jpg", false},
        {"anything", "", true},
        {"backup.ini", "*.ini", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CFileDialog::MatchesPattern(c.name, c.patterns), c.match) << c.name << " " << c.patterns;
}

TEST_F(DialogsTest, InjectedChooserAnswersAndCancelGivesNothing)
{
    TFileDialogOptions seen;
    CFileDialog::SetChooser([&](HWND, const TFileDialogOptions& o, CDuiString& path) {
        seen = o;
        path = "/data/shot.png";
        return true;
    });
    CDuiString path;
    EXPECT_TRUE(CFileDialog::Show(wnd.GetHWND(), SaveOptions(), path));
    EXPECT_STREQ(path, "/data/shot.png");
    EXPECT_STREQ(seen.title, "Save screenshot");
    ASSERT_EQ(seen.filters.size(), 2u);
    CFileDialog::SetChooser([](HWND, const TFileDialogOptions&, CDuiString& path) {
        path = "ignored";
        return false;
    });
    EXPECT_FALSE(CFileDialog::Show(wnd.GetHWND(), SaveOptions(), path));
    EXPECT_TRUE(path.IsEmpty());
}

TEST_F(DialogsTest, BuiltInSaveAsksBeforeReplacingAndAddsTheExtension)
{
    WhenOpen([&](CFileDialogWnd* dialog) {
        EXPECT_STREQ(dialog->GetCurrentDir(), dir.c_str());
        dialog->SetName("a");
        EXPECT_FALSE(dialog->Accept());  // a.png exists: asks first
        EXPECT_NE(dialog->GetStatus().Find("exists"), -1);
        EXPECT_TRUE(dialog->Accept());
    });
    CDuiString path;
    EXPECT_TRUE(CFileDialog::Show(wnd.GetHWND(), SaveOptions(), path));
    EXPECT_EQ(path.str(), dir + "/a.png");
}

TEST_F(DialogsTest, BuiltInOpenCancelsAndFolderChooserGivesTheFolder)
{
    TFileDialogOptions open;
    open.filters = {{"Configuration Files(*.ini) ", "*.ini"}};
    open.initialDir = dir.c_str();
    WhenOpen([&](CFileDialogWnd* dialog) {
        dialog->SetName("missing.ini");
        EXPECT_FALSE(dialog->Accept());
        SendMessage(dialog->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    CDuiString path;
    EXPECT_FALSE(CFileDialog::Show(wnd.GetHWND(), open, path));
    EXPECT_TRUE(path.IsEmpty());

    TFileDialogOptions folder;
    folder.kind = TFileDialogOptions::Folder;
    folder.initialDir = dir.c_str();
    WhenOpen([&](CFileDialogWnd* dialog) {
        dialog->SetCurrentDir((dir + "/sub").c_str());
        dialog->Accept();
    });
    EXPECT_TRUE(CFileDialog::Show(wnd.GetHWND(), folder, path));
    EXPECT_EQ(path.str(), dir + "/sub");
}

TEST_F(DialogsTest, PropertySheetAppliesChangesLive)
{
    std::vector<std::string> applied;
    std::vector<TPropertySheetControl> controls(3);
    controls[0].name = "Brightness";
    controls[0].minimum = -64;
    controls[0].maximum = 64;
    controls[0].step = 4;
    controls[0].defaultValue = 0;
    controls[0].value = 8;
    controls[1].name = "Exposure";
    controls[1].minimum = 1;
    controls[1].maximum = 5000;
    controls[1].value = 100;
    controls[1].hasAuto = true;
    controls[2].name = "Power line";
    controls[2].type = TPropertySheetControl::Menu;
    controls[2].choices = {{0, "Off"}, {1, "50 Hz"}, {2, "60 Hz"}};
    controls[2].value = 1;
    for (size_t i = 0; i < controls.size(); ++i) {
        controls[i].apply = [&, i](long value, bool isAuto) {
            applied.push_back(std::to_string(i) + ":" + std::to_string(value) + (isAuto ? "a" : ""));
            return !(i == 1 && value == 1);  // the device refuses 1 for exposure
        };
    }
    wnd.onTimer = [&] {
        CPropertySheetWnd* sheet = CPropertySheetWnd::Current();
        ASSERT_NE(sheet, nullptr);
        CPaintManagerUI* pm = sheet->GetPaintManager();
        PumpUntil([&] { return pm->GetPaintCount() > 0; });
        auto* slider = static_cast<CSliderUI*>(pm->FindControl("sheet_value_0"));
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->GetValue(), 8);
        RECT rc = slider->GetPos();
        long y = (rc.top + rc.bottom) / 2;
        SendMessage(sheet->GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right - 2, y));
        SendMessage(sheet->GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(rc.right - 2, y));
        static_cast<COptionUI*>(pm->FindControl("sheet_auto_1"))->Selected(true);
        EXPECT_FALSE(pm->FindControl("sheet_value_1")->IsEnabled());  // auto: the slider rests
        static_cast<CSliderUI*>(pm->FindControl("sheet_value_1"))->SetValue(1);
        pm->SendNotify(pm->FindControl("sheet_value_1"), DUI_MSGTYPE_VALUECHANGED);
        static_cast<CComboUI*>(pm->FindControl("sheet_value_2"))->SelectItem(2);
        pm->SendNotify(pm->FindControl("sheet_reset_0"), DUI_MSGTYPE_CLICK);
        EXPECT_STREQ(pm->FindControl("sheet_label_0")->GetText(), "0");
        sheet->Close(IDOK);
    };
    wnd.SetTimer(77, 100);
    CPropertySheetWnd::Show(wnd.GetHWND(), "Camera properties", controls);
    EXPECT_EQ(applied, std::vector<std::string>({"0:64", "0:64", "1:100a", "1:1a", "2:2", "0:0"}));
    EXPECT_EQ(controls[0].value, 0);
    EXPECT_EQ(controls[1].value, 100);  // refused value not kept
    EXPECT_TRUE(controls[1].isAuto);
    EXPECT_EQ(controls[2].value, 2);
    EXPECT_EQ(CPropertySheetWnd::Snap(controls[0], 5), 4);
    EXPECT_EQ(CPropertySheetWnd::Snap(controls[0], 99), 64);
}

TEST_F(DialogsTest, ShadowIsQuietWithoutACompositorAndFadesOutward)
{
    CShadowUI shadow;
    CMessageLoop* loop = CMessageLoop::GetCurrent();
    bool compositing = loop->X().IsCompositing();
    EXPECT_EQ(shadow.Create(wnd.GetPaintManager()), compositing);
    EXPECT_EQ(shadow.IsActive(), compositing);
    shadow.ShowShadow(false);  // harmless either way

    // 10 x 10 window, shadow 4 wide: darkest at the edge, clear under the window.
    std::vector<uint8_t> px = CShadowUI::MakeShadow(10, 10, 4, 0, 200, 0, POINT{0, 0});
    auto alpha = [&](int x, int y) { return px[(static_cast<size_t>(y) * 18 + x) * 4 + 3]; };
    EXPECT_EQ(alpha(9, 9), 0);
    EXPECT_GT(alpha(3, 9), alpha(1, 9));
    EXPECT_GT(alpha(1, 9), alpha(0, 9));
    EXPECT_EQ(alpha(3, 9), 200);
}
