#include "tests/support/directshow/FakeV4L2Io.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace kelvara::dshow::testing {

namespace {

constexpr off_t kBufferOffsetStep = 1 << 20;

std::string FourCC(uint32_t f)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((f >> (8 * i)) & 0xFF));
    return s;
}

v4l2_frmsizeenum DiscreteSize(uint32_t w, uint32_t h)
{
    v4l2_frmsizeenum s{};
    s.type = V4L2_FRMSIZE_TYPE_DISCRETE;
    s.discrete = {w, h};
    return s;
}

v4l2_frmivalenum DiscreteInterval(uint32_t fps)
{
    v4l2_frmivalenum i{};
    i.type = V4L2_FRMIVAL_TYPE_DISCRETE;
    i.discrete = {1, fps};
    return i;
}

RecordedControl Control(uint32_t id, uint32_t type, const char* name, int32_t min, int32_t max, int32_t step,
    int32_t def, std::vector<std::string> menu = {})
{
    RecordedControl c{};
    c.query.id = id;
    c.query.type = type;
    std::snprintf(reinterpret_cast<char*>(c.query.name), sizeof(c.query.name), "%s", name);
    c.query.minimum = min;
    c.query.maximum = max;
    c.query.step = step;
    c.query.default_value = def;
    c.value = def;
    c.menu = std::move(menu);
    return c;
}

void SetPix(v4l2_pix_format& pix, uint32_t format, uint32_t w, uint32_t h)
{
    pix.pixelformat = format;
    pix.width = w;
    pix.height = h;
    pix.field = V4L2_FIELD_NONE;
    if (format == V4L2_PIX_FMT_YUYV) {
        pix.bytesperline = w * 2;
        pix.sizeimage = w * h * 2;
    } else if (format == V4L2_PIX_FMT_BGR24) {
        pix.bytesperline = w * 3;
        pix.sizeimage = w * h * 3;
    } else if (format == V4L2_PIX_FMT_NV12) {
        // Rows padded to 64 bytes, as some drivers align them.
        pix.bytesperline = (w + 63) / 64 * 64;
        pix.sizeimage = pix.bytesperline * (h + (h + 1) / 2);
    } else {
        pix.bytesperline = 0;
        pix.sizeimage = w * h * 2;
    }
}

}  // namespace

std::vector<RecordedDevice> RecordedUsbWebcam()
{
    RecordedDevice cam;
    cam.node = "/dev/video0";
    std::snprintf(reinterpret_cast<char*>(cam.capability.card), sizeof(cam.capability.card), "%s",
        "UVC Camera (046d:0825)");
    std::snprintf(reinterpret_cast<char*>(cam.capability.driver), sizeof(cam.capability.driver), "uvcvideo");
    cam.capability.capabilities
        = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
    cam.capability.device_caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    const std::vector<v4l2_frmsizeenum> sizes
        = {DiscreteSize(640, 480), DiscreteSize(160, 120), DiscreteSize(320, 240), DiscreteSize(1280, 720)};
    cam.formats.push_back({V4L2_PIX_FMT_YUYV, sizes, {DiscreteInterval(30), DiscreteInterval(15)}});
    cam.formats.push_back({V4L2_PIX_FMT_MJPEG, sizes, {DiscreteInterval(30)}});
    cam.controls = {
        Control(V4L2_CID_BRIGHTNESS, V4L2_CTRL_TYPE_INTEGER, "Brightness", 0, 255, 1, 128),
        Control(V4L2_CID_CONTRAST, V4L2_CTRL_TYPE_INTEGER, "Contrast", 0, 255, 1, 32),
        Control(V4L2_CID_SATURATION, V4L2_CTRL_TYPE_INTEGER, "Saturation", 0, 255, 1, 32),
        Control(V4L2_CID_AUTO_WHITE_BALANCE, V4L2_CTRL_TYPE_BOOLEAN, "White Balance, Automatic", 0, 1, 1, 1),
        Control(V4L2_CID_GAIN, V4L2_CTRL_TYPE_INTEGER, "Gain", 0, 255, 1, 0),
        Control(V4L2_CID_POWER_LINE_FREQUENCY, V4L2_CTRL_TYPE_MENU, "Power Line Frequency", 0, 2, 1, 2,
            {"Disabled", "50 Hz", "60 Hz"}),
        Control(V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CTRL_TYPE_INTEGER, "White Balance Temperature", 2800,
            10000, 10, 4000),
        Control(V4L2_CID_SHARPNESS, V4L2_CTRL_TYPE_INTEGER, "Sharpness", 0, 255, 1, 24),
        Control(
            V4L2_CID_BACKLIGHT_COMPENSATION, V4L2_CTRL_TYPE_INTEGER, "Backlight Compensation", 0, 1, 1, 0),
        Control(V4L2_CID_EXPOSURE_AUTO, V4L2_CTRL_TYPE_MENU, "Auto Exposure", 0, 3, 1, 3,
            {"", "Manual Mode", "", "Aperture Priority Mode"}),
        Control(
            V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER, "Exposure Time, Absolute", 1, 10000, 1, 166),
    };
    std::sort(cam.controls.begin(), cam.controls.end(),
        [](const RecordedControl& a, const RecordedControl& b) { return a.query.id < b.query.id; });
    cam.sysfs["/sys/class/video4linux/video0/device/../idVendor"] = "046d\n";
    cam.sysfs["/sys/class/video4linux/video0/device/../idProduct"] = "0825\n";
    SetPix(cam.current, V4L2_PIX_FMT_YUYV, 640, 480);

    RecordedDevice meta;
    meta.node = "/dev/video1";
    meta.capability = cam.capability;
    meta.capability.device_caps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    return {cam, meta};
}

