#pragma once
// Window messages that every skin-built dialog of the program answers
// alike: WM_SIZE gives the window a round-rectangle shape with the skin's
// corner size, WM_GETMINMAXINFO maximises onto the work area of the
// window's monitor, WM_NCHITTEST answers the sizing borders (when asked
// for) and the caption band (controls that take clicks excepted),
// WM_NCCALCSIZE and WM_NCPAINT are answered 0, WM_NCACTIVATE the opposite
// of wParam, and SC_CLOSE becomes WM_CLOSE with IDCANCEL. UI thread only.

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CWindowWnd.h"

// True when the message was answered (lRes holds the result).
bool HandleDialogFrameMessage(DuiLib::CWindowWnd& window, DuiLib::CPaintManagerUI& pm, UINT uMsg,
    WPARAM wParam, LPARAM lParam, LRESULT& lRes, bool sizingBorders);

// Sets a control's text as plain text (not a string id), if the control exists.
void SetControlText(DuiLib::CControlUI* control, const char* utf8);
