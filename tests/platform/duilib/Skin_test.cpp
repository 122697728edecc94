// Building the sample skin: layout rectangles, notifications, resource texts.
#include "tests/support/duilib/SampleSkin.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace DuiLib;
using duilib_test::SampleWindow;

namespace {

class Texts : public IQueryControlText
{
public:
    std::string language = "en";
    CDuiString QueryControlText(const char* id, const char*) override
    {
        if (std::string(id) == "STR_HELLO")
            return language == "en" ? "Hello" : "안녕하세요";
        return "";
    }
};

class SkinTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { duilib_test::InstallSampleSkin(); }

    void SetUp() override
    {
        CResourceManager::GetInstance()->SetTextQueryInterface(&texts);
        CResourceManager::GetInstance()->ResetTextMap();
        ASSERT_NE(wnd.Create(nullptr, "Sample", UI_WNDSTYLE_FRAME, 0, 20, 20, 640, 420), nullptr);
        ASSERT_TRUE(duilib_test::PumpUntil([&] { return !wnd.notifications.empty(); }));
        wnd.notifications.clear();
    }
    void TearDown() override
    {
        wnd.DestroyWindow();
        CResourceManager::GetInstance()->SetTextQueryInterface(nullptr);
    }

    void Click(const char* name)
    {
        CControlUI* control = wnd.Find(name);
        ASSERT_NE(control, nullptr) << name;
        RECT rc = control->GetPos();
        LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        SendMessage(wnd.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessage(wnd.GetHWND(), WM_LBUTTONUP, 0, at);
    }
    // Notifications other than focus changes.
    std::vector<std::string> Clicks() const
    {
        std::vector<std::string> out;
        for (const std::string& n : wnd.notifications) {
            if (n.rfind("setfocus", 0) != 0 && n.rfind("killfocus", 0) != 0)
                out.push_back(n);
        }
        return out;
    }

    Texts texts;
    SampleWindow wnd;
};

}  // namespace

TEST_F(SkinTest, LaysOutFixedAndSharedSizesWithInsetAndPadding)
{
    struct Case
    {
        const char* name;
        RECT expected;
    } cases[] = {
        {"titlebar", {1, 1, 639, 33}},  // from the included file
        {"btnOk", {9, 41, 89, 65}},  // toolbar inset 8
        {"btnDisabled", {95, 41, 175, 65}},  // childpadding 6
        {"tabCamera", {1, 73, 91, 103}},  // width from the style
        {"statusbar", {1, 395, 639, 419}},  // fixed height at the bottom
        {"pages", {1, 103, 639, 395}},  // takes the rest
        {"lblResource", {11, 113, 629, 137}},  // tab page inset 10
        {"lblEllipsis", {11, 169, 131, 193}},  // fixed width, childpadding 4
        {"txtWrap", {11, 229, 329, 289}},  // right padding 300
        {"float", {569, 345, 619, 375}},  // float, placed from the bottom-right
    };
    for (const Case& c : cases) {
        CControlUI* control = wnd.Find(c.name);
        ASSERT_NE(control, nullptr) << c.name;
        const RECT& rc = control->GetPos();
        EXPECT_EQ(rc.left, c.expected.left) << c.name;
        EXPECT_EQ(rc.top, c.expected.top) << c.name;
        EXPECT_EQ(rc.right, c.expected.right) << c.name;
        EXPECT_EQ(rc.bottom, c.expected.bottom) << c.name;
    }
    EXPECT_EQ(wnd.Find("no such control"), nullptr);
    EXPECT_TRUE(wnd.Find("pageCamera")->IsVisible());
    EXPECT_FALSE(wnd.Find("pageMeasure")->IsVisible());
}

TEST_F(SkinTest, LayoutFollowsWindowSize)
{
    wnd.ResizeClient(800, 500);
    ASSERT_TRUE(duilib_test::PumpUntil([&] { return wnd.Find("statusbar")->GetPos().bottom == 499; }));
    EXPECT_EQ(wnd.Find("pages")->GetPos().right, 799);
}

TEST_F(SkinTest, WindowAttributesReachThePaintManager)
{
    CPaintManagerUI* pm = wnd.GetPaintManager();
    EXPECT_EQ(pm->GetCaptionRect().bottom, 32);
    EXPECT_EQ(pm->GetSizeBox().left, 4);
    EXPECT_EQ(pm->GetRoundCorner().cx, 3);
    EXPECT_EQ(pm->GetMinInfo().cx, 400);
    EXPECT_TRUE(pm->GetShadow().bShow);
    EXPECT_EQ(pm->GetShadow().nDarkness, 80);
    EXPECT_EQ(pm->GetFont(1)->iSize, 16);
    EXPECT_TRUE(pm->GetFont(1)->bBold);
    // A missing family still gets a face to draw with.
    ASSERT_NE(pm->GetFont(2)->face, nullptr);
}

TEST_F(SkinTest, ButtonClicksOnlyWhenEnabledAndReleasedInside)
{
    Click("btnOk");
    Click("btnDisabled");
    // Pressed on the button, released outside: no click.
    RECT rc = wnd.Find("btnOk")->GetPos();
    SendMessage(wnd.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.left + 5, rc.top + 5));
    SendMessage(wnd.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(rc.right + 50, rc.top + 5));
    EXPECT_EQ(Clicks(), std::vector<std::string>({"click:btnOk"}));
}

