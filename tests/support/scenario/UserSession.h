#pragma once
// Test helper: the built program run as a user runs it. Starts Kelvara as a
// separate process with a private home, runtime folder and working folder,
// finds its main window through the X server, drives it with real pointer
// and key events (xdotool, XTEST) and reads its memory and open files from
// /proc. Nothing here looks inside the program. Test thread only: the input
// goes to whatever window is under the pointer or focused on the shared
// display.

#include "tests/support/scenario/ScreenPixels.h"
#include "tests/support/shell/ChildProcess.h"

#include <sys/types.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace kelvara::test {

class UserSession
{
public:
    struct Options
    {
        std::string home;  // HOME, XDG_RUNTIME_DIR and working folder
        std::string outputPrefix;  // stdout and stderr go to <prefix>.out / .err
        std::string virtualCameras = "demo";  // KELVARA_VIRTUAL_CAMERAS; empty: unset
        std::string language;  // LANG (and LANGUAGE cleared); empty: C
        ChildProcess::EnvironmentChanges extra;
        // Main windows of other copies that are already on screen.
        std::set<unsigned long> otherWindows;
    };

    explicit UserSession(const Options& options);
    ~UserSession();  // kills a program still running
    UserSession(const UserSession&) = delete;
    UserSession& operator=(const UserSession&) = delete;

    // The main window is on screen, maximised, and the camera list is drawn.
    bool WaitReady(int timeoutMs = 20000);
    unsigned long MainWindow() const { return m_main; }
    pid_t Pid() const { return m_process ? m_process->Pid() : 0; }
    bool Running() const;
    // Exit code, ChildProcess::kSignalled or kTimedOut (then killed).
    int WaitExit(int timeoutMs);
    std::string Output() const;  // stdout and stderr so far

    // Asks the main window to close, as the close box of a window manager.
    void AskToClose() const;

    // Real input on the display.
    static void Click(int x, int y);
    static void Drag(int fromX, int fromY, int toX, int toY);
    // Moves the pointer in steps (menus open their sub-menus on hover).
    static void MoveTo(int x, int y);
    static void Key(const std::string& keys);  // xdotool key names: "Return", "F9"
    static void Type(const std::string& text);

    // Polls condition every 50 ms until it holds or timeoutMs passes.
    static bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

    // The viewable top-level window with exactly this title (a few levels
    // below the root), skipping the ones in `except`; 0 when none.
    static unsigned long FindWindow(const std::string& title, const std::set<unsigned long>& except = {});

    // Where a window is on screen; empty when it is gone.
    static ScreenRect WindowRect(unsigned long window);

    // From /proc/<pid>: resident and peak resident memory in KiB, open file
    // descriptors; -1 when the process is gone.
    static long ResidentKb(pid_t pid);
    static long PeakResidentKb(pid_t pid);
    static int OpenFiles(pid_t pid);

private:
    Options m_options;
    std::unique_ptr<ChildProcess> m_process;
    unsigned long m_main = 0;
};

}  // namespace kelvara::test
