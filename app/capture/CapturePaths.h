#pragma once
// Paths handed to the recorder, the still writer and the preview: UTF-8, at
// most kMaxPathBytes bytes. A path that does not fit is refused, never cut.
//
// Threads: pure functions; any thread.

#include <cstddef>
#include <string>

namespace kelvara::capture {

// Longest path in bytes (a buffer of 260 with its terminator).
constexpr size_t kMaxPathBytes = 259;

// The UTF-8 form of a wide path. False for a null or empty path, a character
// that is not a Unicode scalar value, or a result longer than kMaxPathBytes.
bool PathToUtf8(const wchar_t* path, std::string* utf8);

// The extension of the file name in path, lower-case, with its dot (".jpg"),
// or "" when the name has none.
std::string LowerExtension(const std::string& path);

}  // namespace kelvara::capture
