#include "platform/system/Utf8.h"

#include <cstdint>

namespace kelvara {

namespace {

// Length of the well-formed sequence starting at text[pos], or 0 if the
// bytes there do not form one.
size_t SequenceLength(std::string_view text, size_t pos)
{
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    uint8_t lead = byte(pos);
    if (lead < 0x80)
        return 1;
    size_t length;
    uint32_t minimum;
    uint32_t codePoint;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        uint8_t next = byte(pos + i);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

bool IsValidUtf8(std::string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        size_t length = SequenceLength(text, pos);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

std::string RepairUtf8(std::string_view text)
{
    std::string repaired;
    repaired.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        size_t length = SequenceLength(text, pos);
        if (length == 0) {
            repaired += "\xEF\xBF\xBD";
            ++pos;
        } else {
            repaired.append(text, pos, length);
            pos += length;
        }
    }
    return repaired;
}

std::string WideToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        auto c = static_cast<uint32_t>(wc);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

size_t Utf8Length(std::string_view text)
{
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); ++count) {
        size_t length = SequenceLength(text, pos);
        pos += length == 0 ? 1 : length;
    }
    return count;
}

std::wstring Utf8ToWide(std::string_view text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        size_t length = SequenceLength(text, pos);
        if (length == 0) {
            wide += static_cast<wchar_t>(0xFFFD);
            ++pos;
            continue;
        }
        auto byte = static_cast<uint8_t>(text[pos]);
        uint32_t codePoint = length == 1 ? byte
            : length == 2                ? byte & 0x1Fu
            : length == 3                ? byte & 0x0Fu
                                         : byte & 0x07u;
        for (size_t i = 1; i < length; ++i)
            codePoint = (codePoint << 6) | (static_cast<uint8_t>(text[pos + i]) & 0x3Fu);
        wide += static_cast<wchar_t>(codePoint);
        pos += length;
    }
    return wide;
}

}  // namespace kelvara
