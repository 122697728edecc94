// The settings dialog driven by real clicks and keys: the start page, the
// numbers it stores, Browse with an injected folder chooser, OK and Cancel.
#include "app/shell/AppConfig.h"
#include "app/shell/CMessageDialog.h"
#include "app/shell/CSettingDialog.h"
#include "app/shell/StringTable.h"
#include "tests/support/shell/DialogDriver.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

using namespace DuiLib;
using dialog_test::Click;
using dialog_test::DriverWindow;
using dialog_test::Keys;
using dialog_test::Type;

namespace {

class SettingDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!dialog_test::HaveXdotool())
            GTEST_SKIP() << "xdotool missing";
        dialog_test::InstallSkin(0);
        GetAppConfig() = AppConfig();
        owner.onTimeout = [this] {
            if (CBaseDialog* open = CBaseDialog::Current())
                open->Close(IDCANCEL);
            if (dialog)
                dialog->Close(IDCANCEL);
        };
        folder = env.Home() + "/Pictures/microscope";
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { CFileDialog::SetChooser(nullptr); }

    CControlUI* Find(const char* name) { return dialog->FindControl(name); }
    bool Selected(const char* name) { return static_cast<COptionUI*>(Find(name))->IsSelected(); }
    std::string Text(const char* name) { return Find(name)->GetText().GetData(); }

    // Queues: wait until the dialog has painted.
    void WhenShown()
    {
        owner.Then([this] { return dialog->GetHWND() && dialog->GetPaintManager()->GetPaintCount() > 0; });
    }
    // Queues: replace the text of an edit by typing.
    void Retype(const char* edit, const std::string& text)
    {
        owner.Do([this, edit] { Click(Find(edit)); });
        owner.Do([] { Keys("End BackSpace BackSpace BackSpace BackSpace"); });
        owner.Then([this, edit] { return Text(edit).empty(); });
        owner.Do([text] { Type(text); });
        owner.Then([this, edit, text] { return Text(edit) == text; });
    }
    // Queues: a real click, then wait for its effect.
    void ClickThen(const char* name, std::function<bool()> done)
    {
        owner.Do([this, name] { Click(Find(name)); });
        owner.Then(std::move(done));
    }

    kelvara::test::ScopedUserEnvironment env;
    DriverWindow owner;
    std::unique_ptr<CSettingDialog> dialog;
    std::string folder;
};

}  // namespace

TEST_F(SettingDialogTest, StartsOnSnapPageBrowseSticksThroughCancel)
{
    AppConfig& config = GetAppConfig();
    config.CFG_CONSHOT_COUNT = 5;
    config.CFG_CONSHOT_INTERVAL = 3;
    config.CFG_EXITPROMPT = 0;
    config.CFG_IMAGEPATH_MYDOC = 1;
    config.CFG_FILESAVE_RULE = 0;
    config.CFG_IMAGEPATH = "/old/place";
    int chooserCalls = 0;
    CFileDialog::SetChooser([&](HWND, const TFileDialogOptions& options, CDuiString& path) {
        ++chooserCalls;
        EXPECT_EQ(options.kind, TFileDialogOptions::Folder);
        path = folder.c_str();
        return true;
    });

    dialog = std::make_unique<CSettingDialog>(owner, "setting_OptSnap");
    int page = -1;
    std::string count, interval;
    WhenShown();
    owner.Do([&] {
        page = dialog->GetCurrentPage();
        count = Text("setting_EdtPicCount");
        interval = Text("setting_EdtIntervalTime");
    });
    Retype("setting_EdtPicCount", "abc");
    ClickThen("setting_OptFile", [&] { return dialog->GetCurrentPage() == 4; });
    ClickThen("setting_OptFileCust", [&] { return Find("setting_layImagePath")->IsVisible(); });
    ClickThen("setting_BtnBrowseImagePath", [&] { return Text("setting_EdtCustImagePath") == folder; });
    owner.Do([&] { EXPECT_EQ(GetAppConfig().CFG_IMAGEPATH, folder); });  // stored at once
    ClickThen("closebtn", [] { return true; });

    EXPECT_EQ(dialog->ShowModalDialog(), 2u);
    EXPECT_TRUE(owner.Idle());
    EXPECT_EQ(page, 6);
    EXPECT_EQ(count, "5");
    EXPECT_EQ(interval, "3");
    EXPECT_EQ(chooserCalls, 1);
    // Cancel keeps the browsed folder and stores nothing else.
    EXPECT_EQ(config.CFG_IMAGEPATH, folder);
    EXPECT_EQ(config.CFG_CONSHOT_COUNT, 5);
    EXPECT_EQ(config.CFG_CONSHOT_INTERVAL, 3);
    EXPECT_EQ(config.CFG_EXITPROMPT, 0);
    EXPECT_EQ(config.CFG_IMAGEPATH_MYDOC, 1);
    EXPECT_EQ(config.CFG_FILESAVE_RULE, 0);
}

