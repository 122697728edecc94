// The simulated vendor camera: sensor, delivery thread, regulation loops.

#include "platform/ywdevsdk/YWSimulatedDevice.h"

#include "platform/directshow/MicroscopeScene.h"
#include "platform/ywdevsdk/YWBitmapFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cwchar>

namespace kelvara::ywdevsdk {

namespace {

using Clock = std::chrono::steady_clock;

// The sensor's own colour cast, which white balance corrects.
constexpr double kSensorCast[3] = {0.88, 1.0, 0.94};
// Exposure and analog gain at which the scene is rendered as it is.
constexpr double kReferenceExposureMs = 30.0;
constexpr double kUnityAnalogGain = 16.0;

uint64_t NowUs()
{
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count());
}

}  // namespace

YWSimulatedDevice::YWSimulatedDevice(int handle, int index, const SimulatedDeviceSetup& setup)
    : m_handle(handle)
    , m_index(index)
    , m_setup(setup)
{
    for (const auto& [width, height] : setup.resolutions)
        if (width > 0 && height > 0 && width <= 16384 && height <= 16384)
            m_resolutions.push_back({width, height});
    if (m_resolutions.empty())
        m_resolutions.push_back({640, 480});
    // Every resolution looks at the same field through one sensor.
    YWSize sensor = {setup.sensor.first, setup.sensor.second};
    if (sensor.width <= 0 || sensor.height <= 0) {
        sensor = m_resolutions.front();
        for (const YWSize& size : m_resolutions) {
            if (static_cast<long long>(size.width) * size.height
                > static_cast<long long>(sensor.width) * sensor.height)
                sensor = size;
        }
    }
    m_scene = std::make_unique<dshow::MicroscopeScene>(setup.micrometerPitchPx, sensor.width, sensor.height);
    for (int i = 0; i < kFrameSpeedCount; ++i) {
        std::wmemset(m_frameSpeeds[i].name, 0, 260);
        std::wcsncpy(m_frameSpeeds[i].name, kFrameSpeeds[i].name, 259);
        m_frameSpeeds[i].value = i;
    }
}

YWSimulatedDevice::~YWSimulatedDevice()
{
    Stop();
}

int YWSimulatedDevice::ResolutionIndex() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_resolution;
}

int YWSimulatedDevice::SetResolutionIndex(int index)
{
    if (index < 0 || index >= static_cast<int>(Resolutions().size()))
        return YW_ERR_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_resolution = index;  // the next frame has the new size
    return YW_OK;
}

void YWSimulatedDevice::SetFrameFunction(YWFrameCallback callback, void* context)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_callback = callback;
    m_context = context;
}

int YWSimulatedDevice::Start()
{
    std::lock_guard<std::mutex> control(m_controlMutex);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_streaming)
            return YW_OK;
        m_streaming = true;
        m_quit = false;
    }
    m_thread = std::thread(&YWSimulatedDevice::ThreadMain, this);
    return YW_OK;
}

void YWSimulatedDevice::Stop()
{
    std::lock_guard<std::mutex> control(m_controlMutex);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_streaming)
            return;
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_streaming = false;
}

bool YWSimulatedDevice::IsStreaming() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_streaming;
}

YWImageSettings YWSimulatedDevice::Settings() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings;
}

void YWSimulatedDevice::Modify(const std::function<void(YWImageSettings&)>& change)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    change(m_settings);
}

void YWSimulatedDevice::RequestOnceWhiteBalance()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_onceWhiteBalance = true;
}

void YWSimulatedDevice::Expose(RawFrame* frame, uint32_t sequence, const YWImageSettings& s, YWSize size)
{
    const double level = s.exposureMs / kReferenceExposureMs * (s.analogGain / kUnityAnalogGain);
    uint8_t table[3][256];
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v)
            table[c][v] = static_cast<uint8_t>(std::min(255.0, v * level * kSensorCast[c] + 0.5));

    frame->sequence = sequence;
    frame->width = size.width;
    frame->height = size.height;
    frame->exposureMs = s.exposureMs;
    frame->analogGain = s.analogGain;
    frame->timestampUs = NowUs();
    frame->rgb.resize(static_cast<size_t>(size.width) * size.height * 3);

    std::lock_guard<std::mutex> sensor(m_sensorMutex);
    m_scene->Prepare(size.width, size.height);
    const uint8_t* origin = m_scene->FrameOrigin(sequence);
    const int stride = m_scene->StageStride();
    uint8_t* out = frame->rgb.data();
    for (int y = 0; y < size.height; ++y) {
        const uint8_t* p = origin + static_cast<size_t>(y) * stride;  // B, G, R, A
        for (int x = 0; x < size.width; ++x, p += 4, out += 3) {
            out[0] = table[0][p[2]];
            out[1] = table[1][p[1]];
            out[2] = table[2][p[0]];
        }
    }
}

