// V4L2 capture devices.

#include "platform/directshow/V4L2CaptureDevice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/videodev2.h>
#include <poll.h>

#include "platform/directshow/MediaType.h"
#include "platform/directshow/V4L2Mapping.h"

namespace kelvara::dshow {

namespace {

constexpr unsigned kBufferCount = 4;
constexpr int kPollTimeoutMs = 100;

}  // namespace

std::shared_ptr<V4L2CaptureDevice> V4L2CaptureDevice::Open(
    std::shared_ptr<V4L2Io> io, const std::string& node, HRESULT* result)
{
    const int fd = io->Open(node);
    if (fd < 0) {
        if (result)
            *result = errno == ENOENT || errno == ENODEV ? E_DEVICE_NOT_CONNECTED : E_ACCESSDENIED;
        return nullptr;
    }
    std::shared_ptr<V4L2CaptureDevice> device(new V4L2CaptureDevice(std::move(io), fd));
    device->ReadFormats();
    if (device->m_formats.empty() || !device->ReadCurrentFormat()) {
        if (result)
            *result = device->m_gone ? E_DEVICE_NOT_CONNECTED : VFW_E_NO_ACCEPTABLE_TYPES;
        return nullptr;
    }
    if (result)
        *result = S_OK;
    return device;
}

V4L2CaptureDevice::V4L2CaptureDevice(std::shared_ptr<V4L2Io> io, int fd)
    : m_io(std::move(io))
    , m_fd(fd)
{
}

V4L2CaptureDevice::~V4L2CaptureDevice()
{
    Stop(PinKind::Capture);
    m_io->Close(m_fd);
}

bool V4L2CaptureDevice::Call(unsigned long request, void* arg, int* error)
{
    if (m_io->Ioctl(m_fd, request, arg) == 0)
        return true;
    const int e = errno;
    if (e == ENODEV)
        m_gone = true;
    if (error)
        *error = e;
    return false;
}

HRESULT V4L2CaptureDevice::ErrorResult(int error) const
{
    if (error == ENODEV || m_gone.load())
        return E_DEVICE_NOT_CONNECTED;
    if (error == EINVAL || error == ERANGE)
        return E_INVALIDARG;
    if (error == EBUSY)
        return VFW_E_NOT_STOPPED;
    return E_FAIL;
}

void V4L2CaptureDevice::ReadFormats()
{
    for (uint32_t i = 0;; ++i) {
        v4l2_fmtdesc desc{};
        desc.index = i;
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (!Call(VIDIOC_ENUM_FMT, &desc))
            break;
        GUID subtype{};
        if (!SubtypeForPixelFormat(desc.pixelformat, &subtype))
            continue;
        for (uint32_t j = 0;; ++j) {
            v4l2_frmsizeenum size{};
            size.index = j;
            size.pixel_format = desc.pixelformat;
            if (!Call(VIDIOC_ENUM_FRAMESIZES, &size))
                break;
            FormatRange range;
            uint32_t probeWidth = 0;
            uint32_t probeHeight = 0;
            if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                range = FormatRange::Discrete(
                    subtype, static_cast<int>(size.discrete.width), static_cast<int>(size.discrete.height));
                probeWidth = size.discrete.width;
                probeHeight = size.discrete.height;
            } else {
                const auto& s = size.stepwise;
                const int stepW
                    = size.type == V4L2_FRMSIZE_TYPE_CONTINUOUS ? 1 : static_cast<int>(s.step_width);
                const int stepH
                    = size.type == V4L2_FRMSIZE_TYPE_CONTINUOUS ? 1 : static_cast<int>(s.step_height);
                range = FormatRange::Stepwise(subtype, static_cast<int>(s.min_width),
                    static_cast<int>(s.min_height), static_cast<int>(s.max_width),
                    static_cast<int>(s.max_height), stepW, stepH);
                probeWidth = s.max_width;
                probeHeight = s.max_height;
            }
            // Frame intervals at the range's largest size.
            for (uint32_t k = 0;; ++k) {
                v4l2_frmivalenum ival{};
                ival.index = k;
                ival.pixel_format = desc.pixelformat;
                ival.width = probeWidth;
                ival.height = probeHeight;
                if (!Call(VIDIOC_ENUM_FRAMEINTERVALS, &ival))
                    break;
                REFERENCE_TIME shortest = 0;
                REFERENCE_TIME longest = 0;
                if (ival.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
                    shortest = longest
                        = IntervalFromFraction(ival.discrete.numerator, ival.discrete.denominator);
                } else {
                    shortest
                        = IntervalFromFraction(ival.stepwise.min.numerator, ival.stepwise.min.denominator);
                    longest
                        = IntervalFromFraction(ival.stepwise.max.numerator, ival.stepwise.max.denominator);
                }
                if (shortest > 0 && (range.minInterval == 0 || shortest < range.minInterval))
                    range.minInterval = shortest;
                if (longest > range.maxInterval)
                    range.maxInterval = longest;
                if (ival.type != V4L2_FRMIVAL_TYPE_DISCRETE)
                    break;
            }
            m_formats.push_back(range);
            if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE)
                break;
        }
    }
}

