#include "app/shell/ShellDialogs.h"

#include "app/shell/CAboutDialog.h"
#include "app/shell/CSettingDialog.h"
#include "app/shell/CWirelessCameraDialog.h"
#include "platform/system/Utf8.h"

#include <memory>

namespace kelvara {

void ShowSettingDialog(HWND owner, const char* startTab)
{
    auto dialog = std::make_unique<CSettingDialog>(owner, startTab ? startTab : "");
    dialog->ShowModalDialog();
}

void ShowAboutDialog(HWND owner)
{
    CAboutDialog dialog(owner);
    dialog.ShowModalDialog();
}

bool AskWirelessAddress(HWND owner, std::wstring* address)
{
    CWirelessCameraDialog dialog(owner);
    if (dialog.ShowModalDialog() != IDOK)
        return false;
    if (address)
        *address = Utf8ToWide(dialog.GetAddress());
    return true;
}

}  // namespace kelvara
