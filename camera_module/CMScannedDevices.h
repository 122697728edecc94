#pragma once
// Device records of wireless cameras found by discovery.
//
// Threads: pure functions, any thread.

#include "camera_module/CMTypes.h"
#include "platform/chd_wmp/chd_wmp.h"

#include <cstddef>

// Converts the 8-bit (UTF-8) text of a field of fieldBytes bytes, which ends
// at its first NUL or at the field's end, into dest when the converted text
// with its terminator fits in destChars characters; otherwise dest is left
// empty and the result is false. Ill-formed bytes become U+FFFD.
bool NarrowFieldToWide(const char* field, size_t fieldBytes, wchar_t* dest, size_t destChars);

// A zeroed record with the scanned camera's name (empty when it does not
// fit), number and address (empty when it does not fit), vid = pid = 0xFFFF.
_tag_VideoDeviceInfo MakeScannedDeviceInfo(const CHD_WMP_DeviceInfo& record);
