// Popup menus and real X input: menus with a sub-menu and check items
// delivering WM_MENUCLICK, and xdotool driving the combo, slider and edit.
#include "tests/support/duilib/SampleSkin.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

using namespace DuiLib;
using duilib_test::CountNotifications;
using duilib_test::PumpUntil;

namespace {

// Puts keysyms on unused keycodes for the test's life.
struct ScopedKeys
{
    explicit ScopedKeys(std::vector<unsigned long> syms)
    {
        display = XOpenDisplay(nullptr);
        if (display == nullptr)
            return;
        int minCode, maxCode, perCode;
        XDisplayKeycodes(display, &minCode, &maxCode);
        KeySym* map
            = XGetKeyboardMapping(display, static_cast<KeyCode>(minCode), maxCode - minCode + 1, &perCode);
        for (int code = maxCode; code >= minCode && codes.size() < syms.size(); --code) {
            bool empty = true;
            for (int i = 0; i < perCode; ++i)
                empty = empty && map[(code - minCode) * perCode + i] == 0;
            if (empty)
                codes.push_back(code);
        }
        XFree(map);
        ok = codes.size() == syms.size();
        for (size_t i = 0; ok && i < codes.size(); ++i) {
            KeySym one[2] = {syms[i], syms[i]};
            XChangeKeyboardMapping(display, codes[i], 2, one, 1);
        }
        XSync(display, False);
    }
    ~ScopedKeys()
    {
        if (display == nullptr)
            return;
        for (int code : codes) {
            KeySym none[2] = {0, 0};
            XChangeKeyboardMapping(display, code, 2, none, 1);
        }
        XCloseDisplay(display);
    }
    Display* display = nullptr;
    std::vector<int> codes;
    bool ok = false;
};

class PopupTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { duilib_test::InstallSampleSkin(); }
    void SetUp() override
    {
        ASSERT_NE(wnd.Create(nullptr, "Gallery", UI_WNDSTYLE_FRAME, 0, 60, 60, 720, 520), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return wnd.GetPaintManager()->GetPaintCount() > 0; }));
    }
    void TearDown() override
    {
        menu.reset();
        if (CWindowWnd::IsWindow(wnd.GetHWND()))
            wnd.DestroyWindow();
    }
    void OpenMenu(POINT at)
    {
        menu = std::make_unique<CMenuWnd>();
        menu->Init(nullptr, "xmls\\menus\\menu_test.xml", at, wnd.GetPaintManager(), &checks, 6);
        ASSERT_NE(menu->GetHWND(), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return menu->GetPaintManager()->GetPaintCount() > 0; }));
    }
    CMenuElementUI* Item(CMenuWnd* w, const char* name)
    {
        return static_cast<CMenuElementUI*>(w->GetPaintManager()->FindControl(name));
    }
    static void Click(CMenuWnd* w, CControlUI* item)
    {
        RECT rc = item->GetPos();
        LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        SendMessage(w->GetHWND(), WM_MOUSEMOVE, 0, at);
        SendMessage(w->GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessage(w->GetHWND(), WM_LBUTTONUP, 0, at);
    }
    static bool HaveXdotool() { return std::system("command -v xdotool > /dev/null") == 0; }
    static void Xdo(const char* fmt, long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0)
    {
        char command[512];
        std::snprintf(command, sizeof(command), fmt, a, b, c, d, e, f);
        ASSERT_EQ(std::system(command), 0) << command;
    }
    POINT Screen(CControlUI* control)
    {
        RECT wr;
        CWindowWnd::FromHandle(control->GetManager()->GetPaintWindow())->GetWindowRect(wr);
        RECT rc = control->GetPos();
        return POINT{wr.left + (rc.left + rc.right) / 2, wr.top + (rc.top + rc.bottom) / 2};
    }

    duilib_test::SampleWindow wnd{"xmls\\gallery.xml"};
    std::unique_ptr<CMenuWnd> menu;
    MenuCheckMap checks;
};

}  // namespace

TEST_F(PopupTest, MenuAppearsAtThePointAndStaysOnScreen)
{
    OpenMenu(POINT{300, 200});
    RECT rc;
    menu->GetWindowRect(rc);
    EXPECT_EQ(rc.left, 300);
    EXPECT_EQ(rc.top, 200);
    EXPECT_GE(rc.right - rc.left, 160);
    // Items: 28 + separator 7 + 28 + 28 + fixed 34, border and inset 2 each side.
    EXPECT_EQ(rc.bottom - rc.top, 28 + 7 + 28 + 28 + 34 + 4);
    menu.reset();

    RECT monitor, work;
    wnd.GetMonitorRects(monitor, work);
    OpenMenu(POINT{work.right - 10, work.bottom - 10});
    menu->GetWindowRect(rc);
    EXPECT_LE(rc.right, work.right);
    EXPECT_LE(rc.bottom, work.bottom - 10);  // flipped above the point
}

