#include "app/shell/CMessageDialog.h"

#include "app/shell/DialogFrame.h"

#include <algorithm>

using namespace DuiLib;

namespace {

const char* IconBackground(int iconKind)
{
    switch (iconKind) {
    case MB_ICONERROR_KIND:
    case MB_ICONINFORMATION_KIND:
        return "file='ui\\bg\\msgbox_bg.png' dest='0,0,111,120' source='222,0,333,120' corner='111,0,0,0'";
    case MB_ICONQUESTION_KIND:
        return "file='ui\\bg\\msgbox_bg.png' dest='0,0,111,120' source='111,0,222,120' corner='111,0,0,0'";
    case MB_ICONWARNING_KIND:
        return "file='ui\\bg\\msgbox_bg.png' dest='0,0,111,120' source='0,0,111,120' corner='111,0,0,0'";
    default:
        return nullptr;
    }
}

}  // namespace

CMessageDialog::CMessageDialog(HWND owner)
    : CBaseDialog("xmls\\diaglog_messagebox.xml", owner)
{
}

void CMessageDialog::InitWindow()
{
    m_pOkButton = FindControl("okbtn");
    m_pCancelButton = FindControl("cancelbtn");
}

void CMessageDialog::SetIconKind(int iconKind)
{
    const char* background = IconBackground(iconKind);
    if (CControlUI* layout = FindControl("TextLayout"); layout && background)
        layout->SetBkImage(background);
}

void CMessageDialog::SetCaption(const std::string& caption)
{
    SetControlText(FindControl("caption"), caption.c_str());
    SetWindowText(caption.c_str());
}

void CMessageDialog::SetButtons(int buttons)
{
    if (buttons == 0 && m_pCancelButton)
        m_pCancelButton->SetVisible(false);
}

void CMessageDialog::SetMessage(const std::string& text)
{
    CControlUI* message = FindControl("Tex_Message");
    if (message == nullptr)
        return;
    message->SetText(text.c_str());
    SIZE textSize = CRenderEngine::GetTextSize(text.c_str(), m_pm.GetFont(0));
    int needed = static_cast<int>(textSize.cx) + 15;
    CControlUI* textLayout = FindControl("TextLayout");
    if (auto* layout
        = textLayout ? static_cast<CContainerUI*>(textLayout->GetInterface("Container")) : nullptr)
        needed += layout->GetChildPadding() + static_cast<int>(layout->GetInset().left);
    RECT client;
    GetClientRect(client);
    int width = std::max(static_cast<int>(client.right - client.left), needed);
    ResizeClient(width, static_cast<int>(client.bottom - client.top));
}

int ShowMessageDialog(
    HWND owner, const std::string& text, const std::string& caption, int buttons, int iconKind)
{
    if (buttons != 0 && buttons != 1)
        return 0;
    CMessageDialog dialog(owner);
    if (dialog.CreateDialogWindow() == nullptr)
        return IDCANCEL;
    dialog.SetButtons(buttons);
    dialog.SetIconKind(iconKind);
    dialog.SetCaption(caption);
    dialog.SetMessage(text);
    dialog.CenterWindow();
    return static_cast<int>(dialog.ShowModal());
}