bool V4L2CaptureDevice::ReadCurrentFormat()
{
    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (!Call(VIDIOC_G_FMT, &fmt))
        return false;
    GUID subtype{};
    if (!SubtypeForPixelFormat(fmt.fmt.pix.pixelformat, &subtype)) {
        // The driver sits on a format we do not hand on: take our first one.
        const FormatRange& first = m_formats.front();
        fmt.fmt.pix.pixelformat = PixelFormatForSubtype(first.subtype);
        fmt.fmt.pix.width = static_cast<uint32_t>(first.maxWidth);
        fmt.fmt.pix.height = static_cast<uint32_t>(first.maxHeight);
        fmt.fmt.pix.field = V4L2_FIELD_ANY;
        if (!Call(VIDIOC_S_FMT, &fmt) || !SubtypeForPixelFormat(fmt.fmt.pix.pixelformat, &subtype))
            return false;
    }
    REFERENCE_TIME interval = 0;
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Call(VIDIOC_G_PARM, &parm))
        interval = IntervalFromFraction(
            parm.parm.capture.timeperframe.numerator, parm.parm.capture.timeperframe.denominator);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_current
        = {subtype, static_cast<int>(fmt.fmt.pix.width), static_cast<int>(fmt.fmt.pix.height), interval};
    m_bytesPerLine = fmt.fmt.pix.bytesperline;
    return true;
}

std::vector<FormatRange> V4L2CaptureDevice::Formats(PinKind pin) const
{
    return pin == PinKind::Capture ? m_formats : std::vector<FormatRange>{};
}

VideoFormat V4L2CaptureDevice::CurrentFormat(PinKind pin) const
{
    if (pin != PinKind::Capture)
        return {};
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_current;
}

HRESULT V4L2CaptureDevice::SetFormat(PinKind pin, const VideoFormat& format)
{
    if (pin != PinKind::Capture)
        return E_FAIL;
    if (m_gone.load())
        return E_DEVICE_NOT_CONNECTED;
    if (m_thread.joinable())
        return VFW_E_NOT_STOPPED;
    const bool offered = std::any_of(m_formats.begin(), m_formats.end(), [&](const FormatRange& r) {
        return r.subtype == format.subtype && r.Contains(format.width, format.height);
    });
    if (!offered)
        return VFW_E_INVALIDMEDIATYPE;
    v4l2_format old{};
    old.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    int error = 0;
    if (!Call(VIDIOC_G_FMT, &old, &error))
        return ErrorResult(error);
    HRESULT result = VFW_E_INVALIDMEDIATYPE;
    for (int choice = 0; uint32_t pixelFormat = PixelFormatForSubtype(format.subtype, choice); ++choice) {
        v4l2_format fmt = old;
        fmt.fmt.pix.pixelformat = pixelFormat;
        fmt.fmt.pix.width = static_cast<uint32_t>(format.width);
        fmt.fmt.pix.height = static_cast<uint32_t>(format.height);
        fmt.fmt.pix.field = V4L2_FIELD_ANY;
        fmt.fmt.pix.bytesperline = 0;
        if (!Call(VIDIOC_S_FMT, &fmt, &error)) {
            if (m_gone.load())
                return E_DEVICE_NOT_CONNECTED;
            result = ErrorResult(error);
            continue;
        }
        // Drivers adjust instead of refusing: anything but the exact format
        // is a refusal, and the old format goes back.
        if (fmt.fmt.pix.pixelformat != pixelFormat || fmt.fmt.pix.width != static_cast<uint32_t>(format.width)
            || fmt.fmt.pix.height != static_cast<uint32_t>(format.height)) {
            v4l2_format restore = old;
            Call(VIDIOC_S_FMT, &restore);
            continue;
        }
        if (format.frameInterval > 0) {
            v4l2_streamparm parm{};
            parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            parm.parm.capture.timeperframe.numerator = static_cast<uint32_t>(format.frameInterval);
            parm.parm.capture.timeperframe.denominator = 10000000;
            Call(VIDIOC_S_PARM, &parm);  // a driver that keeps its rate is no failure
        }
        ReadCurrentFormat();
        return S_OK;
    }
    return result;
}

