#pragma once
// Turns the signals that ask a program to end (SIGTERM, SIGINT, SIGHUP) into
// a call on a thread of its own, so the program can close its window in an
// orderly way (finishing a recording, saving its settings) instead of dying
// where it stands.
//
// Threads: construct it on the main thread before any other thread starts
// (the signals are blocked there and the mask is inherited); Start and the
// destructor on that thread; the callback runs on the watcher's thread.

#include <functional>
#include <thread>

namespace kelvara {

class CTerminationWatcher
{
public:
    // Blocks the signals in the calling thread.
    CTerminationWatcher();
    // Stops the watcher; the signals stay blocked.
    ~CTerminationWatcher();
    CTerminationWatcher(const CTerminationWatcher&) = delete;
    CTerminationWatcher& operator=(const CTerminationWatcher&) = delete;

    // Calls onSignal (with the signal number) for every signal that comes.
    // False when the signals cannot be watched.
    bool Start(std::function<void(int)> onSignal);

private:
    void Run();

    std::function<void(int)> m_onSignal;
    std::thread m_thread;
    int m_signalFd = -1;
    int m_stopPipe[2] = {-1, -1};
};

}  // namespace kelvara
