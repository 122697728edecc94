#include "app/measure/CaliDataStore.h"

#include "platform/system/AtomicFile.h"
#include "platform/system/SimpleIniUtf8.h"
#include "platform/system/UserFolders.h"
#include "platform/system/Utf8.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <set>
#include <string_view>
#include <utility>

namespace {

const char kDataSection[] = "data";
const char kUnitSection[] = "unit";
// The preview size each calibration was made at, "<width>x<height>"; only
// entries whose size is known have a line.
const char kResolutionSection[] = "resolution";
constexpr int kMaxSizePx = 65535;
const char kFileName[] = "calibrations.ini";
constexpr size_t kMaxPathChars = 259;
constexpr size_t kFileLimitBytes = 64u << 20;

// Key order of the file: ascending, ignoring the case of ASCII letters, by
// code point (UTF-8 bytes compared unsigned), as the wide-character library
// orders UTF-16 keys.
struct CaliKeyLess
{
    static int Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }
    bool operator()(const char* left, const char* right) const
    {
        for (; *left && *right; ++left, ++right) {
            int difference
                = Fold(static_cast<unsigned char>(*left)) - Fold(static_cast<unsigned char>(*right));
            if (difference != 0)
                return difference < 0;
        }
        return *right != 0;
    }
};

using CaliIni = CSimpleIniTempl<char, CaliKeyLess, SI_ConvertA<char>>;

struct CaliNameLess
{
    bool operator()(const std::string& left, const std::string& right) const
    {
        return CaliKeyLess()(left.c_str(), right.c_str());
    }
};

locale_t CLocale()
{
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

// The whole text as a number, else 0.
double ParseNumber(const char* text)
{
    if (!text || !*text)
        return 0;
    char* end = nullptr;
    double value = strtod_l(text, &end, CLocale());
    return end != text && *end == '\0' ? value : 0;
}

// Decimal, or hexadecimal after "0x"; the whole text must be the number, else 0.
int ParseUnit(const char* text)
{
    if (!text)
        return 0;
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text += 2;
        base = 16;
    }
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, base);
    if (*end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return 0;
    return static_cast<int>(value);
}

// "<width>x<height>" with both between 1 and kMaxSizePx, else false.
bool ParseSize(const char* text, int* width, int* height)
{
    if (!text)
        return false;
    std::string_view size(text);
    const size_t cross = size.find_first_of("xX");
    if (cross == std::string_view::npos)
        return false;
    auto number = [](std::string_view digits, int* out) {
        if (digits.empty() || digits.front() < '0' || digits.front() > '9')
            return false;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), *out);
        return ec == std::errc() && end == digits.data() + digits.size() && *out >= 1 && *out <= kMaxSizePx;
    };
    int w = 0;
    int h = 0;
    if (!number(size.substr(0, cross), &w) || !number(size.substr(cross + 1), &h))
        return false;
    *width = w;
    *height = h;
    return true;
}

bool HasSize(const CaliData& entry)
{
    return entry.width > 0 && entry.height > 0;
}

