// The gallery's controls driven through window messages: combo, slider,
// edit, lists with callbacks, html links, scrolling and tooltips.
#include "tests/support/duilib/SampleSkin.h"

#include <gtest/gtest.h>

#include <string>

using namespace DuiLib;
using duilib_test::CountNotifications;
using duilib_test::PumpUntil;

namespace {

class Cells : public IListCallbackUI
{
public:
    int calls = 0;
    std::string GetItemText(CControlUI* row, int iItem, int iSubItem) override
    {
        ++calls;
        lastRow = row;
        return iSubItem == 0 ? std::to_string(iItem)
                             : "cell " + std::to_string(iItem) + "." + std::to_string(iSubItem);
    }
    CControlUI* lastRow = nullptr;
};

class ControlsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { duilib_test::InstallSampleSkin(); }
    void SetUp() override
    {
        ASSERT_NE(wnd.Create(nullptr, "Gallery", UI_WNDSTYLE_FRAME, 0, 30, 30, 720, 520), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return wnd.GetPaintManager()->GetPaintCount() > 0; }));
        wnd.notifications.clear();
        wnd.notifyRecords.clear();
    }
    void TearDown() override
    {
        if (CWindowWnd::IsWindow(wnd.GetHWND()))
            wnd.DestroyWindow();
    }
    template <class T> T* Find(const char* name) { return static_cast<T*>(wnd.Find(name)); }
    void Send(HWND hwnd, UINT msg, POINT pt, WPARAM wParam = 0)
    {
        SendMessage(hwnd, msg, wParam, MAKELPARAM(pt.x, pt.y));
    }
    static POINT Center(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }
    void Type(const char32_t* text)
    {
        for (const char32_t* p = text; *p; ++p)
            SendMessage(wnd.GetHWND(), WM_CHAR, static_cast<WPARAM>(*p), 0);
    }
    void Key(WPARAM vk, LPARAM state = 0) { SendMessage(wnd.GetHWND(), WM_KEYDOWN, vk, state); }
    void Paint() { wnd.GetPaintManager()->PaintNow(); }

    duilib_test::SampleWindow wnd{"xmls\\gallery.xml"};
};

}  // namespace

TEST_F(ControlsTest, ComboSelectsFromCodeOnlyNotifyingChanges)
{
    auto* combo = Find<CComboUI>("combo");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), 7);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_TRUE(combo->SelectItem(2));
    EXPECT_TRUE(combo->SelectItem(2));  // same item: no second notification
    EXPECT_FALSE(combo->SelectItem(9));
    ASSERT_EQ(CountNotifications(wnd, "itemselect", "combo"), 1);
    EXPECT_EQ(wnd.notifyRecords.back().wParam, 2u);
    EXPECT_EQ(wnd.notifyRecords.back().lParam, -1);

    // Remove/insert keep the selection on the same item.
    combo->AddAt(new CListLabelElementUI, 0);
    EXPECT_EQ(combo->GetCurSel(), 3);
    combo->RemoveAt(0);
    EXPECT_EQ(combo->GetCurSel(), 2);
    combo->RemoveAt(2);
    EXPECT_EQ(combo->GetCurSel(), -1);
    combo->RemoveAll();
    EXPECT_EQ(combo->GetCount(), 0);
}

