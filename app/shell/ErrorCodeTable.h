#pragma once
// Fixed error texts by code (codes -1 to -5 come from the calibration
// store, -6 from the update command) and the message box that shows them.
// UI thread only.

#include "platform/duilib/UIDefs.h"

// The text of a code, or null for a code without one.
const char* ErrorCodeText(int code);

// Shows the code's text in an error box with only OK and the caption
// "Error"; codes >= 0 and unknown codes show nothing. Returns code.
int ShowErrorCode(int code, HWND owner);
