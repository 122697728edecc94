#pragma once
// The per-user settings file that stands in for a registry key under the
// current user: named values of type DWORD (32 bits) or SZ (text), kept in
// <config home>/Kelvara/<key name>.ini as lines
//   ExitPrompt = dword:00000000
//   ImagePath = sz:"/home/ann/Documents/Kelvara Files/Images/"
// Value names are matched without regard to case. Values of other names in
// the file are kept when the file is written again. The file is replaced
// atomically, so a crash never leaves it half-written.
//
// Not thread-safe: one thread uses an instance (the UI thread in the program).

#include "platform/system/SimpleIniUtf8.h"

#include <cstdint>
#include <string>

namespace kelvara {

class CSettingsKey
{
public:
    CSettingsKey();

    // Opens the key, creating its folder when missing; false when the
    // folder cannot be had (no home, or not creatable). A file that cannot
    // be read or makes no sense opens as an empty key, with a line on
    // standard error.
    bool Open(const std::string& keyName);

    // False when the value is absent or not of the asked type; a value of
    // the right name but garbled content also writes a line on standard error.
    bool QueryDword(const char* valueName, int32_t& value) const;
    bool QueryString(const char* valueName, std::string& value) const;

    void SetDword(const char* valueName, int32_t value);
    void SetString(const char* valueName, const std::string& value);

    // Writes every value to the file; false (file untouched) on failure.
    bool Flush(std::string* error = nullptr);

    const std::string& Path() const { return m_path; }

private:
    CSimpleIniA m_ini;
    std::string m_path;
};

// Encoding of values in the file, exposed for tests.
std::string EncodeSettingsString(const std::string& value);
bool DecodeSettingsString(const std::string& stored, std::string& value);

}  // namespace kelvara
