#include "platform/system/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace kelvara {

namespace {

constexpr size_t kMaxNameBytes = 255;  // NAME_MAX of the usual file systems

void SetError(std::string* error, const std::string& what, int code)
{
    if (error)
        *error = what + ": " + std::strerror(code);
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The temporary's name: the file's name, cut (at a character boundary) so
// that name and suffix fit in one directory entry, then the suffix.
std::string TemporaryPath(const std::string& path, const std::string& suffix)
{
    size_t slash = path.rfind('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t nameBytes = path.size() - nameStart;
    if (nameBytes + suffix.size() <= kMaxNameBytes)
        return path + suffix;
    size_t keep = kMaxNameBytes - suffix.size();
    while (keep > 0 && (static_cast<unsigned char>(path[nameStart + keep]) & 0xC0) == 0x80)
        --keep;
    return path.substr(0, nameStart + keep) + suffix;
}

// Opens a new, exclusive temporary file next to path. Created with 0666 so
// the umask applies as it would to a plain new file.
int CreateTemporary(const std::string& path, std::string& tempPath)
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = TemporaryPath(path, ".tmp-" + std::to_string(random() & 0xFFFFFFFFFFull));
        int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t written = write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error)
{
    struct stat old
    {
    };
    bool hasOld = stat(path.c_str(), &old) == 0;
    if (hasOld) {
        if (!S_ISREG(old.st_mode)) {
            SetError(error, path, EISDIR);
            return false;
        }
        // Like a read-only attribute: even a privileged user does not overwrite it.
        if ((old.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0) {
            SetError(error, path, EACCES);
            return false;
        }
    }

    std::string tempPath;
    int fd = CreateTemporary(path, tempPath);
    if (fd < 0) {
        SetError(error, "cannot create a temporary file in " + FolderOf(path), errno);
        return false;
    }
    bool ok = WriteAll(fd, data);
    if (ok && hasOld)
        ok = fchmod(fd, old.st_mode & 07777) == 0;
    if (ok)
        ok = fsync(fd) == 0;
    int savedErrno = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && rename(tempPath.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        unlink(tempPath.c_str());
        SetError(error, "cannot write " + path, savedErrno);
        return false;
    }
    // Make the rename itself durable.
    int dirFd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

ReadResult ReadWholeFile(const std::string& path, std::string& data, size_t limitBytes, std::string* error)
{
    data.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int code = errno;
        SetError(error, path, code);
        return code == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
    }
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        SetError(error, path, fstat(fd, &info) != 0 ? errno : EISDIR);
        close(fd);
        return ReadResult::Unreadable;
    }
    char buffer[65536];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            SetError(error, path, errno);
            close(fd);
            data.clear();
            return ReadResult::Unreadable;
        }
        if (got == 0)
            break;
        if (data.size() + static_cast<size_t>(got) > limitBytes) {
            SetError(error, path, EFBIG);
            close(fd);
            data.clear();
            return ReadResult::TooLarge;
        }
        data.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return ReadResult::Ok;
}

}  // namespace kelvara