TEST_F(PopupTest, SubMenuCheckItemDeliversMenuClick)
{
    checks["Menu_Item_Png"] = true;
    OpenMenu(POINT{200, 150});
    CMenuElementUI* format = Item(menu.get(), "Menu_Format");
    ASSERT_NE(format, nullptr);
    EXPECT_TRUE(format->HasSubMenu());
    RECT rc = format->GetPos();
    SendMessage(menu->GetHWND(), WM_MOUSEMOVE, 0, MAKELPARAM(rc.left + 20, rc.top + 5));
    CMenuWnd* sub = menu->GetSubMenu();
    ASSERT_NE(sub, nullptr);
    RECT menuRc, subRc;
    menu->GetWindowRect(menuRc);
    sub->GetWindowRect(subRc);
    EXPECT_GE(subRc.left, menuRc.right - 4);  // beside its item
    // Dressed like its parent menu (light text on a white sub-menu was unreadable).
    EXPECT_EQ(sub->GetMenuUI()->GetBkColor(), 0xFF2D2D30u);
    EXPECT_EQ(sub->GetMenuUI()->GetBorderColor(), 0xFF3C3C3Cu);
    EXPECT_EQ(sub->GetMenuUI()->GetBorderSize(), 1);
    EXPECT_EQ(sub->GetMenuUI()->GetInset().top, 2);
    ASSERT_TRUE(PumpUntil([&] { return sub->GetPaintManager()->GetPaintCount() > 0; }));
    EXPECT_TRUE(Item(sub, "Menu_Item_Png")->GetChecked());  // from the check map
    EXPECT_FALSE(Item(sub, "Menu_Item_Tif")->GetChecked());

    Click(sub, Item(sub, "Menu_Item_Jpg"));  // disabled: nothing
    Click(sub, Item(sub, "Menu_Item_Tif"));
    ASSERT_TRUE(PumpUntil([&] { return !wnd.menuClicks.empty(); }));
    EXPECT_EQ(wnd.menuClicks, std::vector<std::string>({"Menu_Item_Tif||TIFF (*.tif)|1"}));
    EXPECT_FALSE(CWindowWnd::IsWindow(menu->GetHWND()));
    EXPECT_TRUE(checks["Menu_Item_Tif"]);
    // The sub-menu's items went back to their parent item.
    EXPECT_EQ(format->GetCount(), 3);
}

TEST_F(PopupTest, ItemsBuiltInCodeAndUserDataReachTheOwner)
{
    OpenMenu(POINT{100, 100});
    auto* lang = new CMenuElementUI;
    lang->SetName("Menu_Language_List");
    lang->SetText("Language");
    lang->SetShowExplandIcon(true);
    lang->SetFixedHeight(30);
    const char* names[] = {"Main_Menu_Item_English", "Main_Menu_Item_Chinese"};
    for (int i = 0; i < 2; ++i) {
        auto* item = new CMenuElementUI;
        item->SetName(names[i]);
        item->SetText(i == 0 ? "English" : "简体中文");
        item->SetUserData(i == 0 ? "en" : "zh");
        item->SetCheckItem(true);
        item->SetChecked(i == 1);
        item->SetIcon("ui/option_selected.png");
        item->SetIconSize(23, 23);
        item->SetFixedHeight(30);
        lang->Add(item);
    }
    menu->GetMenuUI()->AddAt(lang, 0);
    menu->ResizeMenu();
    EXPECT_TRUE(checks["Main_Menu_Item_Chinese"]);
    EXPECT_FALSE(checks["Main_Menu_Item_English"]);
    PumpUntil([] { return false; }, 50);
    RECT rc = lang->GetPos();
    EXPECT_EQ(rc.bottom - rc.top, 30);
    SendMessage(menu->GetHWND(), WM_MOUSEMOVE, 0, MAKELPARAM(rc.left + 10, rc.top + 10));
    ASSERT_NE(menu->GetSubMenu(), nullptr);
    CMenuWnd* sub = menu->GetSubMenu();
    PumpUntil([&] { return sub->GetPaintManager()->GetPaintCount() > 0; });
    Click(sub, Item(sub, "Main_Menu_Item_English"));
    ASSERT_TRUE(PumpUntil([&] { return !wnd.menuClicks.empty(); }));
    EXPECT_EQ(wnd.menuClicks.front(), "Main_Menu_Item_English|en|English|1");
}

