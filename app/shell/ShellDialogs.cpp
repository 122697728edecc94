#include "app/shell/ShellDialogs.h"

#include <cstdio>

namespace kelvara {

int ShowMessageDialog(HWND, const std::string& text, const std::string& caption, int buttons, int)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == 0 || buttons == 1 ? 1 : 0;
}

int ShowErrorCode(int code, HWND)
{
    if (code < 0)
        std::fprintf(stderr, "Error %d\n", code);
    return code;
}

void ShowSettingDialog(HWND, const char*) { }

void ShowAboutDialog(HWND) { }

bool AskWirelessAddress(HWND, std::wstring*)
{
    return false;
}

}  // namespace kelvara
