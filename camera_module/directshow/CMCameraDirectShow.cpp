#include "camera_module/directshow/CMCameraDirectShow.h"

#include "camera_module/directshow/CMMediaType.h"

#include "camera_module/directshow/CMMediaSubtypes.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr uint32_t kPreviewGrabTimeoutMs = 10000;
constexpr uint32_t kStillTimeoutMs = 6000;

int ClampToInt(long value)
{
    return static_cast<int>(std::min<long>(std::max<long>(value, INT_MIN), INT_MAX));
}

}  // namespace

CMCameraDirectShow::CMCameraDirectShow(int deviceIndex)
    : CMCameraSDK(deviceIndex)
    , m_engine(std::make_unique<CMCaptureEngine>())
    , m_previewSubtypeIndex(kSubtypeMJPG)
    , m_stillFormat(CM_FMT_YUY2)
{
}

CMCameraDirectShow::~CMCameraDirectShow()
{
    // Stop the streaming threads while everything they touch still exists.
    m_engine.reset();
}

CMCaptureDevice* CMCameraDirectShow::DeviceRecord()
{
    return m_engine->Device(m_nDeviceIndex);
}

bool CMCameraDirectShow::IsReady()
{
    return m_engine->IsDeviceReady(m_nDeviceIndex);
}

int CMCameraDirectShow::Init(CMFrameCallback callback, void* user, long width, long height)
{
    m_engine->ListDevices();
    if (m_nDeviceIndex < 0)
        return CM_ERR_OPEN;
    m_engine->requestedSubtype = SubtypeAt(m_previewSubtypeIndex);
    m_engine->requestedStillSubtype = SubtypeAt(SubtypeIndexOfFormat(m_stillFormat));
    if (m_nDeviceIndex >= kMaxDirectShowDevices || m_engine->IsDeviceSetup(m_nDeviceIndex))
        return CM_ERR_OPEN;

    CMCaptureDevice* d = DeviceRecord();
    d->requestedWidth = ClampToInt(width);
    d->requestedHeight = ClampToInt(height);
    d->requestedSizeValid = true;
    if (!m_engine->SetupDevice(m_nDeviceIndex))
        return CM_ERR_OPEN;

    d = DeviceRecord();
    d->previewCallback->Register(&CMCameraDirectShow::SampleHandOver, this);
    d->stillCallback->Register(&CMCameraDirectShow::SampleHandOver, this);
    m_previewSubtypeIndex = SubtypeIndex(m_engine->requestedSubtype);
    m_stillFormat
        = d->stillMediaType ? FormatOfSubtypeIndex(SubtypeIndex(d->stillMediaType->subtype)) : CM_FMT_UNKNOWN;
    ClearDeviceLost();
    setCallback(callback, user);
    return CM_OK;
}

int CMCameraDirectShow::Release()
{
    if (m_nDeviceIndex >= 0 && m_nDeviceIndex < kMaxDirectShowDevices)
        m_engine->StopDevice(m_nDeviceIndex);
    return CM_OK;
}

bool CMCameraDirectShow::IsDeviceLost()
{
    if (CMCameraBase::IsDeviceLost())
        return true;
    CMCaptureDevice* d = DeviceRecord();
    if (!d || !d->readyToCapture || !d->streamConfig)
        return false;
    AM_MEDIA_TYPE* type = nullptr;
    const HRESULT hr = d->streamConfig->GetFormat(&type);
    DeleteMediaTypeRecord(type);
    if (hr == E_DEVICE_NOT_CONNECTED)
        ReportDeviceLost();
    return CMCameraBase::IsDeviceLost();
}

int CMCameraDirectShow::HasVideoVideoProperty()
{
    return 1;
}

