// The vendor USB SDK backend.

#include "camera_module/vendor_usb/CMCameraYWUSB.h"

#include "camera_module/CMClampToInt.h"
#include "camera_module/vendor_usb/CMBitmapReader.h"
#include "platform/ywdevsdk/YWDevSDK.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <unistd.h>

namespace {

// The user's temporary folder.
std::string TemporaryFolder()
{
    const char* dir = std::getenv("TMPDIR");
    if (dir && *dir)
        return dir;
    return "/tmp";
}

}  // namespace

CMCameraYWUSB::CMCameraYWUSB(int deviceIndex)
    : CMCameraSDK(deviceIndex)
{
}

CMCameraYWUSB::~CMCameraYWUSB()
{
    Release();
}

int CMCameraYWUSB::Init(CMFrameCallback callback, void* user, long, long)
{
    if (m_nDeviceIndex < 0 || m_nDeviceIndex > 255)
        return CM_ERR_OPEN;
    if (m_hDevice) {
        ::Stop(m_hDevice);
        ::DeviceRelease(m_hDevice);
        m_hDevice = 0;
        m_settingPageCreated = false;
    }
    if (m_hFactory)
        ::DeviceFactoryRelease(m_hFactory);
    m_hFactory = ::CreateDeviceFactoryHandle(0, 0);
    if (m_hFactory) {
        int device = 0;
        if (::OpenDevice(m_hFactory, static_cast<uint8_t>(m_nDeviceIndex), &device, 0) >= 0 && device) {
            m_hDevice = device;
            ::DeviceInitEx(m_hDevice, &CMCameraYWUSB::FrameFunction, this, 0, 1);
            ::SetAutoExposureState(m_hDevice, 1);
        }
    }
    setCallback(callback, user);
    // A camera that did not open is reported as such, so the caller drops it.
    return m_hDevice ? CM_OK : CM_ERR_OPEN;
}

int CMCameraYWUSB::Release()
{
    if (m_hDevice) {
        ::Stop(m_hDevice);
        ::CloseDevice(m_hDevice);
        ::DeviceUnInit(m_hDevice);
        ::DeviceRelease(m_hDevice);
        m_hDevice = 0;
        m_settingPageCreated = false;
    }
    if (m_hFactory) {
        ::DeviceFactoryRelease(m_hFactory);
        m_hFactory = 0;
    }
    return CM_OK;
}

int CMCameraYWUSB::Play()
{
    ::Start(m_hDevice);
    return CMCameraBase::Play();
}

int CMCameraYWUSB::Pause()
{
    CMCameraBase::Pause();
    ::Stop(m_hDevice);
    return CM_OK;
}

int CMCameraYWUSB::FrameFunction(int device, int slot, const YWFrameRecord* frame, void* camera)
{
    if (camera)
        static_cast<CMCameraYWUSB*>(camera)->OnFrame(device, slot, frame);
    return 0;
}

void CMCameraYWUSB::OnFrame(int device, int slot, const YWFrameRecord* frame)
{
    uint8_t* picture = ::DeviceISP(device, slot, frame);
    if (picture && frame) {
        CMFrameCallback callback = nullptr;
        void* user = nullptr;
        CurrentCallback(&callback, &user);
        if (callback) {
            tagCMImage image = {};
            image.format = CM_FMT_RGB24;
            image.width = frame->width;
            image.height = frame->height;
            image.bottomUp = 0;
            image.data = picture;
            // The processed picture is exactly width x height x 3 bytes.
            image.dataSize = frame->width * frame->height * 3;
            callback(user, 0, reinterpret_cast<long>(&image), 0);
        }
    }
    frameCount();  // also for frames the processor dropped
}

int CMCameraYWUSB::GetSupportedPreviewSizes(std::vector<tagSIZE>* sizes)
{
    if (!sizes)
        return CM_ERR_NO_DEVICE;
    const int count = ::GetResolutions(m_hDevice, nullptr);
    if (count <= 0)
        return CM_OK;
    std::vector<YWResolution> records(static_cast<size_t>(count));
    const int filled = ::GetResolutions(m_hDevice, records.data());
    for (int i = 0; i < filled && i < count; ++i)
        sizes->push_back({records[i].width, records[i].height});
    return CM_OK;
}