TEST_F(PopupTest, MenuClosesOnEscapeAndOnAClickOutside)
{
    OpenMenu(POINT{100, 100});
    SendMessage(menu->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !CWindowWnd::IsWindow(menu->GetHWND()); }));
    OpenMenu(POINT{100, 100});
    SendMessage(menu->GetHWND(), WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !CWindowWnd::IsWindow(menu->GetHWND()); }));
    EXPECT_TRUE(wnd.menuClicks.empty());
}

TEST_F(PopupTest, RealPointerDrivesMenuComboAndSlider)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "xdotool missing";
    // Menu: hover the sub-menu item, click a check item in the sub-menu.
    OpenMenu(POINT{400, 300});
    POINT format = Screen(Item(menu.get(), "Menu_Format"));
    Xdo("xdotool mousemove %ld %ld sleep 0.1 mousemove %ld %ld", format.x, format.y, format.x + 5, format.y);
    ASSERT_TRUE(PumpUntil([&] { return menu->GetSubMenu() != nullptr; }));
    CMenuWnd* sub = menu->GetSubMenu();
    ASSERT_TRUE(PumpUntil([&] { return sub->GetPaintManager()->GetPaintCount() > 0; }));
    POINT png = Screen(Item(sub, "Menu_Item_Png"));
    Xdo("xdotool mousemove %ld %ld sleep 0.1 mousemove %ld %ld sleep 0.1 click 1", format.x + 60, format.y,
        png.x, png.y);
    ASSERT_TRUE(PumpUntil([&] { return !wnd.menuClicks.empty(); }));
    EXPECT_EQ(wnd.menuClicks.front(), "Menu_Item_Png||PNG (*.png)|1");

    // A click outside a menu closes it and reaches nothing else.
    OpenMenu(POINT{400, 300});
    Xdo("xdotool mousemove %ld %ld sleep 0.05 click 1", 1500, 900);
    ASSERT_TRUE(PumpUntil([&] { return !CWindowWnd::IsWindow(menu->GetHWND()); }));

    // Combo: open with a click, choose the fourth item.
    auto* combo = static_cast<CComboUI*>(wnd.Find("combo"));
    POINT c = Screen(combo);
    Xdo("xdotool mousemove %ld %ld sleep 0.05 click 1", c.x, c.y);
    ASSERT_TRUE(PumpUntil([&] { return combo->IsDropped(); }));
    ASSERT_TRUE(PumpUntil([&] { return combo->GetDropWindow()->GetPaintManager()->GetPaintCount() > 0; }));
    POINT fourth = Screen(combo->GetItemAt(3));
    Xdo("xdotool mousemove %ld %ld sleep 0.05 click 1", fourth.x, fourth.y);
    ASSERT_TRUE(PumpUntil([&] { return !combo->IsDropped(); }));
    EXPECT_EQ(combo->GetCurSel(), 3);

    // Slider: drag the thumb with move notifications, then release.
    auto* slider = static_cast<CSliderUI*>(wnd.Find("slider"));
    RECT wr;
    wnd.GetWindowRect(wr);
    RECT thumb = slider->GetThumbRect();
    long tx = wr.left + (thumb.left + thumb.right) / 2, ty = wr.top + (thumb.top + thumb.bottom) / 2;
    Xdo("xdotool mousemove %ld %ld sleep 0.05 mousedown 1 sleep 0.05 mousemove %ld %ld sleep 0.05 mousemove "
        "%ld "
        "%ld sleep 0.05 mouseup 1",
        tx, ty, tx + 40, ty, tx + 80, ty);
    ASSERT_TRUE(PumpUntil([&] { return CountNotifications(wnd, "valuechanged", "slider") == 1; }));
    EXPECT_GE(CountNotifications(wnd, "movevaluechanged", "slider"), 2);
    EXPECT_GT(slider->GetValue(), 25);
}

TEST_F(PopupTest, RealKeyboardTypesChineseIntoTheEdit)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "xdotool missing";
    auto* edit = static_cast<CEditUI*>(wnd.Find("edit"));
    POINT at = Screen(edit);
    Xdo("xdotool mousemove %ld %ld sleep 0.05 click 1 sleep 0.1", at.x, at.y);
    ASSERT_TRUE(PumpUntil([&] { return edit->IsFocused(); }));
    // A keyboard layout with the two characters on keys of their own (as an
    // input method's layout would have); xdotool then presses those keys.
    ScopedKeys keys({0x1004E2D, 0x1006587});
    ASSERT_TRUE(keys.ok);
    ASSERT_EQ(std::system("xdotool type --delay 40 'Lens 中文 x'"), 0);
    ASSERT_TRUE(PumpUntil([&] { return edit->GetText() == "Lens 中文 x"; })) << edit->GetText().GetData();
    ASSERT_EQ(std::system("xdotool key BackSpace BackSpace"), 0);
    ASSERT_TRUE(PumpUntil([&] { return edit->GetText() == "Lens 中文"; }));
}
