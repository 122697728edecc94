// Virtual capture devices: formats, controls, streaming thread, faults.

#include "platform/directshow/VirtualCaptureDevice.h"

#include <pthread.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kelvara::dshow {

namespace {

using Clock = std::chrono::steady_clock;

// Frames a sensor holds for a sink that is still busy, as a V4L2 driver's
// mmap buffers do (the V4L2 provider queues four).
constexpr int64_t kDriverBuffers = 4;

const wchar_t* ControlDisplayName(ControlSet set, long property)
{
    static const wchar_t* const kProcAmp[] = {L"Brightness", L"Contrast", L"Hue", L"Saturation", L"Sharpness",
        L"Gamma", L"Color Enable", L"White Balance", L"Backlight Comp", L"Gain"};
    static const wchar_t* const kCamera[]
        = {L"Pan", L"Tilt", L"Roll", L"Zoom", L"Exposure", L"Iris", L"Focus"};
    if (set == ControlSet::VideoProcAmp && property >= 0 && property < 10)
        return kProcAmp[property];
    if (set == ControlSet::CameraControl && property >= 0 && property < 7)
        return kCamera[property];
    return L"Control";
}

REFERENCE_TIME ToReferenceTime(Clock::duration d)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(d).count() / 100;
}

}  // namespace

VirtualCaptureDevice::VirtualCaptureDevice(
    VirtualDeviceDescription description, std::shared_ptr<VirtualDeviceState> state)
    : m_description(std::move(description))
    , m_state(std::move(state))
    , m_interval(static_cast<REFERENCE_TIME>(1e7 / std::max(0.5, m_description.frameRate) + 0.5))
{
    const REFERENCE_TIME leftBehind = m_description.leftBehindFrameRate > 0
        ? static_cast<REFERENCE_TIME>(1e7 / std::max(0.5, m_description.leftBehindFrameRate) + 0.5)
        : m_interval;
    for (PinKind pin : {PinKind::Capture, PinKind::Preview, PinKind::Still}) {
        const auto& formats = m_description.Pin(pin);
        if (!formats.empty())
            m_formats[Index(pin)] = {formats[0].subtype, formats[0].maxWidth, formats[0].maxHeight,
                pin == PinKind::Still ? m_interval : leftBehind};
    }
    for (const VirtualControl& c : m_description.controls)
        m_controls[{static_cast<int>(c.set), c.property}] = {c, c.defaultValue, c.hasAuto && c.autoByDefault};
    for (const auto& [reg, value] : m_description.registers)
        m_registers[reg & 0xFF] = static_cast<int16_t>(value);
}

VirtualCaptureDevice::~VirtualCaptureDevice()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (FrameSink& sink : m_sinks)
            sink = nullptr;
        m_quit = true;
    }
    m_wake.notify_all();
    JoinThread();
}

bool VirtualCaptureDevice::HasPin(PinKind pin) const
{
    return !m_description.Pin(pin).empty();
}

std::vector<FormatRange> VirtualCaptureDevice::Formats(PinKind pin) const
{
    return m_description.Pin(pin);
}

VideoFormat VirtualCaptureDevice::CurrentFormat(PinKind pin) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_formats[Index(pin)];
}

HRESULT VirtualCaptureDevice::SetFormat(PinKind pin, const VideoFormat& format)
{
    if (!IsConnected())
        return E_DEVICE_NOT_CONNECTED;
    if (!HasPin(pin))
        return E_FAIL;
    const VirtualFaults& faults = m_description.faults;
    if (std::find(faults.refusedSubtypes.begin(), faults.refusedSubtypes.end(), format.subtype)
            != faults.refusedSubtypes.end()
        || std::find(faults.refusedSizes.begin(), faults.refusedSizes.end(),
               std::make_pair(format.width, format.height))
            != faults.refusedSizes.end())
        return VFW_E_INVALIDMEDIATYPE;
    const auto& formats = m_description.Pin(pin);
    const bool offered = std::any_of(formats.begin(), formats.end(), [&](const FormatRange& r) {
        return r.subtype == format.subtype && r.Contains(format.width, format.height);
    });
    if (!offered)
        return VFW_E_INVALIDMEDIATYPE;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_sinks[Index(pin)])
        return VFW_E_NOT_STOPPED;
    // As uvcvideo: a new format starts at the default interval unless one is
    // asked for (kept between 1/240 s and 2 s).
    const REFERENCE_TIME interval = format.frameInterval > 0
        ? std::clamp<REFERENCE_TIME>(format.frameInterval, 41667, 20000000)
        : m_interval;
    m_formats[Index(pin)] = {format.subtype, format.width, format.height, interval};
    return S_OK;
}

