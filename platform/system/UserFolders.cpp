#include "platform/system/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace kelvara {

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Value of XDG_DOCUMENTS_DIR in a user-dirs.dirs file: a shell assignment of
// "$HOME/..." or an absolute path in double quotes. Empty when absent or malformed.
std::string DocumentsDirFromUserDirs(const std::string& file, const std::string& home)
{
    std::ifstream in(file);
    std::string line;
    std::string found;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(in, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string quoted = line.substr(start + key.size());
        if (quoted.size() < 2 || quoted.front() != '"')
            continue;
        std::string value;
        bool closed = false;
        for (size_t i = 1; i < quoted.size(); ++i) {
            char c = quoted[i];
            if (c == '\\' && i + 1 < quoted.size()) {
                value += quoted[++i];
            } else if (c == '"') {
                closed = true;
                break;
            } else {
                value += c;
            }
        }
        if (!closed)
            continue;
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/'))
            value = home + value.substr(5);
        if (!value.empty() && value.front() == '/')
            found = value;  // the last assignment wins, as in the shell
    }
    return found;
}

}  // namespace

std::string GetHomeFolder()
{
    std::string home = Environment("HOME");
    if (!home.empty())
        return WithoutTrailingSlashes(home);
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir
        && result->pw_dir[0] == '/')
        return WithoutTrailingSlashes(result->pw_dir);
    return {};
}

std::string GetConfigHome()
{
    std::string configHome = Environment("XDG_CONFIG_HOME");
    // Relative paths are invalid there and must be ignored.
    if (!configHome.empty() && configHome.front() == '/')
        return WithoutTrailingSlashes(configHome);
    std::string home = GetHomeFolder();
    if (home.empty())
        return {};
    return home + "/.config";
}

bool GetDocumentsFolder(std::string& folder)
{
    std::string home = GetHomeFolder();
    if (home.empty())
        return false;
    std::string documents = DocumentsDirFromUserDirs(GetConfigHome() + "/user-dirs.dirs", home);
    if (documents.empty()) {
        std::string fromEnvironment = Environment("XDG_DOCUMENTS_DIR");
        if (!fromEnvironment.empty() && fromEnvironment.front() == '/')
            documents = fromEnvironment;
    }
    if (documents.empty())
        documents = home + "/Documents";
    documents = WithoutTrailingSlashes(documents);
    if (!MakeDirectories(documents))
        return false;
    folder = documents;
    return true;
}

bool MakeDirectories(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

}  // namespace kelvara
