#include "tests/support/shell/DialogDriver.h"

#include "app/shell/StringTable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace DuiLib;

namespace dialog_test {
namespace {

constexpr UINT kStepTimer = 4711;

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class LangTextQuery : public IQueryControlText
{
public:
    CDuiString QueryControlText(const char* id, const char*) override { return GetLangText(id).c_str(); }
};

}  // namespace

void InstallSkin(int language)
{
    static LangTextQuery query;
    // KELVARA_TEST_SKIN_DIR previews another skin tree (images in progress).
    const char* other = std::getenv("KELVARA_TEST_SKIN_DIR");
    CPaintManagerUI::SetResourcePath(other ? (std::string(other) + "/").c_str() : KELVARA_SKIN_DIR "/");
    CResourceManager::GetInstance()->SetTextQueryInterface(&query);
    SetLanguage(language);
}

bool HaveXdotool()
{
    return std::system("command -v xdotool > /dev/null") == 0;
}

bool Xdo(const std::string& arguments)
{
    std::string command = "xdotool " + arguments;
    return std::system(command.c_str()) == 0;
}

POINT ScreenCentre(CControlUI* control)
{
    RECT wr{0, 0, 0, 0};
    if (CWindowWnd* window = CWindowWnd::FromHandle(control->GetManager()->GetPaintWindow()))
        window->GetWindowRect(wr);
    RECT rc = control->GetPos();
    return POINT{wr.left + (rc.left + rc.right) / 2, wr.top + (rc.top + rc.bottom) / 2};
}

bool Click(CControlUI* control)
{
    if (control == nullptr)
        return false;
    POINT p = ScreenCentre(control);
    char arguments[160];
    std::snprintf(arguments, sizeof(arguments), "mousemove %ld %ld sleep 0.05 click 1",
        static_cast<long>(p.x), static_cast<long>(p.y));
    return Xdo(arguments);
}

bool Keys(const std::string& keys)
{
    return Xdo("key --delay 20 " + keys);
}

bool Type(const std::string& text)
{
    return Xdo("type --delay 20 '" + text + "'");
}

DriverWindow::DriverWindow()
{
    Create(nullptr, "Dialog test owner", UI_WNDSTYLE_FRAME, 0, 40, 40, 900, 640);
    SetTimer(kStepTimer, 30);
}

DriverWindow::~DriverWindow()
{
    if (GetHWND() && CWindowWnd::IsWindow(GetHWND()))
        DestroyWindow();
}

void DriverWindow::Then(std::function<bool()> step, int timeoutMs)
{
    m_steps.push_back(Step{std::move(step), timeoutMs, 0});
}

void DriverWindow::Do(std::function<void()> action)
{
    Then([action] {
        action();
        return true;
    });
}

LRESULT DriverWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_TIMER && wParam == kStepTimer) {
        // A step that pumps messages itself must not run the next one inside it.
        if (m_steps.empty() || m_running)
            return 0;
        Step& step = m_steps.front();
        if (step.startedMs == 0)
            step.startedMs = NowMs();
        // The step may queue further steps: take it out first.
        Step current = step;
        m_running = true;
        bool done = current.run();
        m_running = false;
        if (done) {
            m_steps.erase(m_steps.begin());
            if (!m_steps.empty())
                m_steps.front().startedMs = 0;
        } else if (NowMs() - current.startedMs > current.timeoutMs) {
            failure = "a dialog step timed out";
            ADD_FAILURE() << failure;
            m_steps.clear();
            if (onTimeout)
                onTimeout();
        }
        return 0;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

int NeededWidth(CLabelUI* label)
{
    CDuiString text = label->GetText();
    if (text.IsEmpty())
        return 0;
    SIZE size = CRenderEngine::GetTextSize(text, label->GetManager()->GetFont(label->GetFont()));
    RECT pad = label->GetTextPadding();
    return static_cast<int>(size.cx + pad.left + pad.right);
}

std::vector<std::string> ClippedTexts(CControlUI* root)
{
    std::vector<std::string> clipped;
    if (root == nullptr || !root->IsVisible())
        return clipped;
    std::string cls = root->GetClass();
    auto* label = static_cast<CLabelUI*>(root->GetInterface("Label"));
    // Wrapping texts are checked by their height elsewhere; edits scroll.
    if (label && cls != "TextUI" && cls != "EditUI" && root->GetWidth() > 0
        && NeededWidth(label) > root->GetWidth())
        clipped.push_back(std::string(root->GetName().GetData()) + ": " + root->GetText().GetData() + " ("
            + std::to_string(NeededWidth(label)) + " > " + std::to_string(root->GetWidth()) + ")");
    if (auto* container = static_cast<CContainerUI*>(root->GetInterface("Container"))) {
        for (int i = 0; i < container->GetCount(); ++i) {
            std::vector<std::string> more = ClippedTexts(container->GetItemAt(i));
            clipped.insert(clipped.end(), more.begin(), more.end());
        }
    }
    return clipped;
}

}  // namespace dialog_test
