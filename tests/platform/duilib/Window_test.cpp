// Windows and the message loop: cross-thread sends, modal loops, timers,
// painting only on change, maximise, and real input through xdotool.
#include "tests/support/duilib/SampleSkin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <sys/resource.h>
#include <thread>

using namespace DuiLib;
using duilib_test::PumpUntil;

namespace {

constexpr UINT WM_TEST_ADD = WM_USER + 5;
constexpr UINT WM_TEST_CLOSE_LATER = WM_USER + 6;

class TestWindow : public duilib_test::SampleWindow
{
public:
    std::thread::id handlerThread;

protected:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_TEST_ADD) {
            handlerThread = std::this_thread::get_id();
            return static_cast<LRESULT>(wParam) + lParam;
        }
        if (uMsg == WM_TEST_CLOSE_LATER) {
            SetTimer(99, 30);
            return 0;
        }
        if (uMsg == WM_TIMER && wParam == 99) {
            KillTimer(99);
            Close(7);
        }
        return SampleWindow::HandleMessage(uMsg, wParam, lParam);
    }
};

class WindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { duilib_test::InstallSampleSkin(); }
    void SetUp() override
    {
        ASSERT_NE(wnd.Create(nullptr, "Kelvara 窗口", UI_WNDSTYLE_FRAME, 0, 100, 100, 640, 420), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return wnd.GetPaintManager()->GetPaintCount() > 0; }));
    }
    void TearDown() override
    {
        if (CWindowWnd::IsWindow(wnd.GetHWND()))
            wnd.DestroyWindow();
    }
    TestWindow wnd;
};

double CpuSeconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

TEST_F(WindowTest, SendFromAnotherThreadRunsOnTheWindowThread)
{
    std::atomic<LRESULT> result{-1};
    std::thread worker([&] { result = SendMessage(wnd.GetHWND(), WM_TEST_ADD, 3, 4); });
    ASSERT_TRUE(PumpUntil([&] { return result != -1; }));
    worker.join();
    EXPECT_EQ(result, 7);
    EXPECT_EQ(wnd.handlerThread, std::this_thread::get_id());
}

TEST_F(WindowTest, SenderHoldingALockDoesNotDeadlockTheUiThread)
{
    std::mutex cameraLock;
    std::atomic<bool> locked{false};
    std::atomic<LRESULT> result{-1};
    std::thread camera([&] {
        std::lock_guard<std::mutex> lock(cameraLock);
        locked = true;
        result = SendMessage(wnd.GetHWND(), WM_TEST_ADD, 1, 1);
    });
    while (!locked)
        std::this_thread::yield();
    LockPumpingSentMessages(cameraLock);  // would deadlock with a plain lock()
    cameraLock.unlock();
    camera.join();
    EXPECT_EQ(result, 2);
}

TEST_F(WindowTest, SendToAClosedWindowReturnsZero)
{
    HWND hwnd = wnd.GetHWND();
    wnd.DestroyWindow();
    std::atomic<LRESULT> result{-1};
    std::thread worker([&] { result = SendMessage(hwnd, WM_TEST_ADD, 3, 4); });
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(PostMessage(hwnd, WM_TEST_ADD, 0, 0));
}

TEST_F(WindowTest, ModalLoopReturnsTheCloseValue)
{
    TestWindow dialog;
    ASSERT_NE(dialog.Create(wnd.GetHWND(), "Dialog", UI_WNDSTYLE_DIALOG, 0), nullptr);
    dialog.PostMessage(WM_TEST_CLOSE_LATER);
    int ownerPaintsBefore = wnd.GetPaintManager()->GetPaintCount();
    wnd.Find("lblStatus")->SetText("changed while the dialog runs");
    EXPECT_EQ(dialog.ShowModal(), 7u);
    EXPECT_FALSE(CWindowWnd::IsWindow(dialog.GetHWND()));
    // The owner kept painting meanwhile.
    EXPECT_GT(wnd.GetPaintManager()->GetPaintCount(), ownerPaintsBefore);
}

