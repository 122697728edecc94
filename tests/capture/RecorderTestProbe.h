#pragma once
// Reading recorded files back the way a user's tools would: ffprobe for what
// a player sees, and the MP4's top-level boxes for how it is laid out.

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace kelvara {

// ffprobe's JSON for path: "format", "streams" (frames counted by decoding)
// and "packets" (pts, duration). A null value when ffprobe fails on the file.
nlohmann::json ProbeVideo(const std::string& path);

// Types of the top-level boxes ("ftyp", "moov", "moof", "mdat", ...).
std::vector<std::string> TopLevelBoxes(const std::string& path);

// Runs a command through the shell and returns its standard output.
std::string RunCommand(const std::string& command, int* exitStatus = nullptr);

// path quoted for the shell.
std::string ShellQuote(const std::string& path);

}  // namespace kelvara