HRESULT VirtualCaptureDevice::Start(PinKind pin, FrameSink sink)
{
    if (!IsConnected())
        return E_DEVICE_NOT_CONNECTED;
    if (!HasPin(pin) || !sink)
        return E_FAIL;
    bool running = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sinks[Index(pin)] = std::move(sink);
        running = m_threadAlive.load();
        m_quit = false;
    }
    if (!running) {
        JoinThread();
        m_streamStart = Clock::now();
        m_threadAlive = true;
        m_thread = std::thread(&VirtualCaptureDevice::ThreadMain, this);
    }
    return S_OK;
}

void VirtualCaptureDevice::Stop(PinKind pin)
{
    bool last = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sinks[Index(pin)] = nullptr;
        if (pin == PinKind::Still)
            m_stillPending = false;
        last = std::none_of(
            std::begin(m_sinks), std::end(m_sinks), [](const FrameSink& s) { return bool(s); });
        if (last)
            m_quit = true;
    }
    m_wake.notify_all();
    if (last) {
        JoinThread();
    } else {
        // Wait for a frame of this pin that may be in flight.
        std::lock_guard<std::mutex> delivery(m_deliveryMutex);
    }
}

void VirtualCaptureDevice::JoinThread()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

HRESULT VirtualCaptureDevice::TriggerStill()
{
    if (!IsConnected())
        return E_DEVICE_NOT_CONNECTED;
    if (!HasPin(PinKind::Still))
        return E_FAIL;
    if (m_description.faults.stillNeverFires)
        return S_OK;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stillPending = true;
    }
    m_wake.notify_all();
    return S_OK;
}

bool VirtualCaptureDevice::IsConnected() const
{
    return !m_state->unplugged.load();
}

REFERENCE_TIME VirtualCaptureDevice::ActualFrameInterval() const
{
    return m_measuredInterval.load();
}

bool VirtualCaptureDevice::Produce(PinKind pin, uint64_t n, bool cutShort)
{
    std::lock_guard<std::mutex> delivery(m_deliveryMutex);
    FrameSink sink;
    VideoFormat format;
    int brightness = 0;
    double contrast = 1.0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_sinks[Index(pin)])
            return false;
        sink = m_sinks[Index(pin)];
        format = m_formats[Index(pin)];
        PictureAdjustment(&brightness, &contrast);
    }
    auto& generator = m_generators[Index(pin)];
    if (!generator) {
        // Every pin looks at the same field through the same sensor.
        const auto [sensorWidth, sensorHeight] = VirtualSensorSize(m_description);
        generator = std::make_unique<VirtualFrameGenerator>(
            m_description.micrometerPitchPx, sensorWidth, sensorHeight);
    }
    generator->Configure(format.subtype, format.width, format.height);
    generator->SetAdjustment(brightness, contrast);
    const std::vector<uint8_t>& frame = generator->Frame(n);
    if (!frame.empty()) {
        const size_t length = cutShort ? frame.size() / 2 : frame.size();
        if (pin == PinKind::Still)
            ++m_state->stillsDelivered;  // counted first: the sink may wake a waiting snap
        sink(frame.data(), length, ToReferenceTime(Clock::now() - m_streamStart));
    }
    return true;
}

