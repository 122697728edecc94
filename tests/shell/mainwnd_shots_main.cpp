// Screenshots of the main window for looking at it: default size and
// maximised, the camera page with drawers open, the measure page and the
// calibration page, in the languages asked for.
//   mainwnd_shots DIR [LANGUAGE...]   (languages 0 English, 1 Chinese, 2 Korean, 3 Indonesian)
// Run it under an X server of 1920 x 1080 (tools/screenshots.sh does).
#include "app/shell/AppConfig.h"
#include "app/shell/ShellDialogs.h"
#include "app/shell/StringTable.h"
#include "tests/support/duilib/SampleSkin.h"
#include "tests/support/shell/MainWindowHost.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using kelvara::test::MainWindowHost;
using kelvara::test::Pump;
using kelvara::test::PumpFor;

const char* const kLanguageTags[] = {"en", "zh", "ko", "id"};

bool Shot(const std::string& dir, const std::string& name)
{
    PumpFor(400);
    const std::string path = dir + "/" + name + ".png";
    bool saved = duilib_test::SaveScreenshot(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", path.c_str());
    return saved;
}

// Shows a modal dialog with show() and saves the screen while it is open;
// Escape then closes it.
bool ShotModal(const std::string& dir, const std::string& name, const std::function<void()>& show)
{
    const std::string path = dir + "/" + name + ".png";
    std::atomic<bool> saved{false};
    std::thread shooter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        saved = duilib_test::SaveScreenshot(path);
        kelvara::test::Xdo("key Escape");
    });
    show();
    shooter.join();
    std::printf("%s %s\n", saved ? "saved" : "FAILED", path.c_str());
    return saved;
}

bool ShootLanguage(const std::string& dir, int language)
{
    const std::string tag = kLanguageTags[language];
    MainWindowHost host("demo");
    GetAppConfig().CFG_LANGUAGE = language;
    if (!host.Open()) {
        std::fprintf(stderr, "the main window did not open\n");
        return false;
    }
    bool ok = Shot(dir, "maximised_" + tag);
    host.Window().SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    ok = Shot(dir, "default_size_" + tag) && ok;
    host.Window().SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    PumpFor(200);

    host.ClickCameraRow(0);
    Pump([&] { return host.Window().GetController().GetCamera() != nullptr; }, 3000);
    PumpFor(1500);
    ok = Shot(dir, "camera_resolution_" + tag) && ok;
    host.Click("drawerHeadExposure");
    ok = Shot(dir, "camera_exposure_" + tag) && ok;
    host.Click("drawerHeadWB");
    ok = Shot(dir, "camera_whitebalance_" + tag) && ok;
    host.Click("drawerHeadColor");
    ok = Shot(dir, "camera_color_" + tag) && ok;
    host.Click("StatusbarBtnOutput");
    host.Click("MainTabOptMeasure");
    ok = Shot(dir, "measure_" + tag) && ok;
    host.Click("MeasureBtnCaliEdit");
    ok = Shot(dir, "calibration_" + tag) && ok;
    host.Click("CaliBtnBack");

    const HWND owner = host.Window().GetHWND();
    ok = ShotModal(dir, "dialog_settings_" + tag, [&] { kelvara::ShowSettingDialog(owner, ""); }) && ok;
    ok = ShotModal(dir, "dialog_settings_snap_" + tag, [&] {
        kelvara::ShowSettingDialog(owner, "setting_OptSnap");
    }) && ok;
    ok = ShotModal(dir, "dialog_about_" + tag, [&] { kelvara::ShowAboutDialog(owner); }) && ok;
    ok = ShotModal(dir, "dialog_message_" + tag, [&] {
        ShowMessageDialog(owner, GetLangText("STR_SURE_TO_EXIT"), GetLangText("STR_EXIT_APP"), 1, 32);
    }) && ok;
    ok = ShotModal(dir, "dialog_error_" + tag, [&] { ShowErrorCode(-6, owner); }) && ok;
    ok = ShotModal(dir, "dialog_wireless_" + tag, [&] {
        std::wstring address;
        kelvara::AskWirelessAddress(owner, &address);
    }) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [LANGUAGE...]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<int> languages;
    for (int i = 2; i < argc; ++i)
        languages.push_back(std::atoi(argv[i]) & 3);
    if (languages.empty())
        languages = {0, 1};
    bool ok = true;
    for (int language : languages)
        ok = ShootLanguage(dir, language) && ok;
    return ok ? 0 : 1;
}
