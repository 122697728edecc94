// The drop shadow: its picture checked against the formulas computed here
// independently (distance to the eroded shape, kernel falloff, the cut-out
// under the window), and the shadow window following the settings dialog
// while a compositing manager is announced on the display.
#include "app/shell/CSettingDialog.h"
#include "app/shell/CWndShadow.h"
#include "app/shell/ShadowImage.h"
#include "tests/support/shell/DialogDriver.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

#include <SFML/Graphics/Image.hpp>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace DuiLib;
using dialog_test::DriverWindow;

namespace {

// The owner's shape: a 100 x 60 rectangle with corners cut by quarter
// ellipses of 6 x 6 (pixel centres inside the ellipse count as inside).
constexpr int kW = 100, kH = 60, kCorner = 6;

bool InsideOwner(int x, int y)
{
    if (x < 0 || y < 0 || x >= kW || y >= kH)
        return false;
    double r = kCorner / 2.0;
    double cx = std::clamp(x + 0.5, r, kW - r), cy = std::clamp(y + 0.5, r, kH - r);
    double dx = (x + 0.5 - cx) / r, dy = (y + 0.5 - cy) / r;
    return dx * dx + dy * dy <= 1.0 + 1e-9;
}

struct Expected
{
    ShadowParams p;
    int size() const { return p.size; }
    // Eroded shape (sharpness - size times by a 3 x 3 square), in shadow coordinates.
    bool InsideEroded(int sx, int sy) const
    {
        int steps = std::max(0, p.sharpness - p.size);
        for (int dy = -steps; dy <= steps; ++dy)
            for (int dx = -steps; dx <= steps; ++dx)
                if (!InsideOwner(sx - size() + dx, sy - size() + dy))
                    return false;
        return true;
    }
    int Alpha(int sx, int sy) const
    {
        // Under the window (moved by size - offset): nothing.
        if (InsideOwner(sx - (size() - p.xOffset), sy - (size() - p.yOffset)))
            return 0;
        if (InsideEroded(sx, sy))
            return p.darkness;
        double best = 1e9;
        for (int y = 0; y < kH + 2 * size(); ++y)
            for (int x = 0; x < kW + 2 * size(); ++x)
                if (InsideEroded(x, y))
                    best = std::min(best, std::hypot(x - sx, y - sy));
        int R = std::max<int>(p.size, p.sharpness);
        int D = p.size > p.sharpness ? p.size - p.sharpness : 0;
        if (best < D)
            return p.darkness;
        if (best <= R)
            return static_cast<int>(std::lround((1.0 - (best - D) / (p.sharpness + 1.0)) * p.darkness));
        return 0;
    }
};

}  // namespace

TEST(ShadowImage, RoundedOwnerMatchesTheFormulas)
{
    std::vector<ShadowSpan> spans = RoundRectSpans(kW, kH, kCorner, kCorner);
    ASSERT_EQ(spans.size(), static_cast<size_t>(kH));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(x >= spans[y].first && x < spans[y].end, InsideOwner(x, y)) << x << "," << y;

    Expected e;  // darkness 150, sharpness 5, size 4, offsets 1, 1, black
    e.p.colour = 0x00402010;
    std::vector<uint32_t> image = MakeShadowImage(spans, kW, e.p);
    const int W = kW + 8, H = kH + 8;
    ASSERT_EQ(image.size(), static_cast<size_t>(W * H));
    auto alphaAt = [&](int x, int y) { return static_cast<int>(image[y * W + x] >> 24); };

    // Corners of the shadow, the middle of each edge, inside under the
    // window and the strip the offset uncovers, all from the formulas.
    const int points[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {W - 1, H - 1}, {W - 3, H - 3}, {W - 5, H - 5},
        {0, H / 2}, {1, H / 2}, {2, H / 2}, {W - 1, H / 2}, {W - 2, H / 2}, {W - 5, H / 2}, {W / 2, 0},
        {W / 2, 2}, {W / 2, H - 1}, {W / 2, H - 4}, {W / 2, H / 2}, {10, 10}, {W - 1, 0}, {0, H - 1},
        {W - 4, 2}, {3, H - 4}};
    for (const auto& pt : points)
        EXPECT_EQ(alphaAt(pt[0], pt[1]), e.Alpha(pt[0], pt[1])) << pt[0] << "," << pt[1];
    // By hand for straight edges: 5 pixels from the eroded shape 150 * 1/6,
    // one pixel 150 * 5/6; under the window 0.
    EXPECT_EQ(alphaAt(0, H / 2), 25);
    EXPECT_EQ(alphaAt(2, H / 2), 75);
    EXPECT_EQ(alphaAt(W - 5, H / 2), 125);
    EXPECT_EQ(alphaAt(W / 2, H / 2), 0);

    // Every pixel, and premultiplied colour channels.
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            int a = e.Alpha(x, y);
            uint32_t expected = static_cast<uint32_t>(a) << 24 | (0x10u * a / 255) << 16
                | (0x20u * a / 255) << 8 | (0x40u * a / 255);
            ASSERT_EQ(image[y * W + x], a ? expected : 0u) << x << "," << y;
        }
    }
}

