#pragma once
// Test helper: the program's main window as the program shows it, with the
// skin of the source tree, a private home folder and the demo cameras, plus
// real input through the X server (xdotool) and a look at the screen.
// UI thread (the test's thread) only.

#include "app/shell/CMainWnd.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <functional>
#include <memory>
#include <string>

namespace kelvara::test {

// Installs the program's own skin archive, as the program does at start.
void InstallProgramSkin();

// Pumps the calling thread's message loop until done() or timeoutMs passed.
bool Pump(const std::function<bool()>& done, int timeoutMs = 3000);
// Pumps for a while whatever happens.
void PumpFor(int ms);

// Runs an xdotool command line (arguments after "xdotool"); false when it failed.
bool Xdo(const std::string& arguments);
bool HaveXdotool();

class MainWindowHost
{
public:
    // cameras: the value of KELVARA_VIRTUAL_CAMERAS ("demo", a JSON file, "" for none).
    explicit MainWindowHost(const std::string& cameras = "demo");
    ~MainWindowHost();

    // Creates the window and waits until it is laid out, maximised and its
    // preview attached. False when that does not happen within 5 s.
    bool Open();
    void Close();

    CMainWnd& Window() { return *m_window; }
    DuiLib::CControlUI* Find(const char* name) { return m_window->Find(name); }
    template <typename T> T* FindAs(const char* name, const char* iface)
    {
        DuiLib::CControlUI* control = Find(name);
        return control ? static_cast<T*>(control->GetInterface(iface)) : nullptr;
    }

    // Screen point at the centre of a control (or at dx/dy from its left/top).
    bool ScreenPoint(DuiLib::CControlUI* control, long* x, long* y, long dx = -1, long dy = -1);
    // A real click through the X server at the control.
    bool Click(const char* name);
    bool ClickControl(DuiLib::CControlUI* control, long dx = -1, long dy = -1);
    // Opens camera `row` of the camera list by clicking its link.
    bool ClickCameraRow(int row);

    // Clicks the item `name` of the open menu; with `parent`, first rests on
    // that item so its sub-menu opens, and clicks in the sub-menu.
    bool ClickMenuItem(const char* name, const char* parent = nullptr);
    // Opens the menu of a control (a click) and waits until it shows.
    bool OpenMenu(const char* control);
    // Closes an open menu with Escape and waits until it is gone.
    bool CloseMenu();
    bool IsMenuOpen();
    // Screen point of an image pixel of the preview.
    bool ImageToScreen(double ix, double iy, long* x, long* y);

    const std::string& Home() const { return m_env.Home(); }
    // Uses another home folder (for a restart that keeps the user's files).
    void UseHome(const std::string& home) { setenv("HOME", home.c_str(), 1); }

private:
    ScopedUserEnvironment m_env;
    std::unique_ptr<CMainWnd> m_window;
};

}  // namespace kelvara::test