RecordedDevice RecordedStepwiseCamera(const std::string& node)
{
    RecordedDevice cam;
    cam.node = node;
    std::snprintf(reinterpret_cast<char*>(cam.capability.card), sizeof(cam.capability.card), "%s",
        "Platform Cam \xC2\xB5Scope");
    cam.capability.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    v4l2_frmsizeenum range{};
    range.type = V4L2_FRMSIZE_TYPE_STEPWISE;
    range.stepwise = {64, 1920, 16, 48, 1080, 8};
    v4l2_frmivalenum ival{};
    ival.type = V4L2_FRMIVAL_TYPE_CONTINUOUS;
    ival.stepwise.min = {1, 60};
    ival.stepwise.max = {1, 1};
    ival.stepwise.step = {1, 1};
    cam.formats.push_back({V4L2_PIX_FMT_BGR24, {range}, {ival}});
    cam.formats.push_back({V4L2_PIX_FMT_SGRBG10, {range}, {ival}});  // a raw format the layer skips
    cam.formats.push_back({V4L2_PIX_FMT_NV12, {range}, {ival}});
    SetPix(cam.current, V4L2_PIX_FMT_BGR24, 64, 48);
    cam.timePerFrame = {1, 60};
    return cam;
}

void FakeV4L2Io::AddDevice(RecordedDevice device)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string node = device.node;
    m_devices[node].device = std::move(device);
}

void FakeV4L2Io::Unplug(const std::string& node)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_devices[node].unplugged = true;
}

std::vector<std::string> FakeV4L2Io::Log()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

int32_t FakeV4L2Io::ControlValue(const std::string& node, uint32_t id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const RecordedControl& c : m_devices[node].device.controls)
        if (c.query.id == id)
            return c.value;
    return -1;
}

int FakeV4L2Io::OpenDescriptors()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_open.size());
}

std::vector<std::string> FakeV4L2Io::ListVideoNodes()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> nodes;
    for (const auto& [node, state] : m_devices)
        if (!state.unplugged)
            nodes.push_back(node);
    return nodes;
}

bool FakeV4L2Io::ReadTextFile(const std::string& path, std::string* text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [node, state] : m_devices) {
        auto it = state.device.sysfs.find(path);
        if (it != state.device.sysfs.end()) {
            *text = it->second;
            return true;
        }
    }
    return false;
}

int FakeV4L2Io::Open(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_devices.find(path);
    if (it == m_devices.end() || it->second.unplugged) {
        errno = ENOENT;
        return -1;
    }
    if (it->second.device.accessDenied) {
        errno = EACCES;
        return -1;
    }
    const int fd = m_nextFd++;
    m_open[fd] = path;
    return fd;
}

void FakeV4L2Io::Close(int fd)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open.erase(fd);
}

FakeV4L2Io::State* FakeV4L2Io::StateOf(int fd)
{
    auto it = m_open.find(fd);
    return it == m_open.end() ? nullptr : &m_devices[it->second];
}