TEST_F(ControlsTest, ComboDropDownChoosesAnItemAndHandsTheItemsBack)
{
    auto* combo = Find<CComboUI>("combo");
    combo->SelectItem(0, false);
    Send(wnd.GetHWND(), WM_LBUTTONDOWN, Center(combo->GetPos()), MK_LBUTTON);
    Send(wnd.GetHWND(), WM_LBUTTONUP, Center(combo->GetPos()));
    ASSERT_TRUE(combo->IsDropped());
    CComboWnd* drop = combo->GetDropWindow();
    RECT dropRc, comboRc, wr;
    drop->GetWindowRect(dropRc);
    wnd.GetWindowRect(wr);
    comboRc = combo->GetPos();
    EXPECT_EQ(dropRc.top, wr.top + comboRc.bottom);  // opens right below the combo
    EXPECT_EQ(dropRc.bottom - dropRc.top, 120);  // dropboxsize caps the height
    ASSERT_TRUE(PumpUntil([&] { return drop->GetPaintManager()->GetPaintCount() > 0; }));

    CControlUI* third = combo->GetItemAt(2);
    EXPECT_EQ(third->GetManager(), drop->GetPaintManager());
    POINT at = Center(third->GetPos());
    Send(drop->GetHWND(), WM_LBUTTONDOWN, at, MK_LBUTTON);
    Send(drop->GetHWND(), WM_LBUTTONUP, at);
    ASSERT_TRUE(PumpUntil([&] { return !combo->IsDropped(); }));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(third->GetManager(), wnd.GetPaintManager());
    EXPECT_EQ(CountNotifications(wnd, "itemselect", "combo"), 2);

    // A click outside closes it without choosing.
    combo->Activate();
    ASSERT_TRUE(combo->IsDropped());
    SendMessage(combo->GetDropWindow()->GetHWND(), WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !combo->IsDropped(); }));
    EXPECT_EQ(combo->GetCurSel(), 2);
    // Arrow keys on the closed combo move the choice.
    combo->SetFocus();
    Key(VK_DOWN);
    EXPECT_EQ(combo->GetCurSel(), 3);
}

TEST_F(ControlsTest, SliderDragSendsMovesThenValueOnRelease)
{
    auto* slider = Find<CSliderUI>("slider");
    RECT rc = slider->GetPos();
    long y = (rc.top + rc.bottom) / 2;
    Send(wnd.GetHWND(), WM_LBUTTONDOWN, Center(slider->GetThumbRect()), MK_LBUTTON);
    Send(wnd.GetHWND(), WM_MOUSEMOVE, POINT{rc.left + slider->GetWidth() / 2, y}, MK_LBUTTON);
    Send(wnd.GetHWND(), WM_MOUSEMOVE, POINT{rc.right + 40, y}, MK_LBUTTON);  // past the end: clamped
    EXPECT_EQ(slider->GetValue(), 100);
    EXPECT_EQ(CountNotifications(wnd, "valuechanged"), 0);
    Send(wnd.GetHWND(), WM_LBUTTONUP, POINT{rc.right + 40, y});
    EXPECT_EQ(CountNotifications(wnd, "movevaluechanged", "slider"), 2);
    EXPECT_EQ(CountNotifications(wnd, "valuechanged", "slider"), 1);
    EXPECT_EQ(wnd.notifications.back(), "valuechanged:slider");

    // Range set the way the program does it: maximum, minimum, then value.
    slider->SetMaxValue(64);
    slider->SetMinValue(-64);
    slider->SetValue(-100);
    EXPECT_EQ(slider->GetValue(), -64);
    slider->SetMaxValue(0);
    slider->SetMinValue(0);
    EXPECT_EQ(slider->GetValue(), 0);  // an empty range is harmless

    auto* off = Find<CSliderUI>("sliderOff");
    Send(wnd.GetHWND(), WM_LBUTTONDOWN, POINT{off->GetPos().right - 2, y}, MK_LBUTTON);
    Send(wnd.GetHWND(), WM_LBUTTONUP, POINT{off->GetPos().right - 2, y});
    EXPECT_EQ(off->GetValue(), 0);
    EXPECT_EQ(CountNotifications(wnd, "valuechanged", "sliderOff"), 0);
}

