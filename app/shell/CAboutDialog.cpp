#include "app/shell/CAboutDialog.h"

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
    if (CControlUI* label = FindControl("caption"))
        label->SetText(caption.c_str());
    SetWindowText(caption.c_str());
    // The program's mark where the message box shows its icon.
    if (CControlUI* layout = FindControl("TextLayout"))
        layout->SetBkImage("file='ui\\logo_48.png' dest='32,36,80,84'");
    if (CControlUI* name = FindControl("textName"))
        name->SetText((std::string(kAppName) + " " + kAppVersion).c_str());
    if (CControlUI* date = FindControl("textDate"))
        date->SetText(kAppBuildDate);
    if (CControlUI* notice = FindControl("textCopyright"))
        notice->SetText("Copyright (C) 2016 Kelvara. All rights reserved.");
}
