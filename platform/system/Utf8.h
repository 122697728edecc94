#pragma once
// UTF-8 helpers for text that comes from files: validation, repair,
// counting characters (code points) where the original counted UTF-16
// characters against a fixed capacity, and the UTF-8 form of wide text. Pure functions, callable from any
// thread.

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvara {

// True when text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Copy of text with every ill-formed byte sequence replaced by U+FFFD,
// as a UTF-8 to UTF-16 conversion would do.
std::string RepairUtf8(std::string_view text);

// Number of code points in well-formed UTF-8 text; each ill-formed byte counts as one.
size_t Utf8Length(std::string_view text);

// Wide (UTF-32) form of UTF-8 text; each ill-formed byte becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);

// UTF-8 form of wide (UTF-32) text; a value that is not a Unicode scalar
// value (a surrogate, or above U+10FFFF) becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);

}  // namespace kelvara