TEST_F(ControlsTest, EditTypesAnyScriptAndEditsWithKeys)
{
    auto* edit = Find<CEditUI>("edit");
    edit->SetFocus();
    Type(U"Scale 中文");
    EXPECT_STREQ(edit->GetText(), "Scale 中文");
    EXPECT_EQ(CountNotifications(wnd, "textchanged", "edit"), 8);
    Key(VK_HOME);
    Key(VK_DELETE);
    Key(VK_END);
    Key(VK_BACK);
    EXPECT_STREQ(edit->GetText(), "cale 中");
    Key(VK_LEFT, MK_SHIFT);
    Key(VK_LEFT, MK_SHIFT);
    EXPECT_STREQ(edit->GetSelText(), " 中");
    Type(U"!");
    EXPECT_STREQ(edit->GetText(), "cale!");

    // Copy and paste through the clipboard; the maximum length holds.
    edit->SetSelAll();
    Key('C', MK_CONTROL);
    Key(VK_END);
    for (int i = 0; i < 5; ++i)
        Key('V', MK_CONTROL);
    EXPECT_STREQ(edit->GetText(), "cale!cale!cale!cale!");
    Type(U"x");
    EXPECT_EQ(edit->GetText().GetLength(), 20);
    // Setting text from code sends nothing; control characters never get in.
    int changes = CountNotifications(wnd, "textchanged");
    edit->SetText("a\tb\x01");
    EXPECT_STREQ(edit->GetText(), "a b");
    EXPECT_EQ(CountNotifications(wnd, "textchanged"), changes);

    auto* readOnly = Find<CEditUI>("editReadOnly");
    readOnly->SetFocus();
    Type(U"zz");
    Key(VK_BACK);
    EXPECT_STREQ(readOnly->GetText(), "read only");
}

TEST_F(ControlsTest, ListRowsTakeTheirCellsFromTheCallback)
{
    auto* list = Find<CListUI>("list");
    Cells cells;
    list->SetTextCallback(&cells);
    for (int i = 0; i < 40; ++i)
        list->Add(new CListTextElementUI);
    Paint();
    EXPECT_EQ(list->GetListInfo()->nColumns, 3);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, list->GetHeader()->GetItemAt(1)->GetPos().left);
    auto* row5 = static_cast<CListTextElementUI*>(list->GetItemAt(5));
    EXPECT_STREQ(row5->GetText(2), "cell 5.2");
    // Only the rows in view were asked for.
    EXPECT_GT(cells.calls, 0);
    EXPECT_LT(cells.calls, 3 * 20);

    // Click selects (itemselect from the list), Down moves, EnsureVisible scrolls.
    POINT at = Center(list->GetItemAt(1)->GetPos());
    Send(wnd.GetHWND(), WM_LBUTTONDOWN, at, MK_LBUTTON);
    Send(wnd.GetHWND(), WM_LBUTTONUP, at);
    EXPECT_EQ(list->GetCurSel(), 1);
    Key(VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_EQ(CountNotifications(wnd, "itemselect", "list"), 2);
    list->SelectItem(39);
    Paint();
    RECT body = list->GetList()->GetPos();
    EXPECT_LE(list->GetItemAt(39)->GetPos().bottom, body.bottom);
    EXPECT_GT(list->GetScrollPos().cy, 0);
    // Rows removed before the selection keep it on the same row.
    list->RemoveAt(0);
    EXPECT_EQ(list->GetCurSel(), 38);
    list->SetTextCallback(nullptr);
}

TEST_F(ControlsTest, ContainerRowsFromXmlCarryHtmlLinks)
{
    auto* cameras = Find<CListUI>("cameras");
    for (int i = 0; i < 3; ++i) {
        CDialogBuilder builder;
        CControlUI* row = builder.Create("xmls\\listrow_camera.xml", nullptr, nullptr, wnd.GetPaintManager());
        ASSERT_NE(row, nullptr);
        row->SetTag(static_cast<UINT_PTR>(i * 65536 + 0x0100 + i));
        cameras->Add(row);
        static_cast<CContainerUI*>(row)
            ->FindSubControl("camera_name")
            ->SetText(("{a}Camera " + std::to_string(i) + "{/a}").c_str());
    }
    Paint();
    auto* name = static_cast<CLabelUI*>(
        static_cast<CContainerUI*>(cameras->GetItemAt(1))->FindSubControl("camera_name"));
    ASSERT_EQ(name->GetLinkCount(), 1);
    EXPECT_STREQ(*name->GetLinkContent(0), "Camera 1");
    RECT rc = name->GetPos();
    POINT onLink{rc.left + 10, (rc.top + rc.bottom) / 2};
    Send(wnd.GetHWND(), WM_LBUTTONDOWN, onLink, MK_LBUTTON);
    Send(wnd.GetHWND(), WM_LBUTTONUP, onLink);
    ASSERT_EQ(CountNotifications(wnd, "link"), 1);
    EXPECT_EQ(wnd.notifyRecords.back().pSender, name);
    EXPECT_EQ(name->GetParent()->GetTag(), 65536u + 0x0101);
    EXPECT_EQ(cameras->GetCurSel(), 1);

    // A disabled row takes the click itself: its link cannot be used.
    cameras->GetItemAt(1)->SetEnabled(false);
    Send(wnd.GetHWND(), WM_LBUTTONDOWN, onLink, MK_LBUTTON);
    Send(wnd.GetHWND(), WM_LBUTTONUP, onLink);
    EXPECT_EQ(CountNotifications(wnd, "link"), 1);
}