void VirtualCaptureDevice::PictureAdjustment(int* brightnessOffset, double* contrast) const
{
    // Brightness shifts the levels by its distance from its default across
    // its range (the whole range spans two full scales); contrast scales them
    // round mid-grey, from 0 at its minimum to 3 at its maximum.
    auto position = [this](long property, double* relative) {
        auto it = m_controls.find({static_cast<int>(ControlSet::VideoProcAmp), property});
        if (it == m_controls.end())
            return false;
        const VirtualControl& d = it->second.definition;
        if (d.maximum <= d.minimum)
            return false;
        *relative = static_cast<double>(it->second.value - d.defaultValue)
            / static_cast<double>(d.maximum - d.minimum);
        return true;
    };
    double relative = 0;
    if (position(VideoProcAmp_Brightness, &relative))
        *brightnessOffset = static_cast<int>(std::lround(relative * 510.0));
    if (position(VideoProcAmp_Contrast, &relative))
        *contrast = std::max(0.0, std::min(3.0, 1.0 + 2.0 * relative));
}

void VirtualCaptureDevice::ThreadMain()
{
    pthread_setname_np(pthread_self(), "virtual-camera");
    REFERENCE_TIME streamInterval = m_interval;
    {
        // The stream pins run at the interval of their format.
        std::lock_guard<std::mutex> lock(m_mutex);
        for (PinKind pin : {PinKind::Capture, PinKind::Preview}) {
            if (HasPin(pin) && m_formats[Index(pin)].frameInterval > 0) {
                streamInterval = m_formats[Index(pin)].frameInterval;
                break;
            }
        }
    }
    const auto interval = std::chrono::nanoseconds(streamInterval * 100);
    auto next = Clock::now();
    Clock::time_point lastFrame{};
    uint64_t n = 0;
    const int shortEvery = m_description.faults.shortFrameEvery;
    const uint64_t unplugAfter = static_cast<uint64_t>(std::max(0, m_description.faults.unplugAfterFrames));
    const auto lateStill = std::chrono::milliseconds(std::max(0, m_description.faults.lateFirstStillMs));
    bool firstStill = true;
    std::optional<Clock::time_point> lateStillAt;
    for (;;) {
        bool stillDue = false;
        bool streamDue = false;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait_until(lock, lateStillAt ? std::min(next, *lateStillAt) : next,
                [this] { return m_quit || m_stillPending || m_state->unplugged.load(); });
            if (m_quit || m_state->unplugged.load())
                break;
            stillDue = std::exchange(m_stillPending, false);
            const auto now = Clock::now();
            if (stillDue && firstStill && lateStill.count() > 0) {
                lateStillAt = now + lateStill;
                stillDue = false;
            }
            firstStill = firstStill && !stillDue && !lateStillAt;
            if (lateStillAt && now >= *lateStillAt) {
                lateStillAt.reset();
                stillDue = true;
            }
            streamDue = now >= next;
        }
        if (stillDue)
            Produce(PinKind::Still, n, false);
        if (!streamDue)
            continue;
        // The sensor keeps its own clock: frames whose time came while the
        // sink was busy wait in the driver's buffers and follow at once; when
        // more came than the buffers hold, the oldest are lost.
        const int64_t framesDue = (Clock::now() - next) / interval + 1;
        if (framesDue > kDriverBuffers) {
            const int64_t lost = framesDue - kDriverBuffers;
            next += interval * lost;
            m_state->framesLost += static_cast<uint64_t>(lost);
        }
        const bool cut = shortEvery > 0 && (n + 1) % static_cast<uint64_t>(shortEvery) == 0;
        const bool capture = Produce(PinKind::Capture, n, cut);
        const bool preview = Produce(PinKind::Preview, n, cut);
        if (capture || preview) {
            ++n;
            const uint64_t delivered = ++m_framesDelivered;
            const auto now = Clock::now();
            if (lastFrame != Clock::time_point{}) {
                const REFERENCE_TIME measured = ToReferenceTime(now - lastFrame);
                const REFERENCE_TIME old = m_measuredInterval.load();
                m_measuredInterval = old == 0 ? measured : (old * 7 + measured) / 8;
            }
            lastFrame = now;
            if (unplugAfter > 0 && delivered >= unplugAfter) {
                m_state->unplugged = true;
                break;
            }
        }
        next += interval;
    }
    m_threadAlive = false;
}