void V4L2CaptureDevice::ReleaseBuffers()
{
    for (Buffer& b : m_buffers)
        if (b.start)
            m_io->Unmap(b.start, b.length);
    m_buffers.clear();
    v4l2_requestbuffers req{};
    req.count = 0;
    req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    req.memory = V4L2_MEMORY_MMAP;
    Call(VIDIOC_REQBUFS, &req);
}

HRESULT V4L2CaptureDevice::Start(PinKind pin, FrameSink sink)
{
    if (pin != PinKind::Capture || !sink)
        return E_FAIL;
    if (m_gone.load())
        return E_DEVICE_NOT_CONNECTED;
    if (m_thread.joinable())
        return S_OK;
    int error = 0;
    v4l2_requestbuffers req{};
    req.count = kBufferCount;
    req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    req.memory = V4L2_MEMORY_MMAP;
    if (!Call(VIDIOC_REQBUFS, &req, &error) || req.count == 0)
        return req.count == 0 && error == 0 ? E_OUTOFMEMORY : ErrorResult(error);
    for (uint32_t i = 0; i < req.count; ++i) {
        v4l2_buffer buf{};
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        buf.index = i;
        Buffer mapped;
        if (Call(VIDIOC_QUERYBUF, &buf, &error)) {
            mapped.length = buf.length;
            mapped.start = m_io->Map(m_fd, buf.length, static_cast<off_t>(buf.m.offset));
        }
        if (!mapped.start || !Call(VIDIOC_QBUF, &buf, &error)) {
            if (mapped.start)
                m_io->Unmap(mapped.start, mapped.length);
            ReleaseBuffers();
            return error ? ErrorResult(error) : E_OUTOFMEMORY;
        }
        m_buffers.push_back(mapped);
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (!Call(VIDIOC_STREAMON, &type, &error)) {
        ReleaseBuffers();
        return ErrorResult(error);
    }
    m_stop = false;
    m_thread = std::thread(&V4L2CaptureDevice::ThreadMain, this, std::move(sink));
    return S_OK;
}

void V4L2CaptureDevice::Stop(PinKind pin)
{
    if (pin != PinKind::Capture || !m_thread.joinable())
        return;
    m_stop = true;
    m_thread.join();
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    Call(VIDIOC_STREAMOFF, &type);
    ReleaseBuffers();
}

void V4L2CaptureDevice::Deliver(const FrameSink& sink, const uint8_t* data, size_t length)
{
    VideoFormat format;
    uint32_t bytesPerLine = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        format = m_current;
        bytesPerLine = m_bytesPerLine;
    }
    const REFERENCE_TIME now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count()
        / 100;
    const uint8_t* frame = nullptr;
    size_t frameLength = 0;
    if (m_layout.Arrange(format, bytesPerLine, data, length, &frame, &frameLength))
        sink(frame, frameLength, now);
}

