#include "platform/system/SettingsKey.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/UserFolders.h"
#include "platform/system/Utf8.h"

#include <cstdio>
#include <cstring>

namespace kelvara {

namespace {

const char kSection[] = "values";
const char kDwordPrefix[] = "dword:";
const char kStringPrefix[] = "sz:";
constexpr size_t kFileLimitBytes = 16u << 20;

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string EncodeSettingsString(const std::string& value)
{
    // Quoted, so that leading and trailing blanks survive. Control bytes are
    // escaped (a value must stay on one line), and so are the bytes of a
    // value that is not UTF-8 (paths are bytes), keeping the file UTF-8.
    static const char hex[] = "0123456789abcdef";
    bool escapeHigh = !IsValidUtf8(value);
    std::string stored = std::string(kStringPrefix) + '"';
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            stored += '\\';
            stored += c;
        } else if (byte < 0x20 || byte == 0x7F || (escapeHigh && byte >= 0x80)) {
            stored += "\\x";
            stored += hex[byte >> 4];
            stored += hex[byte & 0xF];
        } else {
            stored += c;
        }
    }
    return stored + '"';
}

bool DecodeSettingsString(const std::string& stored, std::string& value)
{
    size_t prefix = std::strlen(kStringPrefix);
    if (!StartsWith(stored, kStringPrefix) || stored.size() < prefix + 2 || stored[prefix] != '"'
        || stored.back() != '"')
        return false;
    std::string decoded;
    size_t end = stored.size() - 1;  // the closing quote
    for (size_t i = prefix + 1; i < end; ++i) {
        char c = stored[i];
        if (c == '"')
            return false;
        if (c != '\\') {
            decoded += c;
            continue;
        }
        if (++i >= end)
            return false;
        switch (stored[i]) {
        case '\\':
        case '"':
            decoded += stored[i];
            break;
        case 'x': {
            int high = i + 2 < end ? HexDigit(stored[i + 1]) : -1;
            int low = i + 2 < end ? HexDigit(stored[i + 2]) : -1;
            if (high < 0 || low < 0)
                return false;
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    value = decoded;
    return true;
}

CSettingsKey::CSettingsKey()
    : m_ini(/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/false)
{
}

bool CSettingsKey::Open(const std::string& keyName)
{
    m_ini.Reset();
    std::string configHome = GetConfigHome();
    if (configHome.empty())
        return false;
    std::string folder = configHome + "/Kelvara";
    if (!MakeDirectories(folder))
        return false;
    m_path = folder + "/" + keyName + ".ini";

    std::string text;
    std::string error;
    ReadResult result = ReadWholeFile(m_path, text, kFileLimitBytes, &error);
    if (result == ReadResult::Missing)
        return true;
    if (result != ReadResult::Ok) {
        std::fprintf(stderr, "settings file unreadable, using defaults: %s\n", error.c_str());
        return true;
    }
    if (text.find('\0') != std::string::npos || !IsValidUtf8(text)
        || m_ini.LoadData(text.data(), text.size()) < 0) {
        m_ini.Reset();
        std::fprintf(stderr, "settings file %s is garbled, using defaults\n", m_path.c_str());
    }
    return true;
}

bool CSettingsKey::QueryDword(const char* valueName, int32_t& value) const
{
    const char* stored = m_ini.GetValue(kSection, valueName, nullptr);
    if (!stored)
        return false;
    std::string text = stored;
    size_t prefix = std::strlen(kDwordPrefix);
    bool ok = StartsWith(text, kDwordPrefix) && text.size() > prefix && text.size() <= prefix + 8;
    uint32_t number = 0;
    for (size_t i = prefix; ok && i < text.size(); ++i) {
        int digit = HexDigit(text[i]);
        ok = digit >= 0;
        number = (number << 4) | static_cast<uint32_t>(digit);
    }
    if (!ok) {
        std::fprintf(stderr, "settings value %s is not a dword, using its default\n", valueName);
        return false;
    }
    value = static_cast<int32_t>(number);
    return true;
}

bool CSettingsKey::QueryString(const char* valueName, std::string& value) const
{
    const char* stored = m_ini.GetValue(kSection, valueName, nullptr);
    if (!stored)
        return false;
    if (!DecodeSettingsString(stored, value)) {
        std::fprintf(stderr, "settings value %s is not a string, using its default\n", valueName);
        return false;
    }
    return true;
}

void CSettingsKey::SetDword(const char* valueName, int32_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%08x", kDwordPrefix, static_cast<uint32_t>(value));
    m_ini.SetValue(kSection, valueName, text);
}

void CSettingsKey::SetString(const char* valueName, const std::string& value)
{
    m_ini.SetValue(kSection, valueName, EncodeSettingsString(value).c_str());
}

bool CSettingsKey::Flush(std::string* error)
{
    if (m_path.empty()) {
        if (error)
            *error = "settings key not open";
        return false;
    }
    std::string text;
    if (m_ini.Save(text, /*addSignature=*/false) < 0) {
        if (error)
            *error = "cannot format " + m_path;
        return false;
    }
    return WriteFileAtomically(m_path, text, error);
}

}  // namespace kelvara
