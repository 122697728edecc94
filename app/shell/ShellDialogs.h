#pragma once
// The dialogs the main window opens, behind plain functions so the window's
// command code does not depend on how each dialog is built. UI thread only.

#include "app/shell/CMessageDialog.h"
#include "app/shell/ErrorCodeTable.h"
#include "platform/duilib/UIDefs.h"

#include <string>

namespace kelvara {

// The settings dialog, on the page of the option startTab ("" for the first).
void ShowSettingDialog(HWND owner, const char* startTab);
void ShowAboutDialog(HWND owner);
// The wireless camera dialog: true with the address when the user connects.
bool AskWirelessAddress(HWND owner, std::wstring* address);

}  // namespace kelvara
