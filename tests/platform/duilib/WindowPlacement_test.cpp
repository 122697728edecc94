// Where windows go and what shape they have: the monitor a window is on,
// round corners as an X shape, full screen, minimising noticed, closing from
// outside, and the small rules the main window relies on (translated
// tooltips, list scrolling while hidden, the shortest timer).
#include "platform/duilib/CMessageLoop.h"
#include "platform/duilib/CX11Connection.h"
#include "tests/support/duilib/SampleSkin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

// After GoogleTest: X11's macros (None, Bool) break its headers.
#include <X11/Xlib.h>

using namespace DuiLib;
using duilib_test::PumpUntil;

namespace {

void Pump(int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    PumpUntil([&] { return std::chrono::steady_clock::now() > end; }, ms + 1000);
}

TEST(MonitorChoice, PointPrimaryOrFirst)
{
    using M = CX11Connection::MonitorRect;
    const std::vector<M> monitors
        = {{0, 0, 1920, 1080, false}, {1920, 0, 1280, 1024, true}, {-800, 0, 800, 600, false}};
    EXPECT_EQ(CX11Connection::PickMonitor(monitors, 100, 100), 0);
    EXPECT_EQ(CX11Connection::PickMonitor(monitors, 1920, 10), 1);  // left edge belongs to the right monitor
    EXPECT_EQ(CX11Connection::PickMonitor(monitors, 1919, 1079), 0);
    EXPECT_EQ(CX11Connection::PickMonitor(monitors, -1, 599), 2);
    EXPECT_EQ(CX11Connection::PickMonitor(monitors, 5000, 5000), 1);  // nowhere: the primary one
    EXPECT_EQ(CX11Connection::PickMonitor({{0, 0, 10, 10, false}, {10, 0, 10, 10, false}}, 50, 50), 0);
    EXPECT_EQ(CX11Connection::PickMonitor({}, 0, 0), -1);
}

class PlacementTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { duilib_test::InstallSampleSkin(); }
    void SetUp() override
    {
        // The sample skin has round corners of 3 pixels.
        ASSERT_NE(wnd.Create(nullptr, "Placement", UI_WNDSTYLE_FRAME, 0, 100, 100, 640, 420), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return wnd.GetPaintManager()->GetPaintCount() > 0; }));
    }
    void TearDown() override
    {
        if (CWindowWnd::IsWindow(wnd.GetHWND()))
            wnd.DestroyWindow();
    }
    int ShapeRects() { return CMessageLoop::GetCurrent()->X().CountShapeRectangles(wnd.GetNativeWindow()); }

    duilib_test::SampleWindow wnd;
};

TEST_F(PlacementTest, RoundCornersFollowEverySizeAndGoWhenMaximised)
{
    EXPECT_GT(ShapeRects(), 1);
    wnd.MoveWindow(120, 120, 500, 300);
    Pump(50);
    EXPECT_GT(ShapeRects(), 1);
    wnd.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump(50);
    ASSERT_TRUE(wnd.IsMaximized());
    EXPECT_EQ(ShapeRects(), 1);
    wnd.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump(50);
    EXPECT_GT(ShapeRects(), 1);
}

TEST_F(PlacementTest, MaximiseAndFullScreenUseTheWindowsMonitor)
{
    RECT monitor, work;
    ASSERT_TRUE(wnd.GetMonitorRects(monitor, work));
    // The work area lies inside the monitor.
    EXPECT_GE(work.left, monitor.left);
    EXPECT_LE(work.right, monitor.right);
    RECT before;
    wnd.GetWindowRect(before);

    wnd.SetFullscreen(true);
    Pump(50);
    RECT full;
    wnd.GetWindowRect(full);
    EXPECT_EQ(full.left, monitor.left);
    EXPECT_EQ(full.top, monitor.top);
    EXPECT_EQ(full.right, monitor.right);
    EXPECT_EQ(full.bottom, monitor.bottom);
    EXPECT_EQ(ShapeRects(), 1);
    wnd.SetFullscreen(false);
    Pump(50);
    RECT back;
    wnd.GetWindowRect(back);
    EXPECT_EQ(back.left, before.left);
    EXPECT_EQ(back.right - back.left, before.right - before.left);
    EXPECT_GT(ShapeRects(), 1);

    // From a maximised window, full screen comes back maximised.
    wnd.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump(50);
    RECT maximised;
    wnd.GetWindowRect(maximised);
    EXPECT_EQ(maximised.right - maximised.left, work.right - work.left);
    wnd.SetFullscreen(true);
    Pump(50);
    EXPECT_FALSE(wnd.IsMaximized());
    wnd.SetFullscreen(false);
    Pump(50);
    EXPECT_TRUE(wnd.IsMaximized());
    RECT again;
    wnd.GetWindowRect(again);
    EXPECT_EQ(again.right - again.left, maximised.right - maximised.left);
}

