#include "platform/system/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara {

std::string CInstanceLock::LockPath(const std::string& name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder;
    struct stat info;
    if (runtime && *runtime && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) {
        folder = runtime;
    } else {
        const char* tmp = std::getenv("TMPDIR");
        folder = tmp && *tmp ? tmp : "/tmp";
    }
    if (folder.back() != '/')
        folder += '/';
    // Outside the private runtime folder the name carries the user id.
    if (!(runtime && *runtime && folder.rfind(runtime, 0) == 0))
        return folder + name + "-" + std::to_string(getuid()) + ".lock";
    return folder + name + ".lock";
}

CInstanceLock::Result CInstanceLock::Acquire(const std::string& name)
{
    Release();
    const std::string path = LockPath(name);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return kFailed;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? kAlreadyRunning : kFailed;
    }
    m_fd = fd;
    return kAcquired;
}

void CInstanceLock::Release()
{
    if (m_fd >= 0) {
        flock(m_fd, LOCK_UN);
        close(m_fd);
        m_fd = -1;
    }
}

}  // namespace kelvara
