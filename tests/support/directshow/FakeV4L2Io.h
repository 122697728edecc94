#pragma once
// A stand-in for the kernel behind the V4L2 provider: devices described by
// their recorded ioctl answers (capabilities, formats, frame sizes and
// intervals, controls, menus, sysfs ids), answering the requests the
// provider makes the way uvcvideo does, with mmap buffers that fill with
// frames while streaming. Every request is logged for tests to inspect.
//
// Threads: all members may be called from any thread (one lock).

#include <linux/videodev2.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/directshow/V4L2Io.h"

namespace kelvara::dshow::testing {

struct RecordedFormat
{
    uint32_t pixelFormat;
    std::vector<v4l2_frmsizeenum> sizes;  // index and pixel_format filled by the fake
    std::vector<v4l2_frmivalenum> intervals;  // the same for every size
};

struct RecordedControl
{
    v4l2_queryctrl query;
    int32_t value;
    std::vector<std::string> menu;  // menu item names by index from query.minimum; "" = absent
};

struct RecordedDevice
{
    std::string node;
    v4l2_capability capability{};
    std::vector<RecordedFormat> formats;
    std::vector<RecordedControl> controls;
    std::map<std::string, std::string> sysfs;  // path -> text
    v4l2_pix_format current{};
    v4l2_fract timePerFrame{1, 30};
    uint32_t mjpegBytesUsed = 4096;  // bytesused of a compressed frame
    // Every n-th buffer comes back with bytesused 0 (its payload was lost),
    // as uvcvideo hands back buffers of dropped or empty payloads; 0 = never.
    uint32_t emptyBufferEvery = 0;
    // open() fails with EACCES, as for a node of the "video" group when the
    // user is not in it; sysfs still answers.
    bool accessDenied = false;
};

// Two nodes of a USB webcam (046d:0825): the capture node with YUYV and MJPG
// discrete sizes and the usual UVC controls, and its metadata node.
std::vector<RecordedDevice> RecordedUsbWebcam();
// A camera on a platform bus: BGR24 over a step-wise size range, no USB ids.
RecordedDevice RecordedStepwiseCamera(const std::string& node);

class FakeV4L2Io final : public V4L2Io
{
public:
    void AddDevice(RecordedDevice device);
    // Every later request on the node fails with ENODEV; polls report POLLERR.
    void Unplug(const std::string& node);
    // "S_FMT YUYV 640x480", "S_CTRL 0x00980900=12", "STREAMON", ... in order.
    std::vector<std::string> Log();
    int32_t ControlValue(const std::string& node, uint32_t id);
    int OpenDescriptors();

    std::vector<std::string> ListVideoNodes() override;
    bool ReadTextFile(const std::string& path, std::string* text) override;
    int Open(const std::string& path) override;
    void Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* arg) override;
    void* Map(int fd, size_t length, off_t offset) override;
    void Unmap(void* address, size_t length) override;
    int Poll(int fd, int timeoutMs, short* revents) override;

private:
    struct State
    {
        RecordedDevice device;
        bool unplugged = false;
        bool streaming = false;
        std::vector<std::vector<uint8_t>> buffers;
        std::vector<bool> queued;
        uint64_t frameNumber = 0;
    };

    State* StateOf(int fd);
    int HandleFormat(State& s, unsigned long request, void* arg);
    int HandleControl(State& s, unsigned long request, void* arg);
    int HandleStreaming(State& s, unsigned long request, void* arg);
    void FillFrame(State& s, std::vector<uint8_t>& buffer, uint32_t* bytesUsed);

    std::mutex m_mutex;
    std::map<std::string, State> m_devices;
    std::map<int, std::string> m_open;
    int m_nextFd = 100;
    std::vector<std::string> m_log;
};

}  // namespace kelvara::dshow::testing