TEST_F(WindowTest, TimersFireUntilKilled)
{
    wnd.SetTimer(5, 20);
    ASSERT_TRUE(PumpUntil([&] { return wnd.timers.size() >= 3; }));
    wnd.KillTimer(5);
    size_t seen = wnd.timers.size();
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(wnd.timers.size(), seen);
    EXPECT_EQ(wnd.timers.front(), 5u);
}

TEST_F(WindowTest, PaintsOnlyWhenSomethingChanged)
{
    PumpUntil([] { return false; }, 200);
    int paints = wnd.GetPaintManager()->GetPaintCount();
    double cpuBefore = CpuSeconds();
    PumpUntil([] { return false; }, 1000);
    EXPECT_EQ(wnd.GetPaintManager()->GetPaintCount(), paints);
    EXPECT_LT(CpuSeconds() - cpuBefore, 0.1);  // an idle window sleeps

    wnd.Find("lblStatus")->SetText("Saved");
    ASSERT_TRUE(PumpUntil([&] { return wnd.GetPaintManager()->GetPaintCount() > paints; }));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(wnd.GetPaintManager()->GetPaintCount(), paints + 1);
}

TEST_F(WindowTest, MaximiseAndRestoreSwapTheButtons)
{
    RECT before;
    wnd.GetWindowRect(before);
    wnd.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    RECT monitor, work, now;
    wnd.GetMonitorRects(monitor, work);
    wnd.GetWindowRect(now);
    EXPECT_TRUE(wnd.IsMaximized());
    EXPECT_EQ(now.right - now.left, work.right - work.left);
    EXPECT_FALSE(wnd.Find("maxbtn")->IsVisible());
    EXPECT_TRUE(wnd.Find("restorebtn")->IsVisible());
    wnd.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    wnd.GetWindowRect(now);
    EXPECT_EQ(now.left, before.left);
    EXPECT_EQ(now.right, before.right);
    EXPECT_TRUE(wnd.Find("maxbtn")->IsVisible());
}

TEST_F(WindowTest, RealPointerClicksAndCaptionDrags)
{
    if (std::system("command -v xdotool > /dev/null") != 0)
        GTEST_SKIP() << "xdotool missing";
    RECT wr;
    wnd.GetWindowRect(wr);
    RECT ok = wnd.Find("btnOk")->GetPos();
    char command[256];
    std::snprintf(command, sizeof(command), "xdotool mousemove %ld %ld sleep 0.05 click 1",
        wr.left + (ok.left + ok.right) / 2, wr.top + (ok.top + ok.bottom) / 2);
    ASSERT_EQ(std::system(command), 0);
    ASSERT_TRUE(PumpUntil([&] {
        return std::find(wnd.notifications.begin(), wnd.notifications.end(), "click:btnOk")
            != wnd.notifications.end();
    }));
    EXPECT_NE(std::find(wnd.messages.begin(), wnd.messages.end(), WM_LBUTTONDOWN), wnd.messages.end());

    // Drag the caption band by (120, 60).
    std::snprintf(command, sizeof(command),
        "xdotool mousemove %ld %ld sleep 0.05 mousedown 1 sleep 0.05 mousemove %ld %ld sleep 0.05 "
        "mousemove %ld %ld sleep 0.05 mouseup 1",
        wr.left + 100, wr.top + 15, wr.left + 160, wr.top + 45, wr.left + 220, wr.top + 75);
    ASSERT_EQ(std::system(command), 0);
    ASSERT_TRUE(PumpUntil([&] {
        RECT now;
        wnd.GetWindowRect(now);
        return now.left == wr.left + 120 && now.top == wr.top + 60;
    })) << "window did not follow the caption drag";
    EXPECT_NE(std::find(wnd.messages.begin(), wnd.messages.end(), WM_MOVE), wnd.messages.end());
    EXPECT_NE(std::find(wnd.messages.begin(), wnd.messages.end(), WM_EXITSIZEMOVE), wnd.messages.end());
}