int CMCameraYWUSB::GetPreviewImageSize(int* width, int* height)
{
    if (!width || !height)
        return CM_ERR_NO_DEVICE;
    std::vector<tagSIZE> sizes;
    GetSupportedPreviewSizes(&sizes);
    YWResolution current = {};
    if (::GetResolution(m_hDevice, &current) >= 0 && current.custom == 0 && current.index < sizes.size()) {
        *width = sizes[current.index].cx;
        *height = sizes[current.index].cy;
    }
    return CM_OK;
}

int CMCameraYWUSB::ResolutionIndex(int width, int height)
{
    std::vector<tagSIZE> sizes;
    GetSupportedPreviewSizes(&sizes);
    for (size_t i = 0; i < sizes.size() && i < 256; ++i)
        if (sizes[i].cx == width && sizes[i].cy == height)
            return static_cast<int>(i);
    return -1;
}

int CMCameraYWUSB::SetPreviewImageSize(int width, int height)
{
    const int index = ResolutionIndex(width, height);
    if (index < 0)
        return CM_ERR_SIZE;
    ::Stop(m_hDevice);
    YWResolution record = {};
    record.index = static_cast<uint8_t>(index);
    const int result = ::SetResolution(m_hDevice, record);
    // The stream comes back whether or not the SDK took the size, unless
    // delivery was paused.
    if (!IsPaused())
        ::Start(m_hDevice);
    return result < 0 ? CM_ERR_SIZE : CM_OK;
}

std::vector<int> CMCameraYWUSB::GetSupportedImageFormats()
{
    return {CM_FMT_RGB24};
}

int CMCameraYWUSB::GetImageFormat(int* format)
{
    if (format)
        *format = CM_FMT_RGB24;
    return CM_OK;
}

int CMCameraYWUSB::SetImageFormat(int)
{
    return CM_OK;
}

int CMCameraYWUSB::GetSupportedStillCaptureSizes(std::vector<tagSIZE>*)
{
    return 1;
}

int CMCameraYWUSB::GetStillImageSize(int&, int&)
{
    return CM_OK;
}

int CMCameraYWUSB::SetStillImageSize(int, int)
{
    return CM_OK;
}

int CMCameraYWUSB::ShowCameraPropertyPages(HWND owner, const wchar_t* title)
{
    if (!m_hDevice)
        return CM_ERR_NO_DEVICE;
    if (!m_settingPageCreated)
        m_settingPageCreated = ::DeviceCreateSettingPage(m_hDevice, owner, title) >= 0;
    return ::DeviceShowSettingPage(m_hDevice, 1) >= 0 ? CM_OK : CM_ERR_FAILED;
}

bool CMCameraYWUSB::IsPropertySupport(tagCMProperty property)
{
    switch (property) {
    case CM_PROP_CONTRAST:
    case CM_PROP_SATURATION:
    case CM_PROP_GAMMA:
    case CM_PROP_RED_GAIN:
    case CM_PROP_GREEN_GAIN:
    case CM_PROP_BLUE_GAIN:
    case CM_PROP_GAIN:
    case CM_PROP_AE_TARGET:
    case CM_PROP_EXPOSURE:
    case CM_PROP_WB_ONCE:
    case CM_PROP_MIRROR:
    case CM_PROP_FLIP:
        return true;
    default:
        return false;
    }
}