int CMCameraDirectShow::GetSupportedPreviewSizes(std::vector<tagSIZE>* sizes)
{
    CMCaptureDevice* d = DeviceRecord();
    if (!d || !sizes)
        return CM_ERR_NOT_SUPPORTED;
    const CMFormatEntry* entry = FindFormatEntry(d->previewFormats, m_previewSubtypeIndex);
    if (!entry || entry->sizes.empty())
        return CM_ERR_NOT_SUPPORTED;
    sizes->insert(sizes->end(), entry->sizes.begin(), entry->sizes.end());
    return CM_OK;
}

int CMCameraDirectShow::GetPreviewImageSize(int* width, int* height)
{
    CMCaptureDevice* d = DeviceRecord();
    if (width)
        *width = d ? d->width.load() : 0;
    if (height)
        *height = d ? d->height.load() : 0;
    return CM_OK;
}

int CMCameraDirectShow::SetPreviewImageSize(int width, int height)
{
    int currentWidth = 0;
    int currentHeight = 0;
    GetPreviewImageSize(&currentWidth, &currentHeight);
    if (currentWidth == width && currentHeight == height)
        return CM_OK;
    Pause();
    bool ok = m_engine->ChangePreviewSize(m_nDeviceIndex, width, height);
    Play();
    return ok ? CM_OK : CM_ERR_FAILED;
}

std::vector<int> CMCameraDirectShow::GetSupportedImageFormats()
{
    std::vector<int> formats;
    if (CMCaptureDevice* d = DeviceRecord()) {
        for (const CMFormatEntry& entry : d->previewFormats)
            formats.push_back(FormatOfSubtypeIndex(entry.subtypeIndex));
    }
    return formats;
}

int CMCameraDirectShow::GetImageFormat(int* format)
{
    if (!format)
        return CM_ERR_NOT_SUPPORTED;
    // Before a device is set up, the format the next Init asks for.
    *format = IsReady() ? FormatOfSubtypeIndex(SubtypeIndex(m_engine->requestedSubtype))
                        : FormatOfSubtypeIndex(m_previewSubtypeIndex);
    return CM_OK;
}

int CMCameraDirectShow::SetImageFormat(int format)
{
    if (!IsReady()) {
        m_previewSubtypeIndex = SubtypeIndexOfFormat(format);
        return CM_OK;
    }
    Pause();
    std::vector<int> formats = GetSupportedImageFormats();
    int current = CM_FMT_UNKNOWN;
    GetImageFormat(&current);
    if (std::find(formats.begin(), formats.end(), format) == formats.end() || format == current) {
        Play();
        return CM_OK;
    }

    // The device's own subtype of the format (grey comes as GREY, Y800 or Y8).
    int newIndex = SubtypeIndexOfFormat(format);
    if (CMCaptureDevice* device = DeviceRecord()) {
        for (const CMFormatEntry& entry : device->previewFormats) {
            if (FormatOfSubtypeIndex(entry.subtypeIndex) == format) {
                newIndex = entry.subtypeIndex;
                break;
            }
        }
    }
    const GUID newSubtype = SubtypeAt(newIndex);
    bool ok = false;
    if (m_engine->requestedSubtype != newSubtype) {
        CMCaptureDevice* d = DeviceRecord();
        const GUID oldSubtype = m_engine->requestedSubtype;
        const int oldIndex = m_previewSubtypeIndex;
        m_engine->StopGraph(m_nDeviceIndex);
        ok = m_engine->SetFormat(m_nDeviceIndex, d->width, d->height, newSubtype);
        m_engine->requestedSubtype = newSubtype;
        m_previewSubtypeIndex = newIndex;
        if (!ok) {
            // The new subtype may not offer the current size: take its first.
            std::vector<tagSIZE> sizes;
            if (GetSupportedPreviewSizes(&sizes) == CM_OK) {
                const int w = static_cast<int>(sizes[0].cx);
                const int h = static_cast<int>(sizes[0].cy);
                ok = m_engine->SetFormat(m_nDeviceIndex, w, h, newSubtype);
                if (ok) {
                    d->sizeSet = false;
                    m_engine->SetSize(m_nDeviceIndex, w, h);
                }
            }
        }
        if (!ok) {
            // The device kept its format: keep labelling frames with it.
            m_engine->requestedSubtype = oldSubtype;
            m_previewSubtypeIndex = oldIndex;
        }
        m_engine->RunGraph(m_nDeviceIndex);
    } else {
        m_previewSubtypeIndex = newIndex;
    }
    Play();
    return ok ? CM_OK : CM_ERR_FAILED;
}

