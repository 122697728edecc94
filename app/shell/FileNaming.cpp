#include "app/shell/FileNaming.h"

#include "platform/system/UserFolders.h"
#include "platform/system/Utf8.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <mutex>
#include <set>

namespace {

bool IsDirectory(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathExists(const std::string& path)
{
    struct stat info
    {
    };
    return lstat(path.c_str(), &info) == 0;
}

// Names handed out for the current stamp, so that two names made within one
// millisecond differ even before either file is written.
std::mutex g_issuedLock;
std::string g_issuedStamp;
std::set<std::string> g_issuedNames;

}  // namespace

bool GetImageFolder(const AppConfig& config, std::string& folder)
{
    if (config.CFG_IMAGEPATH_MYDOC == 0) {
        folder = config.CFG_IMAGEPATH;
    } else {
        std::string documents;
        if (kelvara::GetDocumentsFolder(documents)) {
            std::string path = documents + "/Kelvara Files/Images/";
            // A path that does not fit is refused, never cut.
            if (kelvara::Utf8Length(path) > kMaxPathChars)
                return false;
            folder = path;
        }
    }
    if (IsDirectory(folder))
        return true;
    return kelvara::MakeDirectories(folder);
}

bool GetImageFolder(std::string& folder)
{
    return GetImageFolder(GetAppConfig(), folder);
}

AutoNameTime CurrentAutoNameTime()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
        static_cast<int>(now.tv_nsec / 1000000)};
}

std::string FormatAutoNameStamp(const AutoNameTime& time)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d-%d", time.year, time.month, time.day,
        time.hour, time.minute, time.second, time.millisecond);
    return stamp;
}

bool MakeAutoFileName(
    const AppConfig& config, std::string& path, const std::string& extension, const AutoNameTime& time)
{
    std::string folder = path;
    if (!GetImageFolder(config, folder))
        return false;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    std::string base = folder + FormatAutoNameStamp(time);

    std::lock_guard<std::mutex> lock(g_issuedLock);
    std::string stamp = FormatAutoNameStamp(time);
    if (stamp != g_issuedStamp) {
        g_issuedStamp = stamp;
        g_issuedNames.clear();
    }
    std::string candidate = base + extension;
    for (int counter = 1; PathExists(candidate) || g_issuedNames.count(candidate); ++counter) {
        if (counter > 100000)
            return false;
        candidate = base + "-" + std::to_string(counter) + extension;
    }
    if (kelvara::Utf8Length(candidate) > kMaxPathChars)
        return false;
    g_issuedNames.insert(candidate);
    path = candidate;
    return true;
}

bool MakeAutoFileName(std::string& path, const std::string& extension)
{
    return MakeAutoFileName(GetAppConfig(), path, extension, CurrentAutoNameTime());
}

const char* GetImageExtension(int fileType)
{
    switch (fileType) {
    case 1:
        return ".png";
    case 2:
        return ".bmp";
    case 3:
        return ".jpg";
    default:
        return ".tif";
    }
}

const char* GetImageExtension()
{
    return GetImageExtension(GetAppConfig().CFG_FILETYPE);
}

const char* GetImageFilterPattern(int fileType)
{
    switch (fileType) {
    case 0:
        return "*.tif";
    case 1:
        return "*.png";
    case 2:
        return "*.bmp";
    default:
        return "*.jpg";
    }
}

const char* GetImageFilterPattern()
{
    return GetImageFilterPattern(GetAppConfig().CFG_FILETYPE);
}
