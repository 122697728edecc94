// Partial repaints: a change paints its own rectangle (and what overlaps
// it) and nothing else, and the screen, read back from the X server, always
// equals a full repaint of the same state.
#include "tests/support/duilib/SampleSkin.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace DuiLib;
using duilib_test::PumpUntil;

namespace {

// Counts the paints that reach it.
class CPaintCounterUI : public CControlUI
{
public:
    int paints = 0;
    void DoPaint(sf::RenderTarget& target, const RECT& rcPaint) override
    {
        RECT rc;
        if (IntersectRect(rc, rcPaint, GetPos()))
            ++paints;
        CControlUI::DoPaint(target, rcPaint);
    }
};

class PartialWindow : public duilib_test::SampleWindow
{
public:
    PartialWindow()
        : SampleWindow("xmls\\partial.xml")
    {
    }
    template <typename T> T* FindAs(const char* name) { return static_cast<T*>(Find(name)); }

protected:
    CControlUI* CreateControl(const char* name) override
    {
        return std::strcmp(name, "PaintCounter") == 0 ? new CPaintCounterUI : nullptr;
    }
};

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right
        && inner.bottom <= outer.bottom;
}

void Settle()
{
    PumpUntil([] { return false; }, 150);
}

// Pixels that differ between the window on the X server and the full
// picture; -1 when the window cannot be read.
long CountStalePixels(unsigned long xid, const sf::Image& full)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return -1;
    const unsigned width = full.getSize().x, height = full.getSize().y;
    XImage* image = XGetImage(display, xid, 0, 0, width, height, AllPlanes, ZPixmap);
    long stale = -1;
    if (image) {
        stale = 0;
        for (unsigned y = 0; y < height; ++y) {
            for (unsigned x = 0; x < width; ++x) {
                unsigned long p = XGetPixel(image, static_cast<int>(x), static_cast<int>(y));
                int r = static_cast<int>((p & image->red_mask) >> 16);
                int g = static_cast<int>((p & image->green_mask) >> 8);
                int b = static_cast<int>(p & image->blue_mask);
                sf::Color want = full.getPixel(x, y);
                if (r != want.r || g != want.g || b != want.b)
                    ++stale;
            }
        }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return stale;
}

class PartialPaintTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { duilib_test::InstallSampleSkin(); }
    void SetUp() override
    {
        ASSERT_NE(wnd.Create(nullptr, "partial", UI_WNDSTYLE_FRAME, 0, 60, 60, 420, 300), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return Pm()->GetPaintCount() > 0; }));
        Settle();
        corner = wnd.FindAs<CPaintCounterUI>("corner");
        far = wnd.FindAs<CPaintCounterUI>("far");
        ASSERT_NE(corner, nullptr);
        ASSERT_NE(far, nullptr);
    }
    void TearDown() override
    {
        if (CWindowWnd::IsWindow(wnd.GetHWND()))
            wnd.DestroyWindow();
    }
    CPaintManagerUI* Pm() { return wnd.GetPaintManager(); }
    // Waits for the paint a change asked for.
    bool WaitForPaint(int before)
    {
        return PumpUntil([&] { return Pm()->GetPaintCount() > before; });
    }
    // The screen catches up with what was painted (another connection reads it).
    void ExpectScreenMatchesFullRepaint(const char* step)
    {
        Settle();
        const sf::Image* full = Pm()->PaintNow();
        ASSERT_NE(full, nullptr);
        sf::Image copy = *full;
        long stale = -1;
        for (int attempt = 0; attempt < 20 && stale != 0; ++attempt) {
            if (attempt > 0)
                PumpUntil([] { return false; }, 50);
            stale = CountStalePixels(wnd.GetNativeWindow(), copy);
        }
        EXPECT_EQ(stale, 0) << step;
    }

    PartialWindow wnd;
    CPaintCounterUI* corner = nullptr;
    CPaintCounterUI* far = nullptr;
};

TEST_F(PartialPaintTest, LabelChangePaintsOnlyTheLabel)
{
    CControlUI* title = wnd.Find("title");
    const int cornerBefore = corner->paints, farBefore = far->paints;
    const int before = Pm()->GetPaintCount();
    title->SetText("Short");
    ASSERT_TRUE(WaitForPaint(before));
    EXPECT_EQ(Pm()->GetPaintCount(), before + 1);
    EXPECT_EQ(corner->paints, cornerBefore);
    EXPECT_EQ(far->paints, farBefore);
    ASSERT_EQ(Pm()->GetLastPaintRegion().Rects().size(), 1u);
    EXPECT_TRUE(SameRect(Pm()->GetLastPaintRegion().Bounds(), title->GetPos()));
    // The shrunk text over the band's image leaves nothing of the long one.
    ExpectScreenMatchesFullRepaint("shrunk title");
}

TEST_F(PartialPaintTest, TwoChangesFarApartPaintTwoRectanglesAndNothingBetween)
{
    CControlUI* title = wnd.Find("title");
    const int before = Pm()->GetPaintCount();
    const int cornerBefore = corner->paints;
    title->SetText("Other");
    far->SetBkColor(0xFF10A010);
    ASSERT_TRUE(WaitForPaint(before));
    const CDirtyRegion& region = Pm()->GetLastPaintRegion();
    EXPECT_EQ(region.Rects().size(), 2u);
    EXPECT_TRUE(region.Contains(title->GetPos()));
    EXPECT_TRUE(region.Contains(far->GetPos()));
    EXPECT_EQ(corner->paints, cornerBefore);
    ExpectScreenMatchesFullRepaint("two changes");
}

