#pragma once
// The user's interface language, the stand-in for the system's default UI
// language: the locale name that governs messages. Reads the environment;
// callable from any thread while the environment does not change.

#include <string>

namespace kelvara {

// The first entry of LANGUAGE, else LC_ALL, else LC_MESSAGES, else LANG
// (the first that is set and not empty), e.g. "zh_CN.UTF-8"; empty if none is.
std::string GetUserUiLocale();

}  // namespace kelvara