int FakeV4L2Io::Ioctl(int fd, unsigned long request, void* arg)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    State* s = StateOf(fd);
    if (!s) {
        errno = EBADF;
        return -1;
    }
    if (s->unplugged) {
        errno = ENODEV;
        return -1;
    }
    if (request == VIDIOC_QUERYCAP) {
        *static_cast<v4l2_capability*>(arg) = s->device.capability;
        return 0;
    }
    if (request == VIDIOC_QUERYCTRL || request == VIDIOC_G_CTRL || request == VIDIOC_S_CTRL
        || request == VIDIOC_QUERYMENU)
        return HandleControl(*s, request, arg);
    if (request == VIDIOC_REQBUFS || request == VIDIOC_QUERYBUF || request == VIDIOC_QBUF
        || request == VIDIOC_DQBUF || request == VIDIOC_STREAMON || request == VIDIOC_STREAMOFF)
        return HandleStreaming(*s, request, arg);
    return HandleFormat(*s, request, arg);
}

int FakeV4L2Io::HandleFormat(State& s, unsigned long request, void* arg)
{
    RecordedDevice& d = s.device;
    const bool capture = (d.capability.device_caps ? d.capability.device_caps : d.capability.capabilities)
        & V4L2_CAP_VIDEO_CAPTURE;
    if (request == VIDIOC_ENUM_FMT) {
        auto* desc = static_cast<v4l2_fmtdesc*>(arg);
        if (!capture || desc->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || desc->index >= d.formats.size()) {
            errno = EINVAL;
            return -1;
        }
        desc->pixelformat = d.formats[desc->index].pixelFormat;
        return 0;
    }
    auto findFormat = [&](uint32_t pixelFormat) -> RecordedFormat* {
        for (RecordedFormat& f : d.formats)
            if (f.pixelFormat == pixelFormat)
                return &f;
        return nullptr;
    };
    if (request == VIDIOC_ENUM_FRAMESIZES) {
        auto* size = static_cast<v4l2_frmsizeenum*>(arg);
        RecordedFormat* f = findFormat(size->pixel_format);
        if (!f || size->index >= f->sizes.size()) {
            errno = EINVAL;
            return -1;
        }
        const uint32_t index = size->index;
        const uint32_t format = size->pixel_format;
        *size = f->sizes[index];
        size->index = index;
        size->pixel_format = format;
        return 0;
    }
    if (request == VIDIOC_ENUM_FRAMEINTERVALS) {
        auto* ival = static_cast<v4l2_frmivalenum*>(arg);
        RecordedFormat* f = findFormat(ival->pixel_format);
        if (!f || ival->index >= f->intervals.size()) {
            errno = EINVAL;
            return -1;
        }
        v4l2_frmivalenum answer = f->intervals[ival->index];
        answer.index = ival->index;
        answer.pixel_format = ival->pixel_format;
        answer.width = ival->width;
        answer.height = ival->height;
        *ival = answer;
        return 0;
    }
    if (request == VIDIOC_G_FMT || request == VIDIOC_S_FMT) {
        auto* fmt = static_cast<v4l2_format*>(arg);
        if (!capture || fmt->type != V4L2_BUF_TYPE_VIDEO_CAPTURE) {
            errno = EINVAL;
            return -1;
        }
        if (request == VIDIOC_S_FMT) {
            if (s.streaming) {
                errno = EBUSY;
                return -1;
            }
            // Like uvcvideo: an unknown format becomes the first, a size the closest offered.
            RecordedFormat* f = findFormat(fmt->fmt.pix.pixelformat);
            if (!f)
                f = &d.formats.front();
            uint32_t w = fmt->fmt.pix.width;
            uint32_t h = fmt->fmt.pix.height;
            uint32_t bestW = 0;
            uint32_t bestH = 0;
            uint64_t best = UINT64_MAX;
            for (const v4l2_frmsizeenum& size : f->sizes) {
                uint32_t cw = size.discrete.width;
                uint32_t ch = size.discrete.height;
                if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE) {
                    const auto& r = size.stepwise;
                    cw = std::clamp(w, r.min_width, r.max_width);
                    ch = std::clamp(h, r.min_height, r.max_height);
                    cw = r.min_width + (cw - r.min_width) / r.step_width * r.step_width;
                    ch = r.min_height + (ch - r.min_height) / r.step_height * r.step_height;
                }
                const uint64_t dist = static_cast<uint64_t>(std::abs(static_cast<int64_t>(cw) - w))
                    + static_cast<uint64_t>(std::abs(static_cast<int64_t>(ch) - h));
                if (dist < best) {
                    best = dist;
                    bestW = cw;
                    bestH = ch;
                }
            }
            SetPix(d.current, f->pixelFormat, bestW, bestH);
            // Like uvcvideo: a new format starts at the frame's default
            // interval (the first listed), whatever was set before.
            if (!f->intervals.empty()) {
                const v4l2_frmivalenum& first = f->intervals.front();
                d.timePerFrame
                    = first.type == V4L2_FRMIVAL_TYPE_DISCRETE ? first.discrete : first.stepwise.min;
            }
            m_log.push_back("S_FMT " + FourCC(f->pixelFormat) + " " + std::to_string(bestW) + "x"
                + std::to_string(bestH));
        }
        fmt->fmt.pix = d.current;
        return 0;
    }
    if (request == VIDIOC_G_PARM || request == VIDIOC_S_PARM) {
        auto* parm = static_cast<v4l2_streamparm*>(arg);
        if (request == VIDIOC_S_PARM) {
            d.timePerFrame = parm->parm.capture.timeperframe;
            m_log.push_back("S_PARM " + std::to_string(d.timePerFrame.numerator) + "/"
                + std::to_string(d.timePerFrame.denominator));
        }
        parm->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
        parm->parm.capture.timeperframe = d.timePerFrame;
        return 0;
    }
    errno = ENOTTY;
    return -1;
}

