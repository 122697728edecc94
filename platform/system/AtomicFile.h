#pragma once
// Whole-file reads and crash-safe whole-file writes for the files the program
// keeps for the user (settings, calibrations). Callable from any thread; two
// threads must not write the same path at once.

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvara {

// Replaces the file at path with data so that, whatever happens meanwhile
// (crash, full disk, power loss), the path holds either the old or the new
// content in full: the data goes to a temporary file in the same folder,
// is flushed to disk and renamed over the old file (its name is cut to fit
// for names near the 255-byte limit). A file without any write
// permission bit is treated as read-only and left alone. The new file keeps
// the old one's permission bits. On failure the old file is untouched, no
// temporary file is left, and error (when given) says why.
bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error = nullptr);

enum class ReadResult
{
    Ok,
    Missing,  // no such file
    Unreadable,  // exists but cannot be opened or read (or is not a regular file)
    TooLarge,  // larger than the limit
};

// Reads the whole regular file at path into data (cleared first).
ReadResult ReadWholeFile(
    const std::string& path, std::string& data, size_t limitBytes, std::string* error = nullptr);

}  // namespace kelvara