bool CMCameraDirectShow::IsSupportStillCapture()
{
    return m_engine->stillAvailable && IsReady();
}

int CMCameraDirectShow::GetSupportedStillCaptureSizes(std::vector<tagSIZE>* sizes)
{
    CMCaptureDevice* d = DeviceRecord();
    if (!d || !sizes || d->stillFormats.empty() || d->stillFormats.front().sizes.empty())
        return CM_ERR_NOT_SUPPORTED;
    const std::vector<tagSIZE>& first = d->stillFormats.front().sizes;
    sizes->insert(sizes->end(), first.begin(), first.end());
    return CM_OK;
}

int CMCameraDirectShow::GetStillImageSize(int& width, int& height)
{
    CMCaptureDevice* d = DeviceRecord();
    if (d && d->setupStarted) {
        width = d->stillWidth;
        height = d->stillHeight;
    }
    return CM_OK;
}

int CMCameraDirectShow::SetStillImageSize(int width, int height)
{
    std::vector<tagSIZE> sizes;
    if (GetSupportedStillCaptureSizes(&sizes) != CM_OK)
        return CM_ERR_NOT_SUPPORTED;
    bool listed = std::any_of(
        sizes.begin(), sizes.end(), [&](const tagSIZE& s) { return s.cx == width && s.cy == height; });
    if (!listed)
        return CM_ERR_NOT_SUPPORTED;
    int stillWidth = 0;
    int stillHeight = 0;
    GetStillImageSize(stillWidth, stillHeight);
    if (stillWidth == width && stillHeight == height)
        return CM_OK;

    int previewWidth = 0;
    int previewHeight = 0;
    GetPreviewImageSize(&previewWidth, &previewHeight);
    CMFrameCallback callback;
    void* user;
    CurrentCallback(&callback, &user);
    Release();
    m_engine->requestedStillWidth = width;
    m_engine->requestedStillHeight = height;
    if (Init(callback, user, previewWidth, previewHeight) != CM_OK)
        return CM_ERR_FAILED;  // the camera is closed now; say so
    Play();
    return CM_OK;
}

void CMCameraDirectShow::SampleHandOver(void* camera, int kind, BYTE* buffer, long length)
{
    auto* self = static_cast<CMCameraDirectShow*>(camera);
    if (kind == 1)
        self->OnStillSample(buffer, length);
    else
        self->OnPreviewSample(buffer, length);
}

void CMCameraDirectShow::OnStillSample(BYTE* buffer, long length)
{
    if (!buffer || length <= 0)
        return;  // an empty sample is no picture
    {
        std::lock_guard<std::mutex> lock(m_stillMutex);
        m_stillBuffer.assign(buffer, buffer + std::max<long>(length, 0));
    }
    m_stillEvent.Set();
}

