// Kelvara: one running copy, the user's settings, the skin, the main window.
#include "app/shell/AppConfig.h"
#include "app/shell/AppVersion.h"
#include "app/shell/CMainWnd.h"
#include "app/shell/PropertySheetPresenter.h"
#include "app/shell/SkinSetup.h"
#include "platform/duilib/CPlainMessageBox.h"
#include "platform/duilib/UIlib.h"
#include "platform/system/InstanceLock.h"
#include "platform/system/TerminationWatcher.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

namespace {

// Names the single-instance lock, as the original named its mutex.
constexpr const char* kInstanceName = "{4C4E6341-80EB-08B6-A5AB-3A4C48AAC515}";

constexpr int kExitUsage = 2;

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
        "Usage: Kelvara [--help] [--version]\n"
        "Live picture, snapshots, recordings and measurements for microscope cameras.\n"
        "\n"
        "  -h, --help     print this help and exit\n"
        "  -V, --version  print the version and exit\n"
        "\n"
        "Environment: KELVARA_VIRTUAL_CAMERAS=demo lists a built-in demo camera.\n");
}

// Handles the command line before any window or X connection exists.
// Returns -1 to go on starting, else the exit code.
int HandleOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        if (std::strcmp(option, "--version") == 0 || std::strcmp(option, "-V") == 0) {
            std::printf("%s %s\n", kAppName, kAppVersion);
            return 0;
        }
        std::fprintf(stderr, "Kelvara: %s '%s'\nTry 'Kelvara --help' for the options.\n",
            option[0] == '-' ? "unknown option" : "unexpected argument", option);
        return kExitUsage;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    int optionsExit = HandleOptions(argc, argv);
    if (optionsExit >= 0)
        return optionsExit;
    XInitThreads();
    // Before any thread starts, so that every thread leaves these signals to it.
    kelvara::CTerminationWatcher termination;
    kelvara::CInstanceLock instance;
    if (instance.Acquire(kInstanceName) == kelvara::CInstanceLock::kAlreadyRunning) {
        std::fprintf(stderr, "Kelvara: This application is already running!\n");
        DuiLib::ShowPlainMessageBox("This application is already running!", "Message");
        return -1;
    }
    LoadConfig();
    DuiLib::CPaintManagerUI::SetInstance(nullptr);
    kelvara::InstallSkin();
    InstallPropertySheetPresenter();
    DuiLib::CWindowWnd::RegisterIconResource(104, "ui\\logo_48.png");

    auto* window = new kelvara::CMainWnd();
    if (window->Create(nullptr, "Kelvara", 0x10CF0000, 0) == nullptr) {
        std::fprintf(stderr, "Kelvara: cannot open the main window (is an X display available?)\n");
        delete window;
        return 1;
    }
    const HWND mainWindow = window->GetHWND();
    termination.Start([mainWindow](int) { PostMessage(mainWindow, kelvara::WM_TERMINATE_REQUEST, 0, 0); });
    window->ShowModal();
    SaveConfig();
    instance.Release();
    delete window;
    return 0;
}