bool VirtualCaptureDevice::IsPortControl(ControlSet set, long property) const
{
    return m_description.hasRegisterPort && set == ControlSet::CameraControl
        && (property == CameraControl_Roll || property == CameraControl_Focus);
}

HRESULT VirtualCaptureDevice::GetControlRange(ControlSet set, long property, ControlRange* range)
{
    if (!range)
        return E_POINTER;
    if (!IsConnected())
        return E_DEVICE_NOT_CONNECTED;
    if (IsPortControl(set, property)) {
        if (property == CameraControl_Roll)
            *range = {0, 255, 1, 0, CameraControl_Flags_Manual};
        else
            *range = {-32768, 32767, 1, 0, CameraControl_Flags_Manual};
        return S_OK;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_controls.find({static_cast<int>(set), property});
    if (it == m_controls.end())
        return E_PROP_ID_UNSUPPORTED;
    const VirtualControl& c = it->second.definition;
    *range = {c.minimum, c.maximum, c.step, c.defaultValue, 2 | (c.hasAuto ? 1 : 0)};
    return S_OK;
}

HRESULT VirtualCaptureDevice::GetControl(ControlSet set, long property, long* value, long* flags)
{
    if (!value || !flags)
        return E_POINTER;
    if (!IsConnected())
        return E_DEVICE_NOT_CONNECTED;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (IsPortControl(set, property)) {
        *flags = CameraControl_Flags_Manual;
        if (property == CameraControl_Roll) {
            *value = m_registerAddress;
        } else {
            auto reg = m_registers.find(m_registerAddress);
            *value = reg == m_registers.end() ? 0 : reg->second;
        }
        return S_OK;
    }
    auto it = m_controls.find({static_cast<int>(set), property});
    if (it == m_controls.end())
        return E_PROP_ID_UNSUPPORTED;
    *value = it->second.value;
    *flags = it->second.isAuto ? 1 : 2;
    return S_OK;
}

HRESULT VirtualCaptureDevice::SetControl(ControlSet set, long property, long value, long flags)
{
    if (!IsConnected())
        return E_DEVICE_NOT_CONNECTED;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (IsPortControl(set, property)) {
        if (property == CameraControl_Roll)
            m_registerAddress = static_cast<int>(value & 0xFF);
        else
            m_registers[m_registerAddress] = static_cast<int16_t>(value & 0xFFFF);
        return S_OK;
    }
    auto it = m_controls.find({static_cast<int>(set), property});
    if (it == m_controls.end())
        return E_PROP_ID_UNSUPPORTED;
    ControlState& c = it->second;
    const bool inRange = value >= c.definition.minimum && value <= c.definition.maximum;
    if (flags & 1) {
        if (!c.definition.hasAuto)
            return E_INVALIDARG;
        c.isAuto = true;
        if (inRange)
            c.value = value;
        return S_OK;
    }
    if (!inRange)
        return E_INVALIDARG;
    c.value = value;
    c.isAuto = false;
    return S_OK;
}

std::vector<PropertySheetControl> VirtualCaptureDevice::SheetControls()
{
    std::vector<PropertySheetControl> list;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [key, c] : m_controls) {
        PropertySheetControl s;
        s.name = ControlDisplayName(c.definition.set, c.definition.property);
        s.minimum = c.definition.minimum;
        s.maximum = c.definition.maximum;
        s.step = c.definition.step;
        s.defaultValue = c.definition.defaultValue;
        s.value = c.value;
        s.hasAuto = c.definition.hasAuto;
        s.isAuto = c.isAuto;
        const ControlSet set = c.definition.set;
        const long property = c.definition.property;
        s.apply = [this, set, property](long value, bool isAuto) {
            return SUCCEEDED(SetControl(set, property, value, isAuto ? 1 : 2));
        };
        list.push_back(std::move(s));
    }
    return list;
}

}  // namespace kelvara::dshow
