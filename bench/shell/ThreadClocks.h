#pragma once
// CPU clocks of this process's threads, read through the kernel's per-thread
// clocks (the clock ids pthread_getcpuclockid hands out, made from thread
// ids so that threads started by libraries can be read too). One thread only.

#include <map>
#include <set>
#include <string>

namespace kelvara::bench {

struct ThreadSample
{
    std::string name;  // the thread's comm
    double cpuSeconds = 0;
};

// Every thread of the process now, by thread id.
std::map<int, ThreadSample> SampleThreads();
std::set<int> ThreadIds();
// CPU seconds of the calling thread.
double CallingThreadCpuSeconds();
// CPU seconds of the whole process.
double ProcessCpuSeconds();
int CallingThreadId();

}  // namespace kelvara::bench
