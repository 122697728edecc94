#pragma once
// Where the program's data files ("fzht.ttf", "recording.png") lie: next to
// the executable in a build tree, or in ../share/kelvara/ relative to it once
// installed. Callable from any thread.

#include <string>

namespace kelvara {

// The directory holding the program's data files, with a trailing '/':
// FindDataDirectory() applied to the running executable's directory, or an
// empty string when that cannot be determined.
std::string GetProgramDirectory();

// Full path of the running executable's directory with a trailing '/', or an
// empty string when it cannot be determined.
std::string GetExecutableDirectory();

// The data directory for an executable in executableDirectory (trailing '/'):
// that directory itself when it holds "fzht.ttf" or "recording.png", else
// executableDirectory + "../share/kelvara/" (normalised) when that holds one
// of them, else executableDirectory unchanged.
std::string FindDataDirectory(const std::string& executableDirectory);

}  // namespace kelvara
