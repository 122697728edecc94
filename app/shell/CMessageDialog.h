#pragma once
// The program's message box ("xmls\diaglog_messagebox.xml"): a caption, an
// icon drawn as the background of "TextLayout", the one-line message
// "Tex_Message" and the buttons "okbtn" and "cancelbtn". UI thread only.

#include "app/shell/CBaseDialog.h"

#include <string>

// Icon kinds, numbered like the system's message-box icon flags.
enum : int
{
    MB_ICONERROR_KIND = 16,
    MB_ICONQUESTION_KIND = 32,
    MB_ICONWARNING_KIND = 48,
    MB_ICONINFORMATION_KIND = 64,
};

class CMessageDialog : public CBaseDialog
{
public:
    explicit CMessageDialog(HWND owner);

    // Puts the icon of the kind behind "TextLayout" (other kinds keep the
    // skin's background).
    void SetIconKind(int iconKind);
    void SetCaption(const std::string& caption);
    // Sets the message and widens the window (never narrows it below the
    // skin's width) so the message fits on one line.
    void SetMessage(const std::string& text);
    // 0: OK only; 1: OK and Cancel.
    void SetButtons(int buttons);

    DuiLib::CControlUI* GetOkButton() const { return m_pOkButton; }
    DuiLib::CControlUI* GetCancelButton() const { return m_pCancelButton; }

protected:
    void InitWindow() override;

private:
    DuiLib::CControlUI* m_pOkButton = nullptr;
    DuiLib::CControlUI* m_pCancelButton = nullptr;
};

// Shows a modal message box over owner: 1 for OK, 2 for Cancel or close,
// 0 without showing anything when buttons is neither 0 (OK) nor 1 (OK and
// Cancel). Texts are UTF-8.
int ShowMessageDialog(
    HWND owner, const std::string& text, const std::string& caption, int buttons, int iconKind);
