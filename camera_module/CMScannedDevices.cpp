#include "camera_module/CMScannedDevices.h"

#include "platform/system/Utf8.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

namespace {

// Decodes well-formed UTF-8 (as RepairUtf8 leaves it).
std::wstring DecodeUtf8(std::string_view text)
{
    std::wstring wide;
    for (size_t i = 0; i < text.size();) {
        uint8_t lead = static_cast<uint8_t>(text[i]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length && i + k < text.size(); ++k)
            codePoint = (codePoint << 6) | (static_cast<uint8_t>(text[i + k]) & 0x3F);
        wide.push_back(static_cast<wchar_t>(codePoint));
        i += length;
    }
    return wide;
}

}  // namespace

bool NarrowFieldToWide(const char* field, size_t fieldBytes, wchar_t* dest, size_t destChars)
{
    if (!dest || destChars == 0)
        return false;
    dest[0] = L'\0';
    if (!field)
        return false;
    // The field need not hold a terminator: never read past its end.
    std::string_view text(field, strnlen(field, fieldBytes));
    std::wstring wide = DecodeUtf8(kelvara::RepairUtf8(text));
    if (wide.size() + 1 > destChars)
        return false;
    std::wmemcpy(dest, wide.c_str(), wide.size() + 1);
    return true;
}

_tag_VideoDeviceInfo MakeScannedDeviceInfo(const CHD_WMP_DeviceInfo& record)
{
    _tag_VideoDeviceInfo info;
    std::memset(&info, 0, sizeof(info));
    NarrowFieldToWide(record.name, sizeof(record.name), info.name, sizeof(info.name) / sizeof(info.name[0]));
    info.number = record.number;
    NarrowFieldToWide(
        record.address, sizeof(record.address), info.address, sizeof(info.address) / sizeof(info.address[0]));
    info.vid = 0xFFFF;
    info.pid = 0xFFFF;
    return info;
}