int CMCameraYWUSB::GetPropertyRange(
    tagCMProperty property, double* min, double* max, double* def, int* digits)
{
    if (!m_hDevice || !min || !max || !def || !digits)
        return CM_ERR_NO_DEVICE;
    *digits = 0;
    if (property < CM_PROP_CONTRAST || property > CM_PROP_EXPOSURE || property == CM_PROP_HUE
        || property == CM_PROP_SHARPNESS || (property >= CM_PROP_SOFT_RED && property <= CM_PROP_CONTROL13))
        return CM_ERR_SDK_PROPERTY;
    YWCapability cap;
    std::memset(&cap, 0, sizeof cap);
    if (::GetCapability(m_hDevice, &cap) < 0)
        return CM_OK;
    auto put = [&](double lo, double hi, double dflt) {
        *min = lo;
        *max = hi;
        *def = dflt;
    };
    switch (property) {
    case CM_PROP_RED_GAIN:
        put(cap.redGain[0], cap.redGain[1], cap.redGain[2]);
        break;
    case CM_PROP_GREEN_GAIN:
        put(cap.greenGain[0], cap.greenGain[1], cap.greenGain[2]);
        break;
    case CM_PROP_BLUE_GAIN:
        put(cap.blueGain[0], cap.blueGain[1], cap.blueGain[2]);
        break;
    case CM_PROP_GAIN:
        put(cap.analogGain[0], cap.analogGain[1], cap.analogGain[2]);
        break;
    case CM_PROP_SATURATION:
        put(cap.saturation[0], cap.saturation[1], cap.saturation[2]);
        break;
    case CM_PROP_GAMMA:
        put(cap.gammaMin * 100.0, cap.gammaMax * 100.0, cap.gammaDefault * 100.0);
        *digits = 2;
        break;
    case CM_PROP_CONTRAST:
        put(cap.contrast[0], cap.contrast[1], cap.contrast[2]);
        break;
    case CM_PROP_AE_TARGET:
        put(cap.aeTarget[0], cap.aeTarget[1], cap.aeTarget[2]);
        break;
    case CM_PROP_EXPOSURE:
        put(cap.exposureTime[0], cap.exposureTime[1], cap.exposureTime[2]);
        break;
    default:
        break;
    }
    return CM_OK;
}

int CMCameraYWUSB::GetProperty(tagCMProperty property, double* value, int* isAuto)
{
    if (!m_hDevice || !value)
        return CM_ERR_NO_DEVICE;
    switch (property) {
    case CM_PROP_CONTRAST: {
        int16_t v = 0;
        ::GetContrast(m_hDevice, &v);
        *value = v;
        return CM_OK;
    }
    case CM_PROP_SATURATION: {
        uint8_t v = 0;
        ::GetSaturation(m_hDevice, &v);
        *value = v;
        return CM_OK;
    }
    case CM_PROP_GAMMA: {
        float v = 0.0f;
        ::GetGamma(m_hDevice, &v);
        *value = static_cast<double>(v) * 100.0;
        return CM_OK;
    }
    case CM_PROP_RED_GAIN:
    case CM_PROP_GREEN_GAIN:
    case CM_PROP_BLUE_GAIN: {
        uint8_t rgb[3] = {0, 0, 0};
        ::GetGain(m_hDevice, &rgb[0], &rgb[1], &rgb[2]);
        *value = rgb[property - CM_PROP_RED_GAIN];
        return CM_OK;
    }
    case CM_PROP_GAIN: {
        uint8_t v = 0;
        ::GetAnalogGain(m_hDevice, &v);
        *value = v;
        return CM_OK;
    }
    case CM_PROP_AE_TARGET: {
        uint8_t v = 0;
        ::GetAutoExposureTarget(m_hDevice, &v);
        *value = v;
        return CM_OK;
    }
    case CM_PROP_EXPOSURE: {
        uint16_t v = 0;
        ::GetExposureTime(m_hDevice, &v);
        *value = v;
        if (isAuto)
            ::GetAutoExposureState(m_hDevice, isAuto);
        return CM_OK;
    }
    default:
        return CM_ERR_SDK_PROPERTY;
    }
}