TEST(HtmlText, StripsMarkupKeepingText)
{
    struct Case
    {
        const char* in;
        const char* out;
    } cases[] = {
        {"{b}Bold{/b} and {i}it{/i}", "Bold and it"},
        {"{c #FF0000}red{/c}{n}next", "red\nnext"},
        {"{a target}link{/a}", "link"},
        {"{{braces}", "{braces}"},
        {"unclosed {b", "unclosed {b"},
        {"{x}unknown tag{/x}", "unknown tag"},
        {"{f 1}中文{/f}", "中文"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(CHtmlText::StripTags(c.in), c.out) << c.in;
}

TEST_F(ControlsTest, HtmlLinksReportTheirTargets)
{
    auto* html = Find<CLabelUI>("html");
    Paint();
    ASSERT_EQ(html->GetLinkCount(), 1);
    EXPECT_STREQ(*html->GetLinkContent(0), "camera");
    EXPECT_EQ(html->GetLinkContent(3), nullptr);
    EXPECT_TRUE(html->GetControlFlags() & UIFLAG_SETCURSOR);
}

TEST_F(ControlsTest, ScrollingContainerFollowsTheWheel)
{
    auto* scroller = Find<CContainerUI>("scroller");
    Paint();
    ASSERT_GT(scroller->GetScrollRange().cy, 0);
    long firstTop = wnd.Find("scrollFirst")->GetPos().top;
    RECT wr;
    wnd.GetWindowRect(wr);
    POINT inside = Center(wnd.Find("scrollFirst")->GetPos());
    SendMessage(wnd.GetHWND(), WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(-WHEEL_DELTA)) << 16,
        MAKELPARAM(wr.left + inside.x, wr.top + inside.y));
    Paint();
    EXPECT_EQ(scroller->GetScrollPos().cy, 24);
    EXPECT_EQ(wnd.Find("scrollFirst")->GetPos().top, firstTop - 24);
    scroller->EndDown();
    Paint();
    EXPECT_EQ(scroller->GetScrollPos().cy, scroller->GetScrollRange().cy);
    EXPECT_LE(wnd.Find("scrollLast")->GetPos().bottom, scroller->GetPos().bottom);
    scroller->SetScrollPos(SIZE{0, -50});
    Paint();
    EXPECT_EQ(scroller->GetScrollPos().cy, 0);
}

TEST_F(ControlsTest, TooltipAppearsAfterTheDelayAndHidesOnInput)
{
    wnd.GetPaintManager()->SetToolTipDelay(50);
    POINT at = Center(wnd.Find("btnMenu")->GetPos());
    Send(wnd.GetHWND(), WM_MOUSEMOVE, at);
    EXPECT_EQ(wnd.GetPaintManager()->GetToolTipWindow(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return wnd.GetPaintManager()->GetToolTipWindow() != nullptr; }));
    EXPECT_STREQ(wnd.GetPaintManager()->GetToolTipWindow()->GetText(), "Opens the test menu");
    Send(wnd.GetHWND(), WM_LBUTTONDOWN, at, MK_LBUTTON);
    EXPECT_EQ(wnd.GetPaintManager()->GetToolTipWindow(), nullptr);
    Send(wnd.GetHWND(), WM_LBUTTONUP, at);
}
