#pragma once
// The about box ("xmls\dialog_about.xml"): the program's name and version,
// its build date and a one-line notice; "closebtn" closes it. UI thread only.

#include "app/shell/CBaseDialog.h"

class CAboutDialog : public CBaseDialog
{
public:
    explicit CAboutDialog(HWND owner);
    // Creates, centres and runs the box; 2 when it was closed.
    UINT ShowModalDialog();

protected:
    void InitWindow() override;
};
