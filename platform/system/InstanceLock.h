#pragma once
// One running copy per user: an advisory lock (flock) on a file named after
// the program's instance identifier in the user's runtime folder
// ($XDG_RUNTIME_DIR, else the temporary folder). The kernel releases it when
// the process ends, even after a crash. One thread.

#include <string>

namespace kelvara {

class CInstanceLock
{
public:
    CInstanceLock() = default;
    ~CInstanceLock() { Release(); }
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    enum Result
    {
        kAcquired,
        kAlreadyRunning,
        kFailed,  // the lock file cannot be made: the caller goes on alone
    };
    Result Acquire(const std::string& name);
    void Release();
    // Where the lock file of name lies.
    static std::string LockPath(const std::string& name);

private:
    int m_fd = -1;
};

}  // namespace kelvara