void V4L2CaptureDevice::ThreadMain(FrameSink sink)
{
    auto last = std::chrono::steady_clock::time_point{};
    while (!m_stop.load()) {
        short revents = 0;
        const int ready = m_io->Poll(m_fd, kPollTimeoutMs, &revents);
        if (ready == 0)
            continue;
        if (ready < 0) {
            m_gone = true;
            break;
        }
        v4l2_buffer buf{};
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        int error = 0;
        if (!Call(VIDIOC_DQBUF, &buf, &error)) {
            if (error == EAGAIN && !(revents & (POLLERR | POLLHUP | POLLNVAL)))
                continue;
            // Unplugged (ENODEV) or the stream broke: end it cleanly.
            m_gone = true;
            break;
        }
        // An empty buffer (its payload was lost) is no frame: a length of 0
        // would read as "unknown" further on.
        if (buf.index < m_buffers.size() && !(buf.flags & V4L2_BUF_FLAG_ERROR) && buf.bytesused > 0) {
            const Buffer& b = m_buffers[buf.index];
            Deliver(sink, static_cast<const uint8_t*>(b.start), std::min<size_t>(buf.bytesused, b.length));
            const auto now = std::chrono::steady_clock::now();
            if (last != std::chrono::steady_clock::time_point{}) {
                const REFERENCE_TIME measured
                    = std::chrono::duration_cast<std::chrono::nanoseconds>(now - last).count() / 100;
                const REFERENCE_TIME old = m_measuredInterval.load();
                m_measuredInterval = old == 0 ? measured : (old * 7 + measured) / 8;
            }
            last = now;
        }
        if (!Call(VIDIOC_QBUF, &buf, &error) && m_gone.load())
            break;
    }
}

bool V4L2CaptureDevice::IsAuto(uint32_t autoControl, int32_t value) const
{
    if (autoControl == V4L2_CID_EXPOSURE_AUTO)
        return value != V4L2_EXPOSURE_MANUAL;
    return value != 0;
}

HRESULT V4L2CaptureDevice::SetAuto(uint32_t autoControl, bool on)
{
    v4l2_control ctrl{};
    ctrl.id = autoControl;
    if (autoControl == V4L2_CID_EXPOSURE_AUTO) {
        ctrl.value = V4L2_EXPOSURE_MANUAL;
        if (on) {
            // UVC cameras usually offer aperture priority rather than full auto.
            ctrl.value = V4L2_EXPOSURE_AUTO;
            for (int mode : {V4L2_EXPOSURE_APERTURE_PRIORITY, V4L2_EXPOSURE_AUTO}) {
                v4l2_querymenu menu{};
                menu.id = autoControl;
                menu.index = static_cast<uint32_t>(mode);
                if (Call(VIDIOC_QUERYMENU, &menu)) {
                    ctrl.value = mode;
                    break;
                }
            }
        }
    } else {
        ctrl.value = on ? 1 : 0;
    }
    int error = 0;
    return Call(VIDIOC_S_CTRL, &ctrl, &error) ? S_OK : ErrorResult(error);
}

HRESULT V4L2CaptureDevice::GetControlRange(ControlSet set, long property, ControlRange* range)
{
    if (!range)
        return E_POINTER;
    if (m_gone.load())
        return E_DEVICE_NOT_CONNECTED;
    V4L2ControlMapping map{};
    if (!MapControl(set, property, &map))
        return E_PROP_ID_UNSUPPORTED;
    v4l2_queryctrl q{};
    q.id = map.valueControl;
    int error = 0;
    if (!Call(VIDIOC_QUERYCTRL, &q, &error) || (q.flags & V4L2_CTRL_FLAG_DISABLED))
        return m_gone.load() ? E_DEVICE_NOT_CONNECTED : E_PROP_ID_UNSUPPORTED;
    range->minimum = q.minimum;
    range->maximum = q.maximum;
    range->step = q.step > 0 ? q.step : 1;
    range->defaultValue = q.default_value;
    range->capsFlags = 2;
    if (map.autoControl) {
        v4l2_queryctrl a{};
        a.id = map.autoControl;
        if (Call(VIDIOC_QUERYCTRL, &a) && !(a.flags & V4L2_CTRL_FLAG_DISABLED))
            range->capsFlags |= 1;
    }
    return S_OK;
}

HRESULT V4L2CaptureDevice::GetControl(ControlSet set, long property, long* value, long* flags)
{
    if (!value || !flags)
        return E_POINTER;
    if (m_gone.load())
        return E_DEVICE_NOT_CONNECTED;
    V4L2ControlMapping map{};
    if (!MapControl(set, property, &map))
        return E_PROP_ID_UNSUPPORTED;
    v4l2_control ctrl{};
    ctrl.id = map.valueControl;
    int error = 0;
    if (!Call(VIDIOC_G_CTRL, &ctrl, &error))
        return error == EINVAL ? E_PROP_ID_UNSUPPORTED : ErrorResult(error);
    *value = ctrl.value;
    *flags = 2;
    if (map.autoControl) {
        v4l2_control a{};
        a.id = map.autoControl;
        if (Call(VIDIOC_G_CTRL, &a) && IsAuto(map.autoControl, a.value))
            *flags = 1;
    }
    return S_OK;
}

