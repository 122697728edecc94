#pragma once
// The program's name, version and build date as the dialogs show them.

constexpr const char* kAppName = "Kelvara";
constexpr const char* kAppVersion = "1.3.2.297";
constexpr const char* kAppBuildDate = "May 18 2016";
