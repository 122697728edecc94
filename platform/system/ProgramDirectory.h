#pragma once
// The directory of the running executable, where the program's data files
// ("fzht.ttf", "recording.png") lie. Callable from any thread.

#include <string>

namespace kelvara {

// Full path of the running executable's directory with a trailing '/',
// or an empty string when it cannot be determined.
std::string GetProgramDirectory();

}  // namespace kelvara