HRESULT V4L2CaptureDevice::SetControl(ControlSet set, long property, long value, long flags)
{
    if (m_gone.load())
        return E_DEVICE_NOT_CONNECTED;
    V4L2ControlMapping map{};
    if (!MapControl(set, property, &map))
        return E_PROP_ID_UNSUPPORTED;
    v4l2_queryctrl q{};
    q.id = map.valueControl;
    if (!Call(VIDIOC_QUERYCTRL, &q) || (q.flags & V4L2_CTRL_FLAG_DISABLED))
        return m_gone.load() ? E_DEVICE_NOT_CONNECTED : E_PROP_ID_UNSUPPORTED;
    if (flags & 1) {
        if (!map.autoControl)
            return E_INVALIDARG;
        return SetAuto(map.autoControl, true);
    }
    if (value < q.minimum || value > q.maximum)
        return E_INVALIDARG;
    // A manual value is refused while the automatic mode owns the control.
    if (map.autoControl) {
        v4l2_queryctrl a{};
        a.id = map.autoControl;
        if (Call(VIDIOC_QUERYCTRL, &a) && !(a.flags & V4L2_CTRL_FLAG_DISABLED)) {
            HRESULT hr = SetAuto(map.autoControl, false);
            if (FAILED(hr))
                return hr;
        }
    }
    v4l2_control ctrl{};
    ctrl.id = map.valueControl;
    ctrl.value = static_cast<int32_t>(value);
    int error = 0;
    return Call(VIDIOC_S_CTRL, &ctrl, &error) ? S_OK : ErrorResult(error);
}

std::vector<PropertySheetControl> V4L2CaptureDevice::SheetControls()
{
    std::vector<PropertySheetControl> list;
    v4l2_queryctrl q{};
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (Call(VIDIOC_QUERYCTRL, &q)) {
        const uint32_t id = q.id;
        const bool shown = !(q.flags & V4L2_CTRL_FLAG_DISABLED)
            && (q.type == V4L2_CTRL_TYPE_INTEGER || q.type == V4L2_CTRL_TYPE_BOOLEAN
                || q.type == V4L2_CTRL_TYPE_MENU || q.type == V4L2_CTRL_TYPE_INTEGER_MENU);
        if (shown) {
            PropertySheetControl c;
            c.name = WidenUtf8(std::string(reinterpret_cast<const char*>(q.name),
                strnlen(reinterpret_cast<const char*>(q.name), sizeof(q.name))));
            c.minimum = q.minimum;
            c.maximum = q.maximum;
            c.step = q.step > 0 ? q.step : 1;
            c.defaultValue = q.default_value;
            c.readOnly = (q.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_GRABBED)) != 0;
            v4l2_control ctrl{};
            ctrl.id = id;
            if (Call(VIDIOC_G_CTRL, &ctrl))
                c.value = ctrl.value;
            if (q.type == V4L2_CTRL_TYPE_MENU || q.type == V4L2_CTRL_TYPE_INTEGER_MENU) {
                for (int32_t i = q.minimum; i <= q.maximum && i - q.minimum < 256; ++i) {
                    v4l2_querymenu menu{};
                    menu.id = id;
                    menu.index = static_cast<uint32_t>(i);
                    if (!Call(VIDIOC_QUERYMENU, &menu))
                        continue;
                    std::wstring label = q.type == V4L2_CTRL_TYPE_MENU
                        ? WidenUtf8(std::string(reinterpret_cast<const char*>(menu.name),
                            strnlen(reinterpret_cast<const char*>(menu.name), sizeof(menu.name))))
                        : std::to_wstring(menu.value);
                    c.choices.push_back({i, label});
                }
            }
            c.apply = [this, id](long value, bool) {
                v4l2_control set{};
                set.id = id;
                set.value = static_cast<int32_t>(value);
                return Call(VIDIOC_S_CTRL, &set);
            };
            list.push_back(std::move(c));
        }
        q = v4l2_queryctrl{};
        q.id = id | V4L2_CTRL_FLAG_NEXT_CTRL;
        if (m_gone.load())
            break;
    }
    return list;
}

}  // namespace kelvara::dshow
