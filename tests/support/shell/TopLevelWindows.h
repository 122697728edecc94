#pragma once
// Test helper: finds windows of another process by title through the X
// server and closes them as a window manager's close button does. Each call
// opens its own display connection (DISPLAY); any thread.

#include <string>

namespace kelvara::test {

// The viewable window with exactly this title (searched a few levels below
// the root, so reparenting window managers do not hide it), or 0 when none
// appears within timeoutMs or there is no display.
unsigned long WaitForWindow(const std::string& title, int timeoutMs);

// Sends WM_PROTOCOLS / WM_DELETE_WINDOW to the window. False without a display.
bool AskToClose(unsigned long window);

}  // namespace kelvara::test
