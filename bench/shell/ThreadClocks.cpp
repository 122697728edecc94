#include "bench/shell/ThreadClocks.h"

#include <dirent.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace kelvara::bench {
namespace {

double Seconds(clockid_t clock)
{
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0)
        return -1;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The kernel's clock id of a thread's scheduler CPU clock (as glibc's
// pthread_getcpuclockid builds it).
clockid_t ThreadClock(int tid)
{
    return static_cast<clockid_t>((~static_cast<unsigned>(tid) << 3) | 6u);
}

}  // namespace

std::set<int> ThreadIds()
{
    std::set<int> ids;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir)) {
            int tid = std::atoi(entry->d_name);
            if (tid > 0)
                ids.insert(tid);
        }
        closedir(dir);
    }
    return ids;
}

std::map<int, ThreadSample> SampleThreads()
{
    std::map<int, ThreadSample> samples;
    for (int tid : ThreadIds()) {
        ThreadSample sample;
        std::ifstream comm("/proc/self/task/" + std::to_string(tid) + "/comm");
        std::getline(comm, sample.name);
        sample.cpuSeconds = Seconds(ThreadClock(tid));
        if (sample.cpuSeconds >= 0)
            samples[tid] = sample;
    }
    return samples;
}

double CallingThreadCpuSeconds()
{
    return Seconds(CLOCK_THREAD_CPUTIME_ID);
}

double ProcessCpuSeconds()
{
    return Seconds(CLOCK_PROCESS_CPUTIME_ID);
}

int CallingThreadId()
{
    return static_cast<int>(syscall(SYS_gettid));
}

}  // namespace kelvara::bench
