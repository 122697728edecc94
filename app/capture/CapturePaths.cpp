#include "app/capture/CapturePaths.h"

#include "platform/system/Utf8.h"

#include <cctype>
#include <cstdint>
#include <utility>

namespace kelvara::capture {

bool PathToUtf8(const wchar_t* path, std::string* utf8)
{
    if (!path || !*path || !utf8)
        return false;
    // Refused rather than replaced: a path with a stand-in character names another file.
    for (const wchar_t* p = path; *p; ++p) {
        const auto c = static_cast<uint32_t>(*p);
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            return false;
    }
    std::string out = WideToUtf8(path);
    if (out.size() > kMaxPathBytes)
        return false;
    *utf8 = std::move(out);
    return true;
}

std::string LowerExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot + 1 == path.size())
        return std::string();
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace kelvara::capture