int CMCameraYWUSB::SetProperty(tagCMProperty property, double value, int isAuto)
{
    if (!m_hDevice)
        return CM_ERR_NO_DEVICE;
    const int v = ClampToInt(value);
    switch (property) {
    case CM_PROP_CONTRAST:
        ::SetContrast(m_hDevice, static_cast<int16_t>(v));
        ::SetContrastState(m_hDevice, value != 0.0);
        return CM_OK;
    case CM_PROP_SATURATION:
        ::SetSaturation(m_hDevice, static_cast<uint8_t>(v));
        ::SetSaturationState(m_hDevice, value != 128.0);
        return CM_OK;
    case CM_PROP_GAMMA: {
        const float gamma = static_cast<float>(value) / 100.0f;
        ::SetGamma(m_hDevice, gamma);
        ::SetGammaState(m_hDevice, std::fabs(gamma - 1.0f) > 0.01f);
        return CM_OK;
    }
    case CM_PROP_RED_GAIN:
    case CM_PROP_GREEN_GAIN:
    case CM_PROP_BLUE_GAIN: {
        uint8_t rgb[3] = {0, 0, 0};
        ::GetGain(m_hDevice, &rgb[0], &rgb[1], &rgb[2]);
        rgb[property - CM_PROP_RED_GAIN] = static_cast<uint8_t>(v);
        ::SetGain(m_hDevice, rgb[0], rgb[1], rgb[2]);
        return CM_OK;
    }
    case CM_PROP_GAIN:
        ::SetAnalogGain(m_hDevice, static_cast<uint8_t>(v));
        return CM_OK;
    case CM_PROP_AE_TARGET:
        ::SetAutoExposureTarget(m_hDevice, static_cast<uint8_t>(v));
        return CM_OK;
    case CM_PROP_EXPOSURE:
        ::SetAutoExposureState(m_hDevice, isAuto);
        if (isAuto == 0)
            ::SetExposureTime(m_hDevice, static_cast<uint16_t>(v));
        return CM_OK;
    case CM_PROP_WB_ONCE:
        ::SetOnceWBalace(m_hDevice);
        return CM_OK;
    case CM_PROP_MIRROR:
        ::SetMirror(m_hDevice, 0, value > 0.0);
        return CM_OK;
    case CM_PROP_FLIP:
        ::SetMirror(m_hDevice, 1, value > 0.0);
        return CM_OK;
    default:
        return CM_ERR_SDK_PROPERTY;
    }
}

int CMCameraYWUSB::GetFrameSpeeds(std::vector<CMFrameSpeed>* speeds)
{
    if (!m_hDevice || !speeds)
        return CM_ERR_NO_DEVICE;
    YWCapability cap;
    std::memset(&cap, 0, sizeof cap);
    if (::GetCapability(m_hDevice, &cap) < 0)
        return CM_ERR_SDK_PROPERTY;
    for (int i = 0; cap.frameSpeeds && i < cap.frameSpeedCount; ++i) {
        CMFrameSpeed speed = {};
        std::wcsncpy(speed.name, cap.frameSpeeds[i].name, 259);
        speed.value = cap.frameSpeeds[i].value;
        speeds->push_back(speed);
    }
    return CM_OK;
}

int CMCameraYWUSB::GetFrameSpeed(int* value)
{
    if (!m_hDevice || !value)
        return CM_ERR_NO_DEVICE;
    return ::GetFrameSpeed(m_hDevice, value) < 0 ? CM_ERR_SDK_PROPERTY : CM_OK;
}

int CMCameraYWUSB::SetFrameSpeed(int index)
{
    std::vector<CMFrameSpeed> speeds;
    const int result = GetFrameSpeeds(&speeds);
    if (result != CM_OK)
        return result;
    if (index < 0 || index >= static_cast<int>(speeds.size()))
        return CM_ERR_FAILED;
    return ::SetFrameSpeed(m_hDevice, speeds[static_cast<size_t>(index)].value) < 0 ? CM_ERR_SDK_PROPERTY
                                                                                    : CM_OK;
}

int CMCameraYWUSB::GetPreviewImage(tagCMImage* image)
{
    if (!m_hDevice || !image)
        return CM_OK;
    // A unique name in the user's temporary folder; the SDK writes name.bmp.
    std::string name = TemporaryFolder() + "/ywcXXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return CM_OK;
    ::close(fd);
    const std::string bitmap = name + ".bmp";
    if (::CaptureFile(m_hDevice, name.c_str(), YW_CAPTURE_BMP) >= 0)
        ReadBitmap24(bitmap, image);  // a broken file leaves the image empty
    ::unlink(bitmap.c_str());
    ::unlink(name.c_str());
    return CM_OK;
}
