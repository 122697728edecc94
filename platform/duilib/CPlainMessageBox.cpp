#include "platform/duilib/CPlainMessageBox.h"

#include "platform/duilib/CControlUI.h"
#include "platform/duilib/WindowImplBase.h"

#include <string>

namespace DuiLib {

namespace {

std::string EscapeXml(const char* text)
{
    std::string out;
    for (const char* p = text ? text : ""; *p; ++p) {
        switch (*p) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += *p;
        }
    }
    return out;
}

class CPlainMessageBoxWnd : public WindowImplBase
{
public:
    CPlainMessageBoxWnd(const char* text, const char* caption)
        : m_text(EscapeXml(text))
        , m_caption(EscapeXml(caption))
    {
    }

protected:
    CDuiString GetSkinFile() override
    {
        // Drawn with plain colours and a font family every desktop has.
        return (
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
            "<Window size=\"380,150\" caption=\"0,0,0,30\">"
            "<Font id=\"0\" name=\"DejaVu Sans\" size=\"13\" default=\"true\" />"
            "<Font id=\"1\" name=\"DejaVu Sans\" size=\"13\" bold=\"true\" />"
            "<Font id=\"2\" name=\"DejaVu Sans\" size=\"26\" bold=\"true\" />"
            "<VerticalLayout bkcolor=\"#FF252526\" bordercolor=\"#FF171717\" bordersize=\"1\" "
            "inset=\"1,1,1,1\">"
            "<Label name=\"caption\" height=\"30\" font=\"1\" textcolor=\"#FFE6E6E6\" bkcolor=\"#FF1B1B1B\""
            " textpadding=\"12,0,12,0\" text=\""
            + m_caption
            + "\" />"
              "<HorizontalLayout inset=\"16,12,16,4\" childpadding=\"12\">"
              "<Label name=\"sign\" width=\"36\" height=\"36\" font=\"2\" align=\"center\" text=\"!\""
              " textcolor=\"#FF1B1B1B\" bkcolor=\"#FFF5A524\" />"
              "<Text name=\"message\" textcolor=\"#FFE6E6E6\" text=\""
            + m_text
            + "\" />"
              "</HorizontalLayout>"
              "<HorizontalLayout height=\"48\" inset=\"0,8,16,12\">"
              "<Control />"
              "<Button name=\"okbtn\" width=\"88\" text=\"OK\" textcolor=\"#FFFFFFFF\" bkcolor=\"#FF3D8BFD\""
              " hotbkcolor=\"#FF5A9EFF\" pushedbkcolor=\"#FF2F6FCC\" />"
              "</HorizontalLayout>"
              "</VerticalLayout>"
              "</Window>")
            .c_str();
    }
    const char* GetWindowClassName() const override { return "PlainMessageBox"; }
    void InitWindow() override { CenterWindow(); }
    void Notify(TNotifyUI& msg) override
    {
        if (msg.sType == "click" && msg.pSender && msg.pSender->GetName() == "okbtn") {
            Close(IDOK);
            return;
        }
        WindowImplBase::Notify(msg);
    }
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override
    {
        if (wParam == VK_RETURN) {
            Close(IDOK);
            return 1;
        }
        if (wParam == VK_ESCAPE) {
            Close(IDCANCEL);
            return 1;
        }
        return 0;
    }

private:
    std::string m_text;
    std::string m_caption;
};

}  // namespace

int ShowPlainMessageBox(const char* text, const char* caption)
{
    CPlainMessageBoxWnd box(text, caption);
    if (box.Create(nullptr, caption, UI_WNDSTYLE_DIALOG, 0) == nullptr)
        return 0;
    return static_cast<int>(box.ShowModal());
}

}  // namespace DuiLib
