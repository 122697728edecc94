// The message box, the error-code box and the about box, driven by real
// keys and clicks while their modal loops run.
#include "app/shell/CAboutDialog.h"
#include "app/shell/CMessageDialog.h"
#include "app/shell/ErrorCodeTable.h"
#include "tests/support/shell/DialogDriver.h"
#include "tests/support/stores/ScopedUserEnvironment.h"

#include <gtest/gtest.h>

using namespace DuiLib;
using dialog_test::Click;
using dialog_test::DriverWindow;
using dialog_test::Keys;

namespace {

class MessageDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!dialog_test::HaveXdotool())
            GTEST_SKIP() << "xdotool missing";
        dialog_test::InstallSkin(0);
        owner.onTimeout = [] {
            if (CBaseDialog* open = CBaseDialog::Current())
                open->Close(IDCANCEL);
        };
    }

    // Queues: wait for an open message box that has painted, then look.
    void WhenShown(std::function<void(CMessageDialog*)> look)
    {
        owner.Then([look] {
            auto* box = dynamic_cast<CMessageDialog*>(CBaseDialog::Current());
            if (box == nullptr || box->GetPaintManager()->GetPaintCount() == 0)
                return false;
            look(box);
            return true;
        });
    }

    kelvara::test::ScopedUserEnvironment env;
    DriverWindow owner;
};

struct BoxLook
{
    int width = 0;
    std::string message, caption;
    bool cancelVisible = false;
};

BoxLook Look(CMessageDialog* box)
{
    BoxLook look;
    RECT rc;
    box->GetWindowRect(rc);
    look.width = static_cast<int>(rc.right - rc.left);
    look.message = box->FindControl("Tex_Message")->GetText().GetData();
    look.caption = box->FindControl("caption")->GetText().GetData();
    look.cancelVisible = box->GetCancelButton() && box->GetCancelButton()->IsVisible();
    return look;
}

}  // namespace

TEST_F(MessageDialogTest, ShortMessageKeepsSkinWidthAndKeysAnswer)
{
    BoxLook look;
    WhenShown([&](CMessageDialog* box) { look = Look(box); });
    owner.Do([] { Keys("Return"); });
    EXPECT_EQ(ShowMessageDialog(owner, "Saved.", "Message", 1, MB_ICONINFORMATION_KIND), 1);
    EXPECT_EQ(look.width, 355);
    EXPECT_EQ(look.message, "Saved.");
    EXPECT_EQ(look.caption, "Message");
    EXPECT_TRUE(look.cancelVisible);

    WhenShown([](CMessageDialog*) {});
    owner.Do([] { Keys("Escape"); });
    EXPECT_EQ(ShowMessageDialog(owner, "Remove all?", "Question", 1, MB_ICONQUESTION_KIND), 2);
    EXPECT_EQ(CBaseDialog::Current(), nullptr);
}

TEST_F(MessageDialogTest, LongMessageWidensTheBoxToFitOnOneLine)
{
    const std::string text
        = "Are you sure you want to delete the selected calibration and every measurement that uses it?";
    BoxLook look;
    int expected = 0;
    WhenShown([&](CMessageDialog* box) {
        look = Look(box);
        SIZE t = CRenderEngine::GetTextSize(text.c_str(), box->GetPaintManager()->GetFont(0));
        expected = static_cast<int>(t.cx) + 111 + 15;
    });
    owner.Do([] { Click(CBaseDialog::Current()->FindControl("cancelbtn")); });
    EXPECT_EQ(ShowMessageDialog(owner, text, "Calibration", 1, MB_ICONWARNING_KIND), 2);
    EXPECT_GT(look.width, 355);
    EXPECT_EQ(look.width, expected);
}

TEST_F(MessageDialogTest, OkOnlyHidesCancelAndUnknownButtonsShowNothing)
{
    BoxLook look;
    WhenShown([&](CMessageDialog* box) { look = Look(box); });
    owner.Do([] { Click(CBaseDialog::Current()->FindControl("okbtn")); });
    EXPECT_EQ(ShowMessageDialog(owner, "Done", "Message", 0, 0), 1);
    EXPECT_FALSE(look.cancelVisible);

    bool appeared = false;
    owner.Then([&] {
        appeared = appeared || CBaseDialog::Current() != nullptr;
        return false;
    });
    EXPECT_EQ(ShowMessageDialog(owner, "x", "y", 2, 16), 0);
    EXPECT_FALSE(appeared);
}

TEST_F(MessageDialogTest, ErrorCodesShowTheirTextOthersNothing)
{
    // Codes without text return at once, without a box.
    EXPECT_EQ(ShowErrorCode(0, owner), 0);
    EXPECT_EQ(ShowErrorCode(5, owner), 5);
    EXPECT_EQ(ShowErrorCode(-7, owner), -7);
    EXPECT_EQ(CBaseDialog::Current(), nullptr);

    const char* texts[] = {"Failed to get personal document folder.", "Failed to create directory.",
        "Failed to open configuration file.", "Failed to save configuration file.",
        "Configuration file path error.", "This version of the software does not support automatic update."};
    for (int code = -1; code >= -6; --code) {
        BoxLook look;
        WhenShown([&](CMessageDialog* box) { look = Look(box); });
        owner.Do([] { Keys("Return"); });
        EXPECT_EQ(ShowErrorCode(code, owner), code);
        EXPECT_EQ(look.message, texts[-code - 1]) << code;
        EXPECT_EQ(look.caption, "Error");
        EXPECT_FALSE(look.cancelVisible);
        EXPECT_GE(look.width, 355);
    }
}

TEST_F(MessageDialogTest, AboutBoxShowsVersionAndClosesWithItsButton)
{
    dialog_test::InstallSkin(1);
    CAboutDialog about(owner);
    std::string name, date, caption;
    owner.Then([&] {
        CBaseDialog* open = CBaseDialog::Current();
        if (open != &about || about.GetPaintManager()->GetPaintCount() == 0)
            return false;
        name = about.FindControl("textName")->GetText().GetData();
        date = about.FindControl("textDate")->GetText().GetData();
        caption = about.FindControl("caption")->GetText().GetData();
        // The button below, not the title-bar one of the same name.
        CControlUI* button = nullptr;
        about.GetPaintManager()->GetRoot()->FindControl(
            [](CControlUI* c, void* out) -> CControlUI* {
                if (c->GetName() == "closebtn" && std::string(c->GetClass()) == "ButtonUI"
                    && !c->GetText().IsEmpty())
                    *static_cast<CControlUI**>(out) = c;
                return nullptr;
            },
            &button, UIFIND_ALL);
        Click(button);
        return true;
    });
    EXPECT_EQ(about.ShowModalDialog(), 2u);
    EXPECT_EQ(name, "Kelvara 1.3.2.297");
    EXPECT_EQ(date, "May 18 2016");
    EXPECT_EQ(caption, "关于");
    dialog_test::InstallSkin(0);
}