TEST_F(PlacementTest, UnmappedFromOutsideIsMinimised)
{
    // What a window manager does when the user minimises the window.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XUnmapWindow(display, wnd.GetNativeWindow());
    XFlush(display);
    ASSERT_TRUE(PumpUntil([&] { return wnd.IsMinimized(); }, 2000));
    bool sawMinimised = false;
    for (size_t i = 0; i < wnd.messages.size(); ++i)
        sawMinimised = sawMinimised || wnd.messages[i] == WM_SIZE;
    EXPECT_TRUE(sawMinimised);
    XMapWindow(display, wnd.GetNativeWindow());
    XFlush(display);
    EXPECT_TRUE(PumpUntil([&] { return !wnd.IsMinimized(); }, 2000));
    XCloseDisplay(display);
}

TEST_F(PlacementTest, ClosedByTheWindowManagerShowModalGivesCancel)
{
    const unsigned long xid = wnd.GetNativeWindow();
    std::thread closer([xid] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr)
            return;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = xid;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XSendEvent(display, xid, False, NoEventMask, &event);
        XFlush(display);
        XCloseDisplay(display);
    });
    const UINT result = wnd.ShowModal();
    closer.join();
    EXPECT_EQ(result, IDCANCEL);
}

class Texts : public IQueryControlText
{
public:
    CDuiString QueryControlText(const char* id, const char*) override
    {
        return std::string(id) == "TIP_ID" ? "Translated tip" : "";
    }
};

TEST_F(PlacementTest, ResourceTooltipsAreTranslated)
{
    Texts texts;
    CResourceManager::GetInstance()->SetTextQueryInterface(&texts);
    CControlUI control;
    control.SetToolTip("TIP_ID");
    EXPECT_EQ(control.GetToolTip(), "TIP_ID");
    control.SetResourceText(true);
    EXPECT_EQ(control.GetToolTip(), "Translated tip");
    CResourceManager::GetInstance()->SetTextQueryInterface(nullptr);
    CResourceManager::GetInstance()->ResetTextMap();
}

TEST_F(PlacementTest, HiddenListKeepsItsScrollPosition)
{
    auto* page = static_cast<CContainerUI*>(wnd.Find("pageCamera")->GetInterface("Container"));
    ASSERT_NE(page, nullptr);
    auto* list = new CListUI;
    list->SetFixedHeight(100);
    page->Add(list);
    for (int i = 0; i < 40; ++i) {
        auto* row = new CListLabelElementUI;
        row->SetFixedHeight(20);
        row->SetText(std::to_string(i).c_str());
        list->Add(row);
    }
    Pump(100);
    list->EnsureVisible(30);
    const long pos = list->GetScrollPos().cy;
    ASSERT_GT(pos, 0);
    page->SetVisible(false);
    list->EnsureVisible(29);  // in view already: nothing moves
    EXPECT_EQ(list->GetScrollPos().cy, pos);
    page->SetVisible(true);
}

TEST_F(PlacementTest, ZeroTimerRunsAtTheShortestPeriodAndPaintingGoesOn)
{
    int ticks = 0;
    struct Ticker : public IMessageFilterUI
    {
        int* ticks;
        CWindowWnd* window;
        LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool&) override
        {
            if (uMsg == WM_TIMER && wParam == 77) {
                ++*ticks;
                window->Invalidate();
            }
            return 0;
        }
    } ticker;
    ticker.ticks = &ticks;
    ticker.window = &wnd;
    wnd.GetPaintManager()->AddPreMessageFilter(&ticker);
    const int paintsBefore = wnd.GetPaintManager()->GetPaintCount();
    wnd.SetTimer(77, 0);
    Pump(300);
    wnd.KillTimer(77);
    wnd.GetPaintManager()->RemovePreMessageFilter(&ticker);
    EXPECT_GT(ticks, 5);
    EXPECT_LE(ticks, 35);  // 10 ms at the least
    EXPECT_GT(wnd.GetPaintManager()->GetPaintCount() - paintsBefore, 3);
}

}  // namespace