void YWSimulatedDevice::Regulate(const RawFrame& frame)
{
    double red, green, blue;
    ChannelMeans(frame.rgb.data(), frame.width, frame.height, &red, &green, &blue);
    std::lock_guard<std::mutex> lock(m_mutex);
    YWImageSettings& s = m_settings;
    if (m_onceWhiteBalance) {
        // Grey world: scale red and blue to the green level.
        m_onceWhiteBalance = false;
        auto balance = [&](double mean) {
            const double gain = mean > 1.0 ? s.greenGain * green / mean : s.greenGain;
            return static_cast<uint8_t>(std::clamp(gain + 0.5, 0.0, 255.0));
        };
        s.redGain = balance(red);
        s.blueGain = balance(blue);
    }
    if (s.autoExposure) {
        const double luma
            = (0.30 * red * s.redGain + 0.59 * green * s.greenGain + 0.11 * blue * s.blueGain) / 128.0;
        const double ratio = luma > 0.5 ? s.aeTarget / luma : 2.0;
        if (std::fabs(ratio - 1.0) > 0.03) {
            // Frame-rate priority: never expose longer than the frame interval.
            const double longest
                = std::min<double>(YWRanges::kExposureMs[1], kFrameSpeeds[s.frameSpeed].intervalMs);
            const double next = std::clamp(frame.exposureMs * std::pow(ratio, 0.7),
                static_cast<double>(YWRanges::kExposureMs[0]), longest);
            s.exposureMs = static_cast<uint16_t>(std::lround(next));
        }
    }
}

void YWSimulatedDevice::ThreadMain()
{
    std::shared_ptr<RawFrame> spare;
    Clock::time_point next = Clock::now();
    for (;;) {
        YWImageSettings settings;
        YWSize size;
        uint32_t sequence;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_quit)
                break;
            settings = m_settings;
            size = Resolutions()[static_cast<size_t>(m_resolution)];
            sequence = m_nextSequence++;
        }
        if (!spare || spare.use_count() > 1)
            spare = std::make_shared<RawFrame>();
        std::shared_ptr<RawFrame> frame = std::move(spare);
        Expose(frame.get(), sequence, settings, size);

        YWFrameCallback callback;
        void* context;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            spare = std::move(m_lastRaw);
            m_lastRaw = frame;
            callback = m_callback;
            context = m_context;
        }
        YWFrameRecord record = {};
        record.sequence = frame->sequence;
        record.rawFormat = YW_RAW_RGB24;
        record.width = frame->width;
        record.height = frame->height;
        record.data = frame->rgb.data();
        record.dataSize = static_cast<int32_t>(frame->rgb.size());
        record.exposureTime = frame->exposureMs;
        record.analogGain = frame->analogGain;
        record.timestampUs = frame->timestampUs;
        if (callback)
            callback(m_handle, static_cast<int>(frame->sequence), &record, context);
        Regulate(*frame);

        int intervalMs = kFrameSpeeds[settings.frameSpeed].intervalMs;
        if (!settings.autoExposure)
            intervalMs = std::max<int>(intervalMs, settings.exposureMs);
        next += std::chrono::milliseconds(intervalMs);
        const Clock::time_point now = Clock::now();
        if (next < now)
            next = now;  // late: no burst of catch-up frames
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait_until(lock, next, [this] { return m_quit; });
    }
}

uint8_t* YWSimulatedDevice::Process(const YWFrameRecord* frame)
{
    if (!frame || !frame->data || frame->rawFormat != YW_RAW_RGB24 || frame->width <= 0 || frame->height <= 0
        || frame->width > 16384 || frame->height > 16384)
        return nullptr;
    const size_t bytes = static_cast<size_t>(frame->width) * frame->height * 3;
    if (frame->dataSize < 0 || static_cast<size_t>(frame->dataSize) < bytes)
        return nullptr;
    const YWImageSettings settings = Settings();
    std::lock_guard<std::mutex> isp(m_ispMutex);
    {
        // The published copy of the last result does not pin the buffer.
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_lastProcessed == m_ispOutput)
            m_lastProcessed.reset();
    }
    if (!m_ispOutput || m_ispOutput.use_count() > 1)
        m_ispOutput = std::make_shared<std::vector<uint8_t>>();
    m_ispOutput->resize(bytes);
    ProcessFrame(settings, frame->data, frame->width, frame->height, m_ispOutput->data());
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastProcessed = m_ispOutput;
    m_lastProcessedSequence = frame->sequence;
    return m_ispOutput->data();
}

int YWSimulatedDevice::Capture(const std::string& name, int mode)
{
    if (mode != YW_CAPTURE_BMP || name.empty())
        return YW_ERR_ARGUMENT;
    std::shared_ptr<const std::vector<uint8_t>> picture;
    std::shared_ptr<const RawFrame> raw;
    YWImageSettings settings;
    YWSize size = {0, 0};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        settings = m_settings;
        raw = m_lastRaw;
        if (raw && m_lastProcessed && m_lastProcessedSequence == raw->sequence
            && m_lastProcessed->size() == raw->rgb.size())
            picture = m_lastProcessed;  // exactly what the frame function saw
        if (!raw)
            size = Resolutions()[static_cast<size_t>(m_resolution)];
    }
    if (!raw) {
        // Nothing streamed yet: expose one frame now.
        auto fresh = std::make_shared<RawFrame>();
        Expose(fresh.get(), 0, settings, size);
        raw = fresh;
    }
    if (!picture) {
        auto processed = std::make_shared<std::vector<uint8_t>>(raw->rgb.size());
        ProcessFrame(settings, raw->rgb.data(), raw->width, raw->height, processed->data());
        picture = processed;
    }
    return WriteBitmap24(name + ".bmp", picture->data(), raw->width, raw->height) ? YW_OK : YW_ERR_IO;
}

}  // namespace kelvara::ywdevsdk