int FakeV4L2Io::HandleControl(State& s, unsigned long request, void* arg)
{
    auto& controls = s.device.controls;
    auto find = [&](uint32_t id) -> RecordedControl* {
        for (RecordedControl& c : controls)
            if (c.query.id == id)
                return &c;
        return nullptr;
    };
    if (request == VIDIOC_QUERYCTRL) {
        auto* q = static_cast<v4l2_queryctrl*>(arg);
        RecordedControl* c = nullptr;
        if (q->id & V4L2_CTRL_FLAG_NEXT_CTRL) {
            const uint32_t after = q->id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
            for (RecordedControl& candidate : controls)
                if (candidate.query.id > after && (!c || candidate.query.id < c->query.id))
                    c = &candidate;
        } else {
            c = find(q->id);
        }
        if (!c) {
            errno = EINVAL;
            return -1;
        }
        *q = c->query;
        return 0;
    }
    if (request == VIDIOC_QUERYMENU) {
        auto* m = static_cast<v4l2_querymenu*>(arg);
        RecordedControl* c = find(m->id);
        const int64_t slot = static_cast<int64_t>(m->index) - (c ? c->query.minimum : 0);
        if (!c || slot < 0 || slot >= static_cast<int64_t>(c->menu.size()) || c->menu[slot].empty()) {
            errno = EINVAL;
            return -1;
        }
        std::snprintf(reinterpret_cast<char*>(m->name), sizeof(m->name), "%s", c->menu[slot].c_str());
        return 0;
    }
    auto* ctrl = static_cast<v4l2_control*>(arg);
    RecordedControl* c = find(ctrl->id);
    if (!c) {
        errno = EINVAL;
        return -1;
    }
    if (request == VIDIOC_G_CTRL) {
        ctrl->value = c->value;
        return 0;
    }
    if (ctrl->value < c->query.minimum || ctrl->value > c->query.maximum) {
        errno = ERANGE;
        return -1;
    }
    // Manual values are refused while their automatic mode is on, as uvcvideo does.
    RecordedControl* autoWb = find(V4L2_CID_AUTO_WHITE_BALANCE);
    RecordedControl* autoExposure = find(V4L2_CID_EXPOSURE_AUTO);
    if ((ctrl->id == V4L2_CID_WHITE_BALANCE_TEMPERATURE && autoWb && autoWb->value != 0)
        || (ctrl->id == V4L2_CID_EXPOSURE_ABSOLUTE && autoExposure
            && autoExposure->value != V4L2_EXPOSURE_MANUAL)) {
        errno = EACCES;
        return -1;
    }
    c->value = ctrl->value;
    char line[64];
    std::snprintf(line, sizeof(line), "S_CTRL 0x%08x=%d", ctrl->id, ctrl->value);
    m_log.push_back(line);
    return 0;
}