TEST_F(PartialPaintTest, HoverPaintsTheButtonAndTheScreenFollows)
{
    CControlUI* button = wnd.Find("btn");
    const RECT rc = button->GetPos();
    int farBefore = far->paints, cornerBefore = corner->paints;
    int before = Pm()->GetPaintCount();
    wnd.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
    ASSERT_TRUE(WaitForPaint(before));
    EXPECT_TRUE(Inside(Pm()->GetLastPaintRegion().Bounds(), rc));
    EXPECT_EQ(far->paints, farBefore);
    EXPECT_EQ(corner->paints, cornerBefore);
    ExpectScreenMatchesFullRepaint("hot button");
    farBefore = far->paints;
    cornerBefore = corner->paints;
    before = Pm()->GetPaintCount();
    wnd.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(rc.left + 2, 270));
    ASSERT_TRUE(WaitForPaint(before));
    EXPECT_TRUE(Pm()->GetLastPaintRegion().Contains(rc));
    EXPECT_EQ(far->paints, farBefore);
    EXPECT_EQ(corner->paints, cornerBefore);
    ExpectScreenMatchesFullRepaint("button left");
}

TEST_F(PartialPaintTest, MovedControlLeavesNoTraceAndLayoutRepaintsAll)
{
    CControlUI* floater = wnd.Find("floater");
    const RECT old = floater->GetPos();
    int before = Pm()->GetPaintCount();
    floater->SetPos(RECT{old.left + 180, old.top + 20, old.right + 180, old.bottom + 20}, true);
    ASSERT_TRUE(WaitForPaint(before));
    EXPECT_TRUE(Pm()->GetLastPaintRegion().Contains(old));
    EXPECT_TRUE(Pm()->GetLastPaintRegion().Contains(floater->GetPos()));
    ExpectScreenMatchesFullRepaint("moved floater");
    // A layout pass may move anything: the whole window is painted.
    before = Pm()->GetPaintCount();
    wnd.Find("band")->SetFixedHeight(60);
    ASSERT_TRUE(WaitForPaint(before));
    SIZE size = Pm()->GetClientSize();
    EXPECT_TRUE(Pm()->GetLastPaintRegion().Contains(RECT{0, 0, size.cx, size.cy}));
    ExpectScreenMatchesFullRepaint("after layout");
}

TEST_F(PartialPaintTest, ExposedAreaIsPaintedAgainAndNothingElse)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    RECT window;
    wnd.GetWindowRect(window);
    // An override-redirect window over part of ours, then gone.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    const int coverX = 40, coverY = 100, coverW = 120, coverH = 70;
    Window cover = XCreateWindow(display, DefaultRootWindow(display), static_cast<int>(window.left) + coverX,
        static_cast<int>(window.top) + coverY, coverW, coverH, 0, CopyFromParent, InputOutput, CopyFromParent,
        CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, cover);
    XSync(display, False);
    Settle();
    const int before = Pm()->GetPaintCount();
    const int cornerBefore = corner->paints;
    XDestroyWindow(display, cover);
    XSync(display, False);
    XCloseDisplay(display);
    ASSERT_TRUE(WaitForPaint(before));
    Settle();
    const RECT covered{coverX, coverY, coverX + coverW, coverY + coverH};
    EXPECT_TRUE(Inside(Pm()->GetLastPaintRegion().Bounds(), covered));
    EXPECT_TRUE(Pm()->GetLastPaintRegion().Contains(covered));
    EXPECT_EQ(corner->paints, cornerBefore);
    ExpectScreenMatchesFullRepaint("exposed");
}

TEST_F(PartialPaintTest, PixelsGoThroughSharedMemoryWhereTheServerOffersIt)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    int opcode = 0, event = 0, error = 0;
    const bool offered = XQueryExtension(display, "MIT-SHM", &opcode, &event, &error);
    XCloseDisplay(display);
    EXPECT_EQ(wnd.UsesSharedMemory(), offered);
}

TEST(PartialPaintPlain, WithoutSharedMemoryTheScreenIsRightToo)
{
    duilib_test::InstallSampleSkin();
    setenv("KELVARA_NO_MITSHM", "1", 1);
    {
        PartialWindow wnd;
        ASSERT_NE(wnd.Create(nullptr, "plain", UI_WNDSTYLE_FRAME, 0, 80, 80, 420, 300), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return wnd.GetPaintManager()->GetPaintCount() > 0; }));
        EXPECT_FALSE(wnd.UsesSharedMemory());
        const int before = wnd.GetPaintManager()->GetPaintCount();
        wnd.Find("title")->SetText("Plain");
        ASSERT_TRUE(PumpUntil([&] { return wnd.GetPaintManager()->GetPaintCount() > before; }));
        Settle();
        sf::Image full = *wnd.GetPaintManager()->PaintNow();
        long stale = -1;
        for (int attempt = 0; attempt < 20 && stale != 0; ++attempt) {
            PumpUntil([] { return false; }, 50);
            stale = CountStalePixels(wnd.GetNativeWindow(), full);
        }
        EXPECT_EQ(stale, 0);
        wnd.DestroyWindow();
    }
    unsetenv("KELVARA_NO_MITSHM");
}

}  // namespace
