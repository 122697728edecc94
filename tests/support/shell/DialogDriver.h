#pragma once
// Test support for the program's dialogs: the skin from the source tree
// with its string tables, an owner window whose timer runs test steps while
// a dialog's modal loop runs, and real pointer and keyboard input through
// the X server (xdotool). UI thread only.

#include "platform/duilib/UIlib.h"
#include "tests/support/duilib/SampleSkin.h"

#include <functional>
#include <string>
#include <vector>

namespace dialog_test {

// Points the toolkit at the repository's skin folder, answers resource
// texts from the string table and loads language 0 to 3.
void InstallSkin(int language = 0);

// True when xdotool can be run.
bool HaveXdotool();
// Runs an xdotool command line ("mousemove 10 10 click 1"); false on failure.
bool Xdo(const std::string& arguments);
// Screen centre of a control of a visible window.
POINT ScreenCentre(DuiLib::CControlUI* control);
// Moves the real pointer onto the control and clicks it.
bool Click(DuiLib::CControlUI* control);
// Real key presses ("Return", "End BackSpace") and typed text.
bool Keys(const std::string& keys);
bool Type(const std::string& text);

// A plain top-level window that owns the dialogs of a test. Steps queued
// with Then run one at a time from its timer (also inside modal loops): a
// step is repeated until it answers true. A step still unfinished after
// timeoutMs fails the test and onTimeout runs (to close what is open).
class DriverWindow : public DuiLib::CWindowWnd
{
public:
    DriverWindow();
    ~DriverWindow() override;
    void Then(std::function<bool()> step, int timeoutMs = 4000);
    // A step that runs once.
    void Do(std::function<void()> action);
    bool Idle() const { return m_steps.empty(); }
    std::function<void()> onTimeout;
    std::string failure;  // what timed out, if anything

protected:
    const char* GetWindowClassName() const override { return "DialogTestDriver"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Step
    {
        std::function<bool()> run;
        int timeoutMs;
        long long startedMs;
    };
    std::vector<Step> m_steps;
    bool m_running = false;
};

// Pumps the calling thread's loop until done() or timeoutMs passed.
using duilib_test::PumpUntil;

// Text width of a label's text in its own font, plus its text padding.
int NeededWidth(DuiLib::CLabelUI* label);
// Labels (buttons, options, edits included) of a tree whose text does not
// fit its width, as "name: text".
std::vector<std::string> ClippedTexts(DuiLib::CControlUI* root);

}  // namespace dialog_test
