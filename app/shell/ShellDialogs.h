#pragma once
// The dialogs the main window opens, behind plain functions so the window's
// command code does not depend on how each dialog is built. UI thread only.

#include "platform/duilib/UIDefs.h"

#include <string>

namespace kelvara {

// Message box: buttons 0 = OK, 1 = OK and Cancel; icon 16 error, 32
// question, 48 warning, 64 information. 1 for OK, 2 for Cancel or close.
int ShowMessageDialog(HWND owner, const std::string& text, const std::string& caption, int buttons, int icon);
// Shows the text of a negative error code; returns code.
int ShowErrorCode(int code, HWND owner);
// The settings dialog, on the page of the option startTab ("" for the first).
void ShowSettingDialog(HWND owner, const char* startTab);
void ShowAboutDialog(HWND owner);
// The wireless camera dialog: true with the address when the user connects.
bool AskWirelessAddress(HWND owner, std::wstring* address);

}  // namespace kelvara
