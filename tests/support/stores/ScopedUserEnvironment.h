#pragma once
// Test helper: a private home folder for one test. Points HOME at a fresh
// temporary folder, clears XDG_CONFIG_HOME, XDG_DOCUMENTS_DIR and the locale
// variables, and puts everything back (and removes the folder) on destruction.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace kelvara::test {

class ScopedUserEnvironment
{
public:
    ScopedUserEnvironment()
    {
        for (const char* name :
            {"HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(name);
            m_saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
            unsetenv(name);
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvara-home-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            m_home = pattern;
        setenv("HOME", m_home.c_str(), 1);
    }
    ~ScopedUserEnvironment()
    {
        std::error_code error;
        std::filesystem::permissions(
            m_home, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, error);
        std::filesystem::remove_all(m_home, error);
        for (const auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    ScopedUserEnvironment(const ScopedUserEnvironment&) = delete;
    ScopedUserEnvironment& operator=(const ScopedUserEnvironment&) = delete;

    const std::string& Home() const { return m_home; }

    static void Set(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

    static void WriteFile(const std::string& path, const std::string& content)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string m_home;
    std::map<std::string, std::optional<std::string>> m_saved;
};

}  // namespace kelvara::test