TEST_F(SettingDialogTest, OkStoresAllFiveValuesAndNotANumberAsZero)
{
    AppConfig& config = GetAppConfig();
    config.CFG_CONSHOT_COUNT = 9;
    config.CFG_CONSHOT_INTERVAL = 9;
    config.CFG_EXITPROMPT = 0;
    config.CFG_IMAGEPATH_MYDOC = 1;
    config.CFG_FILESAVE_RULE = 0;

    dialog = std::make_unique<CSettingDialog>(owner, "");
    int page = -1;
    WhenShown();
    owner.Do([&] { page = dialog->GetCurrentPage(); });
    ClickThen("setting_ChkExitPrompt", [&] { return Selected("setting_ChkExitPrompt"); });
    ClickThen("setting_OptFile", [&] { return dialog->GetCurrentPage() == 4; });
    ClickThen("setting_OptFileCust", [&] { return Selected("setting_OptFileCust"); });
    ClickThen("set_OptFileRuleFiledialog", [&] { return !Find("setting_layFileRulePreDeine")->IsVisible(); });
    ClickThen("setting_OptSnap", [&] { return dialog->GetCurrentPage() == 6; });
    Retype("setting_EdtPicCount", "abc");
    Retype("setting_EdtIntervalTime", "12");
    ClickThen("okbtn", [] { return true; });
    EXPECT_EQ(dialog->ShowModalDialog(), 1u);
    EXPECT_TRUE(owner.Idle());
    EXPECT_EQ(page, 0);
    EXPECT_EQ(config.CFG_EXITPROMPT, 1);
    EXPECT_EQ(config.CFG_IMAGEPATH_MYDOC, 0);
    EXPECT_EQ(config.CFG_FILESAVE_RULE, 1);
    EXPECT_EQ(config.CFG_CONSHOT_COUNT, 0);
    EXPECT_EQ(config.CFG_CONSHOT_INTERVAL, 12);

    // Opened again, it shows what was stored and how the file page was left.
    dialog = std::make_unique<CSettingDialog>(owner, "setting_OptSnap");
    std::string count;
    bool custom = false, fileDialog = false, exitPrompt = false;
    WhenShown();
    owner.Do([&] {
        count = Text("setting_EdtPicCount");
        custom = Selected("setting_OptFileCust") && Find("setting_layImagePath")->IsOwnVisible();
        fileDialog
            = Selected("set_OptFileRuleFiledialog") && !Find("setting_layFileRulePreDeine")->IsOwnVisible();
        exitPrompt = Selected("setting_ChkExitPrompt");
    });
    owner.Do([] { Keys("Escape"); });
    EXPECT_EQ(dialog->ShowModalDialog(), 2u);
    EXPECT_EQ(count, "0");
    EXPECT_TRUE(custom);
    EXPECT_TRUE(fileDialog);
    EXPECT_TRUE(exitPrompt);
}

TEST_F(SettingDialogTest, FolderThatCannotBeWrittenIsRefused)
{
    // The super user may write anywhere on a normal file system; /proc
    // takes new files from no one.
    std::string locked = env.Home() + "/locked";
    std::filesystem::create_directories(locked);
    chmod(locked.c_str(), 0500);
    std::string refused = geteuid() == 0 ? std::string("/proc/self") : locked;
    EXPECT_FALSE(CSettingDialog::IsWritableFolder(refused));
    EXPECT_FALSE(CSettingDialog::IsWritableFolder(env.Home() + "/missing"));
    EXPECT_TRUE(CSettingDialog::IsWritableFolder(folder));

    GetAppConfig().CFG_IMAGEPATH = folder;
    GetAppConfig().CFG_IMAGEPATH_MYDOC = 0;
    CFileDialog::SetChooser([&](HWND, const TFileDialogOptions&, CDuiString& path) {
        path = refused.c_str();
        return true;
    });
    dialog = std::make_unique<CSettingDialog>(owner, "setting_OptFile");
    std::string warning;
    WhenShown();
    owner.Do([&] { Click(Find("setting_BtnBrowseImagePath")); });
    owner.Then([&] {
        auto* box = dynamic_cast<CMessageDialog*>(CBaseDialog::Current());
        if (box == nullptr || box->GetPaintManager()->GetPaintCount() == 0)
            return false;
        warning = box->FindControl("Tex_Message")->GetText().GetData();
        Keys("Return");
        return true;
    });
    owner.Then([] { return CBaseDialog::Current() == nullptr; });
    owner.Do([&] { EXPECT_EQ(Text("setting_EdtCustImagePath"), folder); });
    ClickThen("okbtn", [] { return true; });
    EXPECT_EQ(dialog->ShowModalDialog(), 1u);
    EXPECT_TRUE(owner.Idle());
    EXPECT_EQ(warning, GetLangText("STR_FOLDER_NOT_WRITABLE"));
    EXPECT_FALSE(warning.empty());
    EXPECT_EQ(GetAppConfig().CFG_IMAGEPATH, folder);
    chmod(locked.c_str(), 0700);
}

TEST(SettingDialogNumbers, DecimalPrefixOrZero)
{
    EXPECT_EQ(CSettingDialog::ParseCount("abc"), 0);
    EXPECT_EQ(CSettingDialog::ParseCount(""), 0);
    EXPECT_EQ(CSettingDialog::ParseCount("12"), 12);
    EXPECT_EQ(CSettingDialog::ParseCount(" 7x"), 7);
    EXPECT_EQ(CSettingDialog::ParseCount("-3"), -3);
    EXPECT_EQ(CSettingDialog::ParseCount("99999999999999"), 2147483647);
}
