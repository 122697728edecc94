#include "app/shell/ErrorCodeTable.h"

#include "app/shell/CMessageDialog.h"

namespace {

struct ErrorCodeEntry
{
    int code;
    const char* text;
};

constexpr ErrorCodeEntry kErrorCodeTable[] = {
    {-1, "Failed to get personal document folder."},
    {-2, "Failed to create directory."},
    {-3, "Failed to open configuration file."},
    {-4, "Failed to save configuration file."},
    {-5, "Configuration file path error."},
    {-6, "This version of the software does not support automatic update."},
};

}  // namespace

const char* ErrorCodeText(int code)
{
    for (const ErrorCodeEntry& entry : kErrorCodeTable)
        if (entry.code == code)
            return entry.text;
    return nullptr;
}

int ShowErrorCode(int code, HWND owner)
{
    if (code >= 0)
        return code;
    const char* text = ErrorCodeText(code);
    if (text == nullptr)
        return code;
    ShowMessageDialog(owner, text, "Error", 0, MB_ICONERROR_KIND);
    return code;
}