// Only a signature, blanks and line ends.
bool IsBlankText(const char* data, size_t size)
{
    std::string_view text(data, size);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

int CaliDataStore::GetCaliConfigPath(std::string& path) const
{
    std::string documents;
    if (!kelvara::GetDocumentsFolder(documents))
        return kNoDocumentsFolder;
    std::string folder = documents + "/Kelvara Files/data/";
    // A folder path that does not fit is refused rather than cut.
    if (kelvara::Utf8Length(folder) > kMaxPathChars || !kelvara::MakeDirectories(folder))
        return kCannotCreateFolder;
    path = folder + kFileName;
    return 0;
}

int CaliDataStore::LoadCaliConfig(const std::string& path)
{
    std::string text;
    kelvara::ReadResult read = kelvara::ReadWholeFile(path, text, kFileLimitBytes);
    int result = read == kelvara::ReadResult::Ok ? LoadCaliText(text.data(), text.size()) : kCannotOpenFile;
    if (result == 0) {
        m_unloadablePaths.erase(path);
        return 0;
    }
    // A file that exists but could not be loaded still holds the user's
    // calibrations: it must not be replaced by what this list holds.
    if (read != kelvara::ReadResult::Missing)
        m_unloadablePaths.insert(path);
    std::printf("LoadCaliConfig %s Failed\n", path.c_str());
    return result;
}

int CaliDataStore::LoadCaliText(const char* data, size_t size)
{
    CaliIni ini(/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/false);
    if (ini.LoadData(data, size) < 0)
        return kCannotOpenFile;
    // Text without a "data" section is not a calibration file (or a damaged
    // one) unless it holds nothing at all, as the file of an empty list does.
    if (!ini.GetSection(kDataSection) && !IsBlankText(data, size))
        return kCannotOpenFile;

    CaliIni::TNamesDepend keys;
    ini.GetAllKeys(kDataSection, keys);
    keys.sort(CaliIni::Entry::KeyOrder());
    std::set<std::string, CaliNameLess> taken;
    std::vector<CaliData> entries;
    for (const CaliIni::Entry& key : keys) {
        // The value is kept as a float; one that is 0 or not finite there is no scale.
        auto value = static_cast<float>(ParseNumber(ini.GetValue(kDataSection, key.pItem, nullptr)));
        std::string name = kelvara::RepairUtf8(key.pItem);
        if (value == 0 || !std::isfinite(value) || kelvara::Utf8Length(name) > kCaliNameMaxChars)
            continue;
        // Keys that differ only in broken bytes become one name once repaired;
        // as in the file, a name is taken once.
        if (!taken.insert(name).second)
            continue;
        CaliData entry{name, value, ParseUnit(ini.GetValue(kUnitSection, key.pItem, nullptr))};
        // A missing or malformed size leaves the entry of unknown size.
        ParseSize(ini.GetValue(kResolutionSection, key.pItem, nullptr), &entry.width, &entry.height);
        entries.push_back(entry);
    }
    m_entries = std::move(entries);
    return 0;
}

std::string CaliDataStore::FormatCaliText() const
{
    CaliIni ini(/*isUtf8=*/true, /*multiKey=*/true, /*multiLine=*/true);
    ini.SetSpaces(true);
    for (const CaliData& entry : m_entries) {
        ini.SetValue(kDataSection, entry.name.c_str(), FormatValue(entry.value).c_str());
        ini.SetValue(kUnitSection, entry.name.c_str(), std::to_string(entry.unit).c_str());
    }
    for (const CaliData& entry : m_entries) {
        if (HasSize(entry)) {
            std::string size = std::to_string(entry.width) + "x" + std::to_string(entry.height);
            ini.SetValue(kResolutionSection, entry.name.c_str(), size.c_str());
        }
    }
    std::string text;
    ini.Save(text, /*addSignature=*/true);
    // Every line ends with CR LF.
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

int CaliDataStore::SaveCaliConfig(const std::string& path) const
{
    if (m_unloadablePaths.count(path) != 0) {
        std::fprintf(stderr, "%s could not be loaded; it is left as it is\n", path.c_str());
        return kCannotSaveFile;
    }
    std::string error;
    if (!kelvara::WriteFileAtomically(path, FormatCaliText(), &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kCannotSaveFile;
    }
    return 0;
}

CaliData CaliDataStore::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return CaliData{};
    return m_entries[static_cast<size_t>(index)];
}

bool CaliDataStore::Contains(const std::string& name) const
{
    for (const CaliData& entry : m_entries) {
        if (entry.name == name)
            return true;
    }
    return false;
}

int CaliDataStore::Add(const CaliData& entry)
{
    // The file's keys ignore the case of letters: "Scale" and "scale" would be one.
    CaliKeyLess less;
    for (const CaliData& existing : m_entries) {
        if (!less(existing.name.c_str(), entry.name.c_str())
            && !less(entry.name.c_str(), existing.name.c_str()))
            return kNameExists;
    }
    if (!IsStorableName(entry.name) || !std::isfinite(entry.value))
        return kCannotStore;
    m_entries.push_back(entry);
    // A size the file cannot hold is an unknown size.
    CaliData& added = m_entries.back();
    if (!HasSize(added) || added.width > kMaxSizePx || added.height > kMaxSizePx)
        added.width = added.height = 0;
    return kAdded;
}

int CaliDataStore::RemoveAt(int index)
{
    if (index >= 0 && index < GetCount())
        m_entries.erase(m_entries.begin() + index);
    return 0;
}

const char* CaliDataStore::GetUnitName(int unit)
{
    static const char* const names[] = {"px", "cm", "mm", "um", "in", "uin"};
    return unit >= 0 && unit < 6 ? names[unit] : "n/a";
}

bool CaliDataStore::IsStorableName(const std::string& name)
{
    if (name.empty() || !kelvara::IsValidUtf8(name) || kelvara::Utf8Length(name) > kCaliNameMaxChars)
        return false;
    if (name.front() == '[' || name.front() == ';' || name.front() == '#' || name.front() == ' '
        || name.back() == ' ')
        return false;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '=')
            return false;
    }
    return true;
}

std::string CaliDataStore::FormatValue(float value)
{
    // "%f" where it reads back to the same float (so ordinary values are
    // written as they always were), else the shortest text that does.
    char text[64];
    auto fixed
        = std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::fixed, 6);
    if (fixed.ec == std::errc()) {
        *fixed.ptr = '\0';
        if (static_cast<float>(ParseNumber(text)) == value)
            return std::string(text, fixed.ptr);
    }
    auto shortest = std::to_chars(text, text + sizeof text, value);
    if (shortest.ec == std::errc()) {
        *shortest.ptr = '\0';
        if (static_cast<float>(ParseNumber(text)) == value)
            return std::string(text, shortest.ptr);
    }
    // Nine significant digits always name a float exactly.
    auto exact
        = std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::general, 9);
    if (exact.ec != std::errc())
        return "0.000000";
    return std::string(text, exact.ptr);
}