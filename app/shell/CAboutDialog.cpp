#include "app/shell/CAboutDialog.h"

#include "app/shell/DialogFrame.h"

#include "app/shell/AppVersion.h"
#include "app/shell/StringTable.h"

#include <string>

using namespace DuiLib;

CAboutDialog::CAboutDialog(HWND owner)
    : CBaseDialog("xmls\\dialog_about.xml", owner)
{
}

UINT CAboutDialog::ShowModalDialog()
{
    if (CreateDialogWindow() == nullptr)
        return IDCANCEL;
    return ShowModal();
}

void CAboutDialog::InitWindow()
{
    std::string caption = GetLangText("DLG_ABOUT_ABOUT");
    SetControlText(FindControl("caption"), caption.c_str());
    SetWindowText(caption.c_str());
    // The program's mark where the message box shows its icon.
    if (CControlUI* layout = FindControl("TextLayout"))
        layout->SetBkImage("file='ui\\logo_48.png' dest='32,36,80,84'");
    SetControlText(FindControl("textName"), (std::string(kAppName) + " " + kAppVersion).c_str());
    SetControlText(FindControl("textDate"), kAppBuildDate);
    SetControlText(FindControl("textCopyright"), "Copyright (C) 2016 Kelvara. All rights reserved.");
}
