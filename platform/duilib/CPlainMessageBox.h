#pragma once
// A message box that needs no skin: its layout is held in the program, so it
// can be shown before any skin is installed (for example to say that the
// program already runs). A warning sign, the text, an OK button; Enter,
// Escape and the window manager's close end it. UI thread only.

namespace DuiLib {

// Shows the box modally (centred on the screen) and returns when it closes:
// 1 for OK, 2 when closed otherwise; 0 when no window could be opened.
int ShowPlainMessageBox(const char* text, const char* caption);

}  // namespace DuiLib
