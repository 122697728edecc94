#include "app/capture/CapturePaths.h"

#include <cctype>
#include <cstdint>
#include <utility>

namespace kelvara::capture {

bool PathToUtf8(const wchar_t* path, std::string* utf8)
{
    if (!path || !*path || !utf8)
        return false;
    std::string out;
    for (const wchar_t* p = path; *p; ++p) {
        const auto c = static_cast<uint32_t>(*p);
        if (c >= 0xD800 && c <= 0xDFFF)
            return false;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c <= 0x10FFFF) {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            return false;
        }
        if (out.size() > kMaxPathBytes)
            return false;
    }
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
