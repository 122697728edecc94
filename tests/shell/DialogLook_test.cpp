// Every dialog in all four languages: no text wider than its control, every
// settings page included. With KELVARA_DIALOG_SHOTS=<folder> the painted
// dialogs are also saved there as PNG files for looking at them.
#include "app/shell/AppConfig.h"
#include "app/shell/CAboutDialog.h"
#include "app/shell/CMessageDialog.h"
#include "app/shell/CSettingDialog.h"
#include "app/shell/CWirelessCameraDialog.h"
#include "app/shell/StringTable.h"
#include "tests/support/shell/DialogDriver.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace DuiLib;
using dialog_test::DriverWindow;

namespace {

const char* const kLanguageNames[] = {"en", "zh", "ko", "id"};

class DialogLookTest : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        dialog_test::InstallSkin(GetParam());
        GetAppConfig() = AppConfig();
        GetAppConfig().CFG_IMAGEPATH = "/home/user/Pictures/Microscope/2016";
        GetAppConfig().CFG_CONSHOT_COUNT = 10;
        GetAppConfig().CFG_CONSHOT_INTERVAL = 2;
        owner.onTimeout = [] {
            if (CBaseDialog* open = CBaseDialog::Current())
                open->Close(IDCANCEL);
        };
    }
    void TearDown() override { dialog_test::InstallSkin(0); }

    // Paints the window's tree now, checks its texts and saves the picture.
    void Check(CPaintManagerUI* pm, const std::string& what)
    {
        const sf::Image* pixels = pm->PaintNow();
        ASSERT_NE(pixels, nullptr);
        for (const std::string& clipped : dialog_test::ClippedTexts(pm->GetRoot()))
            ADD_FAILURE() << what << " [" << kLanguageNames[GetParam()] << "] clips " << clipped;
        if (const char* dir = std::getenv("KELVARA_DIALOG_SHOTS")) {
            std::filesystem::create_directories(dir);
            pixels->saveToFile(std::string(dir) + "/" + what + "_" + kLanguageNames[GetParam()] + ".png");
        }
    }
    bool Shown(CPaintManagerUI* pm) { return pm->GetPaintWindow() && pm->GetPaintCount() > 0; }

    kelvara::test::ScopedUserEnvironment env;
    DriverWindow owner;
};

}  // namespace

TEST_P(DialogLookTest, MessageAndErrorBoxes)
{
    for (int kind : {MB_ICONQUESTION_KIND, MB_ICONERROR_KIND}) {
        owner.Then([&] {
            CBaseDialog* box = CBaseDialog::Current();
            if (box == nullptr || !Shown(box->GetPaintManager()))
                return false;
            Check(box->GetPaintManager(), kind == MB_ICONQUESTION_KIND ? "messagebox" : "errorbox");
            box->Close(IDOK);
            return true;
        });
        if (kind == MB_ICONQUESTION_KIND)
            ShowMessageDialog(owner, GetLangText("STR_SURE_TO_EXIT"), GetLangText("STR_MESSAGE"), 1, kind);
        else
            ShowMessageDialog(
                owner, GetLangText("STR_FOLDER_NOT_WRITABLE"), GetLangText("STR_ERROR"), 0, kind);
        EXPECT_TRUE(owner.Idle());
    }
}

TEST_P(DialogLookTest, AboutBox)
{
    CAboutDialog about(owner);
    owner.Then([&] {
        if (!Shown(about.GetPaintManager()))
            return false;
        Check(about.GetPaintManager(), "about");
        // The notice wraps inside its box.
        auto* notice = static_cast<CLabelUI*>(about.FindControl("textCopyright"));
        EXPECT_LE(dialog_test::NeededWidth(notice), 2 * notice->GetWidth());
        about.Close(IDCANCEL);
        return true;
    });
    about.ShowModalDialog();
    EXPECT_TRUE(owner.Idle());
}

TEST_P(DialogLookTest, SettingsPages)
{
    CSettingDialog dialog(owner, "");
    owner.onTimeout = [&] { dialog.Close(IDCANCEL); };
    owner.Then([&] {
        if (!Shown(dialog.GetPaintManager()))
            return false;
        static_cast<COptionUI*>(dialog.FindControl("setting_OptFileCust"))->Selected(true);
        for (const char* option :
            {"setting_OptConv", "setting_OptUpdate", "setting_OptFile", "setting_OptSnap"}) {
            static_cast<COptionUI*>(dialog.FindControl(option))->Selected(true);
            Check(dialog.GetPaintManager(), "settings_page" + std::to_string(dialog.GetCurrentPage()));
        }
        dialog.Close(IDCANCEL);
        return true;
    });
    dialog.ShowModalDialog();
    EXPECT_TRUE(owner.Idle());
}

TEST_P(DialogLookTest, WirelessCameraDialog)
{
    CWirelessCameraDialog dialog(owner);
    owner.Then([&] {
        if (!Shown(dialog.GetPaintManager()))
            return false;
        Check(dialog.GetPaintManager(), "wireless");
        dialog.Close(IDCANCEL);
        return true;
    });
    dialog.ShowModalDialog();
    EXPECT_TRUE(owner.Idle());
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogLookTest, ::testing::Values(0, 1, 2, 3),
    [](const ::testing::TestParamInfo<int>& info) { return std::string(kLanguageNames[info.param]); });