int FakeV4L2Io::HandleStreaming(State& s, unsigned long request, void* arg)
{
    if (request == VIDIOC_REQBUFS) {
        auto* req = static_cast<v4l2_requestbuffers*>(arg);
        if (s.streaming && req->count > 0) {
            errno = EBUSY;
            return -1;
        }
        s.buffers.assign(req->count, std::vector<uint8_t>(std::max<uint32_t>(s.device.current.sizeimage, 1)));
        s.queued.assign(req->count, false);
        m_log.push_back("REQBUFS " + std::to_string(req->count));
        return 0;
    }
    if (request == VIDIOC_STREAMON || request == VIDIOC_STREAMOFF) {
        s.streaming = request == VIDIOC_STREAMON;
        if (!s.streaming)
            s.queued.assign(s.queued.size(), false);
        m_log.push_back(s.streaming ? "STREAMON" : "STREAMOFF");
        return 0;
    }
    auto* buf = static_cast<v4l2_buffer*>(arg);
    if (request == VIDIOC_DQBUF) {
        for (size_t i = 0; i < s.queued.size(); ++i) {
            if (s.queued[i] && s.streaming) {
                s.queued[i] = false;
                buf->index = static_cast<uint32_t>(i);
                FillFrame(s, s.buffers[i], &buf->bytesused);
                buf->length = static_cast<uint32_t>(s.buffers[i].size());
                return 0;
            }
        }
        errno = EAGAIN;
        return -1;
    }
    if (buf->index >= s.buffers.size()) {
        errno = EINVAL;
        return -1;
    }
    if (request == VIDIOC_QUERYBUF) {
        buf->length = static_cast<uint32_t>(s.buffers[buf->index].size());
        buf->m.offset = static_cast<uint32_t>(buf->index * kBufferOffsetStep);
        return 0;
    }
    s.queued[buf->index] = true;  // QBUF
    return 0;
}

void FakeV4L2Io::FillFrame(State& s, std::vector<uint8_t>& buffer, uint32_t* bytesUsed)
{
    const v4l2_pix_format& pix = s.device.current;
    ++s.frameNumber;
    if (s.device.emptyBufferEvery != 0 && s.frameNumber % s.device.emptyBufferEvery == 0) {
        *bytesUsed = 0;
        return;
    }
    if (pix.pixelformat == V4L2_PIX_FMT_MJPEG) {
        const size_t used = std::min<size_t>(s.device.mjpegBytesUsed, buffer.size());
        std::fill(buffer.begin(), buffer.begin() + used, static_cast<uint8_t>(s.frameNumber));
        buffer[0] = 0xFF;
        buffer[1] = 0xD8;
        *bytesUsed = static_cast<uint32_t>(used);
        return;
    }
    // Each row carries its row number, so orientation can be checked.
    for (uint32_t y = 0; y < pix.height && (y + 1) * pix.bytesperline <= buffer.size(); ++y)
        std::fill_n(buffer.begin() + y * pix.bytesperline, pix.bytesperline, static_cast<uint8_t>(y));
    *bytesUsed = pix.sizeimage;
}

void* FakeV4L2Io::Map(int fd, size_t length, off_t offset)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    State* s = StateOf(fd);
    const size_t index = static_cast<size_t>(offset / kBufferOffsetStep);
    if (!s || index >= s->buffers.size() || length > s->buffers[index].size())
        return nullptr;
    return s->buffers[index].data();
}

void FakeV4L2Io::Unmap(void*, size_t) { }

int FakeV4L2Io::Poll(int fd, int timeoutMs, short* revents)
{
    int waitMs = timeoutMs;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        State* s = StateOf(fd);
        if (!s)
            return -1;
        if (s->unplugged) {
            *revents = POLLERR | POLLHUP;
            return 1;
        }
        const bool frameDue
            = s->streaming && std::any_of(s->queued.begin(), s->queued.end(), [](bool q) { return q; });
        if (frameDue) {
            const v4l2_fract& t = s->device.timePerFrame;
            waitMs = t.denominator ? static_cast<int>(1000 * t.numerator / t.denominator) : 10;
        }
        if (!frameDue) {
            *revents = 0;
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(waitMs, timeoutMs)));
    std::lock_guard<std::mutex> lock(m_mutex);
    State* s = StateOf(fd);
    if (!s)
        return -1;
    if (s->unplugged) {
        *revents = POLLERR | POLLHUP;
        return 1;
    }
    const bool ready
        = s->streaming && std::any_of(s->queued.begin(), s->queued.end(), [](bool q) { return q; });
    *revents = ready ? POLLIN : 0;
    return ready ? 1 : 0;
}

}  // namespace kelvara::dshow::testing