void CMCameraDirectShow::OnPreviewSample(BYTE* buffer, long length)
{
    if (IsPaused())
        return;  // dropped, and not counted
    // A sample always knows its length: an empty one is no frame (length 0
    // would mean "unknown" to the frame callback).
    if (!buffer || length <= 0)
        return;
    const int dataSize = static_cast<int>(std::min<long>(std::max<long>(length, 0), INT_MAX));
    CMCaptureDevice* d = DeviceRecord();
    const bool ready = d && d->readyToCapture.load();
    tagCMImage image;
    image.format = FormatOfSubtypeIndex(m_previewSubtypeIndex);
    image.width = ready ? d->width.load() : 0;
    image.height = ready ? d->height.load() : 0;
    image.bottomUp = image.format == CM_FMT_RGB24 ? 1 : 0;
    image.data = buffer;
    image.dataSize = dataSize;  // the true length, whatever the format needs
    image.bufferSize = 0;

    CMFrameCallback callback;
    void* user;
    CurrentCallback(&callback, &user);
    if (callback)
        callback(user, 0, reinterpret_cast<long>(&image), 0);

    Lock();
    if (m_grabPending && m_grabTarget) {
        tagCMImage* target = m_grabTarget;
        target->data = new unsigned char[dataSize > 0 ? dataSize : 1];
        std::memcpy(target->data, buffer, static_cast<size_t>(dataSize));
        target->format = image.format;
        target->width = image.width;
        target->height = image.height;
        target->bottomUp = image.bottomUp;
        target->dataSize = dataSize;
        m_grabPending = 0;
        m_grabTarget = nullptr;
        Unlock();
        m_grabEvent.Set();
    } else {
        Unlock();
    }
    frameCount();
}

int CMCameraDirectShow::GetPreviewImage(tagCMImage* image)
{
    if (!image)
        return CM_ERR_NO_DEVICE;
    Lock();
    m_grabEvent.Reset();
    m_grabTarget = image;
    m_grabPending = 1;
    Unlock();
    if (m_grabEvent.Wait(kPreviewGrabTimeoutMs))
        return CM_OK;
    Lock();
    // A frame may have been handed over just as the wait ran out: then it is
    // in the caller's record and its signal is on the way.
    const bool delivered = m_grabPending == 0;
    m_grabPending = 0;
    m_grabTarget = nullptr;
    Unlock();
    if (delivered) {
        m_grabEvent.Wait();
        return CM_OK;
    }
    return CM_ERR_PREVIEW_TIMEOUT;
}

int CMCameraDirectShow::GetStillImage(tagCMImage* image)
{
    CMCaptureDevice* d = DeviceRecord();
    if (!image || !d || !d->readyToCapture || !d->source || !d->captureGraph)
        return CM_ERR_STILL_TRIGGER;

    // A still that came after an earlier snap gave up must not answer this one.
    m_stillEvent.Reset();
    {
        std::lock_guard<std::mutex> lock(m_stillMutex);
        m_stillBuffer.clear();
    }
    IAMVideoControl* videoControl = nullptr;
    IPin* stillPin = nullptr;
    bool triggered = false;
    if (SUCCEEDED(d->source->QueryInterface(IID_IAMVideoControl, reinterpret_cast<void**>(&videoControl)))
        && videoControl) {
        if (SUCCEEDED(d->captureGraph->FindPin(
                d->source, PINDIR_OUTPUT, &PIN_CATEGORY_STILL, nullptr, FALSE, 0, &stillPin))
            && stillPin) {
            triggered = SUCCEEDED(videoControl->SetMode(stillPin, VideoControlFlag_Trigger));
            stillPin->Release();
        }
        videoControl->Release();
    }
    if (!triggered)
        return CM_ERR_STILL_TRIGGER;

    if (!m_stillEvent.Wait(kStillTimeoutMs))
        return CM_ERR_STILL_TIMEOUT;
    std::vector<BYTE> still;
    {
        std::lock_guard<std::mutex> lock(m_stillMutex);
        still.swap(m_stillBuffer);
    }
    if (still.empty())
        return CM_ERR_FAILED;
    const int index = d->stillMediaType ? SubtypeIndex(d->stillMediaType->subtype) : -1;
    if (index < 0)
        return CM_ERR_STILL_FORMAT;

    image->format = FormatOfSubtypeIndex(index);
    image->bottomUp = index == kSubtypeRGB24 ? 1 : 0;
    int width = 0;
    int height = 0;
    GetStillImageSize(width, height);
    image->width = width;
    image->height = height;
    const int length = static_cast<int>(std::min<size_t>(still.size(), INT_MAX));
    image->dataSize = length;
    image->bufferSize = length;
    image->data = new unsigned char[length];
    std::memcpy(image->data, still.data(), static_cast<size_t>(length));
    return CM_OK;
}