TEST(ShadowImage, SolidCoreWhenSizeExceedsSharpness)
{
    Expected e;
    e.p.size = 8;
    e.p.sharpness = 3;
    e.p.xOffset = 0;
    e.p.yOffset = 0;
    std::vector<uint32_t> image = MakeShadowImage(RoundRectSpans(kW, kH, kCorner, kCorner), kW, e.p);
    const int W = kW + 16, H = kH + 16;
    ASSERT_EQ(image.size(), static_cast<size_t>(W * H));
    for (int y = 0; y < H; y += 3)
        for (int x = 0; x < W; x += 3)
            ASSERT_EQ(static_cast<int>(image[y * W + x] >> 24), e.Alpha(x, y)) << x << "," << y;
    EXPECT_EQ(static_cast<int>(image[(H / 2) * W + 4] >> 24), 150);  // 4 px out: within the solid 5
}

namespace {

// A compositing manager on the test display: xcompmgr when installed (the
// shadow then really shows), else a window that owns _NET_WM_CM_S0 the way
// compositing managers announce themselves.
class ScopedCompositor
{
public:
    ScopedCompositor()
    {
        m_display = XOpenDisplay(nullptr);
        if (m_display == nullptr)
            return;
        char name[32];
        std::snprintf(name, sizeof(name), "_NET_WM_CM_S%d", DefaultScreen(m_display));
        m_atom = XInternAtom(m_display, name, False);
        if (std::system("command -v xcompmgr > /dev/null") == 0) {
            m_pid = fork();
            if (m_pid == 0) {
                execlp("xcompmgr", "xcompmgr", static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int i = 0; i < 200 && XGetSelectionOwner(m_display, m_atom) == 0; ++i)
                usleep(10000);
            if (XGetSelectionOwner(m_display, m_atom) != 0)
                return;
            Stop();
        }
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(m_display, m_atom, m_window, CurrentTime);
        XSync(m_display, False);
    }
    ~ScopedCompositor()
    {
        Stop();
        if (m_display == nullptr)
            return;
        if (m_window)
            XDestroyWindow(m_display, m_window);
        XCloseDisplay(m_display);
    }
    bool IsReal() const { return m_pid > 0; }

    // The whole screen as the compositor shows it.
    bool SaveScreen(const std::string& path) const
    {
        Window root = DefaultRootWindow(m_display);
        XWindowAttributes attrs;
        XGetWindowAttributes(m_display, root, &attrs);
        XImage* image = XGetImage(m_display, root, 0, 0, static_cast<unsigned>(attrs.width),
            static_cast<unsigned>(attrs.height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return false;
        sf::Image out;
        out.create(static_cast<unsigned>(attrs.width), static_cast<unsigned>(attrs.height));
        for (int y = 0; y < attrs.height; ++y)
            for (int x = 0; x < attrs.width; ++x) {
                unsigned long p = XGetPixel(image, x, y);
                out.setPixel(static_cast<unsigned>(x), static_cast<unsigned>(y),
                    sf::Color(static_cast<sf::Uint8>(p >> 16), static_cast<sf::Uint8>(p >> 8),
                        static_cast<sf::Uint8>(p)));
            }
        XDestroyImage(image);
        return out.saveToFile(path);
    }

private:
    void Stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    Display* m_display = nullptr;
    Atom m_atom = 0;
    Window m_window = 0;
    pid_t m_pid = -1;
};

}  // namespace

TEST(WndShadow, FollowsTheSettingsDialogWhileACompositorRuns)
{
    kelvara::test::ScopedUserEnvironment env;
    dialog_test::InstallSkin(0);
    DriverWindow owner;
    {
        // No compositor: no shadow window at all.
        CSettingDialog dialog(owner, "");
        bool attached = true;
        owner.Then([&] { return dialog.GetHWND() && dialog.GetPaintManager()->GetPaintCount() > 0; });
        owner.Do([&] {
            attached = CWndShadow::FromOwner(dialog.GetHWND()) != nullptr;
            dialog.Close(IDCANCEL);
        });
        EXPECT_EQ(dialog.ShowModalDialog(), 2u);
        EXPECT_FALSE(attached);
    }

    ScopedCompositor compositor;
    ASSERT_TRUE(CWndShadow::Initialize());
    CSettingDialog dialog(owner, "");
    owner.onTimeout = [&] { dialog.Close(IDCANCEL); };
    HWND hwnd = nullptr;
    auto shadowAt = [&](int dx, int dy) {
        const CLayeredWindow* layered = dialog.GetShadow().GetLayeredWindow();
        RECT rc;
        dialog.GetWindowRect(rc);
        int x, y, w, h;
        return layered && layered->IsMapped() && layered->GetGeometry(x, y, w, h) && x == rc.left + dx
            && y == rc.top + dy && w == rc.right - rc.left + 8 && h == rc.bottom - rc.top + 8;
    };
    bool below = false, hidden = false, shownAgain = false;
    owner.Then([&] { return dialog.GetHWND() && dialog.GetPaintManager()->GetPaintCount() > 0; });
    owner.Then([&] {
        hwnd = dialog.GetHWND();
        return CWndShadow::FromOwner(hwnd) == &dialog.GetShadow() && shadowAt(1 - 4, 1 - 4);
    });
    owner.Do([&] { below = dialog.GetShadow().GetLayeredWindow()->IsDirectlyBelowOwner(); });
    // Partly beyond the owner, over the bare desktop, where the shadow shows.
    owner.Do([&] { dialog.MoveWindow(500, 250, 700, 520); });
    owner.Then([&] { return shadowAt(-3, -3); });
    std::chrono::steady_clock::time_point settle;
    owner.Do([&] { settle = std::chrono::steady_clock::now(); });
    owner.Then([&] {
        // Let the compositor draw, then keep a picture of it for looking at.
        const char* dir = std::getenv("KELVARA_DIALOG_SHOTS");
        if (!dir || !compositor.IsReal())
            return true;
        if (std::chrono::steady_clock::now() - settle < std::chrono::milliseconds(400))
            return false;
        std::filesystem::create_directories(dir);
        compositor.SaveScreen(std::string(dir) + "/settings_shadow_en.png");
        return true;
    });
    owner.Do([&] { dialog.ShowWindow(false, false); });
    owner.Then([&] { return !dialog.GetShadow().GetLayeredWindow()->IsMapped(); });
    owner.Do([&] {
        hidden = !dialog.GetShadow().IsShadowVisible();
        dialog.ShowWindow(true, true);
    });
    owner.Then([&] { return shadowAt(-3, -3); });
    owner.Do([&] {
        shownAgain = dialog.GetShadow().GetLayeredWindow()->IsDirectlyBelowOwner();
        dialog.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    });
    owner.Then([&] { return !dialog.GetShadow().GetLayeredWindow()->IsMapped(); });
    owner.Do([&] { dialog.Close(IDCANCEL); });
    EXPECT_EQ(dialog.ShowModalDialog(), 2u);
    EXPECT_TRUE(owner.Idle());
    EXPECT_TRUE(below);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(shownAgain);
    // The shadow went with its owner.
    EXPECT_EQ(CWndShadow::FromOwner(hwnd), nullptr);
    EXPECT_FALSE(dialog.GetShadow().GetLayeredWindow());
}
