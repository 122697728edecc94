#pragma once
// The boundary between the V4L2 provider and the kernel: device nodes, sysfs
// text, open/ioctl/mmap/poll. The system implementation passes the calls
// through; tests put recorded device answers behind it.
//
// Threads: an implementation must allow calls from several threads (the UI
// thread and one streaming thread per open device) on different or the same
// file descriptors, as the kernel does.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

namespace kelvara::dshow {

class V4L2Io
{
public:
    virtual ~V4L2Io() = default;

    // Video device nodes ("/dev/video0", ...) in ascending number order.
    virtual std::vector<std::string> ListVideoNodes() = 0;
    // Reads a small text file (sysfs); false when it does not exist.
    virtual bool ReadTextFile(const std::string& path, std::string* text) = 0;

    // As open(2) with O_RDWR | O_NONBLOCK | O_CLOEXEC: a descriptor or -1 (errno set).
    virtual int Open(const std::string& path) = 0;
    virtual void Close(int fd) = 0;
    // As ioctl(2), retried on EINTR: 0 or -1 (errno set).
    virtual int Ioctl(int fd, unsigned long request, void* arg) = 0;
    // As mmap(2) of a shared read/write mapping; null on failure.
    virtual void* Map(int fd, size_t length, off_t offset) = 0;
    virtual void Unmap(void* address, size_t length) = 0;
    // As poll(2) for POLLIN on one descriptor: >0 ready (revents filled),
    // 0 timeout, -1 error.
    virtual int Poll(int fd, int timeoutMs, short* revents) = 0;

    // The real kernel interface.
    static std::shared_ptr<V4L2Io> System();
};

}  // namespace kelvara::dshow