TEST_F(SkinTest, OptionSendsClickBeforeSelectChanged)
{
    auto* record = static_cast<COptionUI*>(wnd.Find("optRecord"));
    auto* camera = static_cast<COptionUI*>(wnd.Find("tabCamera"));
    auto* measure = static_cast<COptionUI*>(wnd.Find("tabMeasure"));
    ASSERT_FALSE(record->IsSelected());
    ASSERT_TRUE(camera->IsSelected());

    Click("optRecord");  // no group: toggles on
    Click("optRecord");  // and off
    Click("tabMeasure");  // group: selects itself, deselects the other silently
    Click("tabMeasure");  // already selected: click only
    EXPECT_EQ(Clicks(),
        std::vector<std::string>({"click:optRecord", "selectchanged:optRecord", "click:optRecord",
            "selectchanged:optRecord", "click:tabMeasure", "selectchanged:tabMeasure", "click:tabMeasure"}));
    EXPECT_FALSE(record->IsSelected());
    EXPECT_TRUE(measure->IsSelected());
    EXPECT_FALSE(camera->IsSelected());

    // Selecting from code notifies too; without the trigger flag it stays quiet.
    wnd.notifications.clear();
    camera->Selected(true);
    record->Selected(true, false);
    EXPECT_EQ(Clicks(), std::vector<std::string>({"selectchanged:tabCamera"}));
    EXPECT_FALSE(measure->IsSelected());
}

TEST_F(SkinTest, ClickHandlerMayDeleteTheOption)
{
    struct Remover : INotifyUI
    {
        CPaintManagerUI* pm;
        void Notify(TNotifyUI& msg) override
        {
            if (msg.sType == "click" && msg.pSender->GetName() == "optRecord") {
                auto* parent
                    = static_cast<CContainerUI*>(msg.pSender->GetParent()->GetInterface("Container"));
                parent->Remove(msg.pSender);
            }
        }
    } remover;
    remover.pm = wnd.GetPaintManager();
    wnd.GetPaintManager()->AddNotifier(&remover);
    Click("optRecord");
    wnd.GetPaintManager()->RemoveNotifier(&remover);
    EXPECT_EQ(wnd.Find("optRecord"), nullptr);
    EXPECT_EQ(Clicks(), std::vector<std::string>({"click:optRecord"}));
}

TEST_F(SkinTest, ResourceTextsFollowTheQueryAndReload)
{
    CControlUI* hello = wnd.Find("lblResource");
    EXPECT_STREQ(hello->GetText(), "Hello");
    EXPECT_STREQ(wnd.Find("lblUnknown")->GetText(), "");
    EXPECT_STREQ(wnd.Find("lblStatus")->GetText(), "Ready");  // literal text
    texts.language = "ko";
    EXPECT_STREQ(hello->GetText(), "Hello");  // cached until reloaded
    CResourceManager::GetInstance()->ReloadText();
    EXPECT_STREQ(hello->GetText(), "안녕하세요");
}

TEST_F(SkinTest, TabLayoutShowsTheSelectedPage)
{
    auto* pages = static_cast<CTabLayoutUI*>(wnd.Find("pages"));
    ASSERT_TRUE(pages->SelectItem(1));
    EXPECT_FALSE(wnd.Find("pageCamera")->IsVisible());
    EXPECT_TRUE(wnd.Find("pageMeasure")->IsVisible());
    EXPECT_FALSE(wnd.Find("lblResource")->IsVisible());
    EXPECT_FALSE(pages->SelectItem(7));
    EXPECT_EQ(pages->GetCurSel(), 1);
}

TEST_F(SkinTest, HitTestsCaptionBorderAndButtons)
{
    RECT wr;
    wnd.GetWindowRect(wr);
    auto hit = [&](int x, int y) {
        return SendMessage(wnd.GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(wr.left + x, wr.top + y));
    };
    EXPECT_EQ(hit(100, 15), HTCAPTION);
    RECT close = wnd.Find("closebtn")->GetPos();
    EXPECT_EQ(hit((close.left + close.right) / 2, 15), HTCLIENT);
    EXPECT_EQ(hit(1, 200), HTLEFT);
    EXPECT_EQ(hit(638, 418), HTBOTTOMRIGHT);
    EXPECT_EQ(hit(1, 1), HTTOPLEFT);
    EXPECT_EQ(hit(300, 200), HTCLIENT);
}

TEST_F(SkinTest, StartupSendsWindowInitThenSetFocus)
{
    SampleWindow other;
    ASSERT_NE(other.Create(nullptr, "Other", UI_WNDSTYLE_FRAME, 0), nullptr);
    ASSERT_TRUE(duilib_test::PumpUntil([&] { return other.notifications.size() >= 2; }));
    EXPECT_EQ(other.notifications[0], "windowinit:root");
    EXPECT_EQ(other.notifications[1].rfind("setfocus:", 0), 0u);
    other.DestroyWindow();
}
