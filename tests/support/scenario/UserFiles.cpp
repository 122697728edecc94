#include "tests/support/scenario/UserFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace kelvara::test {

namespace {

std::string Capture(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe))
        output += buffer;
    pclose(pipe);
    return output;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

const std::regex kAutomaticName(
    R"((\d{4})(\d{2})(\d{2})-(\d{2})(\d{2})(\d{2})-(0|[1-9]\d{0,2})(\.[a-z0-9]+))");

}  // namespace

std::string UserFiles::PictureFolder(const std::string& home)
{
    return home + "/Documents/Kelvara Files/Images/";
}

std::string UserFiles::CalibrationFile(const std::string& home)
{
    return home + "/Documents/Kelvara Files/data/calibrations.ini";
}

std::string UserFiles::ConfigFile(const std::string& home)
{
    return home + "/.config/Kelvara/config.ini";
}

std::vector<std::string> UserFiles::List(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file(error)
            && entry.path().filename().string().find(".tmp-") == std::string::npos)
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> UserFiles::Added(
    const std::vector<std::string>& before, const std::vector<std::string>& now)
{
    std::vector<std::string> added;
    for (const std::string& name : now)
        if (std::find(before.begin(), before.end(), name) == before.end())
            added.push_back(name);
    return added;
}

bool UserFiles::IsAutomaticName(const std::string& name, const std::string& extension)
{
    std::smatch match;
    if (!std::regex_match(name, match, kAutomaticName) || match[8].str() != extension)
        return false;
    const int month = std::stoi(match[2].str());
    const int day = std::stoi(match[3].str());
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && std::stoi(match[4].str()) < 24
        && std::stoi(match[5].str()) < 60 && std::stoi(match[6].str()) < 61;
}

long UserFiles::StampMs(const std::string& name)
{
    std::smatch match;
    if (!std::regex_match(name, match, kAutomaticName))
        return -1;
    return ((std::stol(match[4].str()) * 60 + std::stol(match[5].str())) * 60 + std::stol(match[6].str()))
        * 1000
        + std::stol(match[7].str());
}

std::string UserFiles::PictureFormat(const std::string& path, int* width, int* height)
{
    // The first frame only: a TIFF may hold more than one directory.
    std::istringstream out(Capture("identify -format '%m %w %h\\n' " + Quote(path + "[0]") + " 2>/dev/null"));
    std::string format;
    int w = 0, h = 0;
    if (!(out >> format >> w >> h))
        return std::string();
    if (width)
        *width = w;
    if (height)
        *height = h;
    return format;
}

bool UserFiles::HaveIdentify()
{
    return std::system("command -v identify > /dev/null 2>&1") == 0;
}

VideoFacts UserFiles::ProbeVideo(const std::string& path)
{
    VideoFacts facts;
    std::istringstream stream(Capture("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                      "stream=nb_read_frames,width,height -of csv=p=0 "
        + Quote(path) + " 2>/dev/null"));
    std::string line;
    if (std::getline(stream, line)) {
        int w = 0, h = 0, frames = -1;
        if (std::sscanf(line.c_str(), "%d,%d,%d", &w, &h, &frames) == 3) {
            facts.width = w;
            facts.height = h;
            facts.frames = frames;
        }
    }
    std::istringstream duration(Capture(
        "ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quote(path) + " 2>/dev/null"));
    if (!(duration >> facts.durationS))
        facts.durationS = -1;
    return facts;
}

void UserFiles::SetConfigNumber(const std::string& home, const std::string& name, int value)
{
    const std::string path = ConfigFile(home);
    std::ifstream in(path);
    std::string line, text;
    bool replaced = false;
    char formatted[32];
    std::snprintf(formatted, sizeof(formatted), "dword:%08x", static_cast<unsigned>(value));
    while (std::getline(in, line)) {
        if (line.compare(0, name.size() + 1, name + " ") == 0
            || line.compare(0, name.size() + 1, name + "=") == 0) {
            line = name + " = " + formatted;
            replaced = true;
        }
        text += line + "\n";
    }
    if (text.empty())
        text = "[values]\n";
    if (!replaced)
        text += name + " = " + formatted + "\n";
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::trunc) << text;
}

long UserFiles::ConfigNumber(const std::string& home, const std::string& name, long fallback)
{
    std::ifstream in(ConfigFile(home));
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, name.size(), name) != 0)
            continue;
        size_t colon = line.find("dword:");
        if (colon != std::string::npos)
            return static_cast<long>(static_cast<int>(std::stoul(line.substr(colon + 6), nullptr, 16)));
    }
    return fallback;
}

long long UserFiles::Size(const std::string& path)
{
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<long long>(size);
}

bool UserFiles::WaitSteady(const std::string& path, int steadyMs, int timeoutMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    long long last = -2;
    auto since = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < end) {
        long long size = Size(path);
        if (size != last) {
            last = size;
            since = std::chrono::steady_clock::now();
        } else if (size > 0
            && std::chrono::steady_clock::now() - since >= std::chrono::milliseconds(steadyMs)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace kelvara::test
