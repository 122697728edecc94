#include "camera_module/CMCameraBase.h"

#include "platform/system/Tick.h"

#include <cstring>

namespace {

bool IsSoftOffset(tagCMProperty property)
{
    return property == CM_PROP_SOFT_RED || property == CM_PROP_SOFT_GREEN || property == CM_PROP_SOFT_BLUE;
}

}  // namespace

CMCameraBase::CMCameraBase()
    : CMCameraBase(-1)
{
}

CMCameraBase::CMCameraBase(int deviceIndex)
    : m_nDeviceIndex(deviceIndex)
    , m_paused(0)
    , m_callback(nullptr)
    , m_user(nullptr)
    , m_pFrameRate(std::make_unique<FrameRateCounter>(kelvara::GetTickCount))
    , m_pSoftAdjust(std::make_unique<SoftAdjust>())
{
    std::memset(&m_deviceInfo, 0, sizeof(m_deviceInfo));
    InitLock();
}

CMCameraBase::~CMCameraBase()
{
    ReleaseLock();
}

int CMCameraBase::Init(CMFrameCallback callback, void* user, long, long)
{
    ClearDeviceLost();
    setCallback(callback, user);
    return CM_OK;
}

int CMCameraBase::Release()
{
    return CM_OK;
}

int CMCameraBase::Play()
{
    m_paused.store(0, std::memory_order_release);
    return CM_OK;
}

int CMCameraBase::Pause()
{
    m_paused.store(1, std::memory_order_release);
    return CM_OK;
}

int CMCameraBase::HasVideoVideoProperty()
{
    return 0;
}

bool CMCameraBase::IsSupportStillCapture()
{
    return false;
}

int CMCameraBase::GetSupportedStillCaptureSizes(std::vector<tagSIZE>*)
{
    return CM_ERR_NOT_SUPPORTED;
}

int CMCameraBase::GetStillImageSize(int&, int&)
{
    return CM_ERR_NOT_IMPLEMENTED;
}

int CMCameraBase::SetStillImageSize(int, int)
{
    return CM_ERR_NOT_IMPLEMENTED;
}

int CMCameraBase::ShowCameraPropertyPages(HWND, const wchar_t*)
{
    return CM_OK;
}

int CMCameraBase::GetFrameRate(int*)
{
    return CM_OK;
}

float CMCameraBase::GetFrameRate()
{
    if (m_deviceLost.load(std::memory_order_acquire))
        return 0.0f;
    return m_pFrameRate ? m_pFrameRate->Rate() : 0.0f;
}

bool CMCameraBase::IsDeviceLost()
{
    return m_deviceLost.load(std::memory_order_acquire);
}

int CMCameraBase::IsSupportLongExposure()
{
    return 0;
}

int CMCameraBase::GetLongExposureRange(double*, double*)
{
    return CM_OK;
}

int CMCameraBase::GetLongExposureDefault(double*)
{
    return CM_OK;
}

int CMCameraBase::GetLongExposure(int*, double*)
{
    return CM_OK;
}

int CMCameraBase::SetLongExposure(int, double)
{
    return CM_OK;
}

int CMCameraBase::IsSupportFrameRate()
{
    return 0;
}

int CMCameraBase::GetFrameRateRange(int*, int*)
{
    return CM_OK;
}

int CMCameraBase::GetFrameRateDefault(int*)
{
    return CM_OK;
}

int CMCameraBase::SetFrameRate(int)
{
    return CM_OK;
}

bool CMCameraBase::IsPropertySupport(tagCMProperty property)
{
    return IsSoftOffset(property) || property == CM_PROP_MIRROR || property == CM_PROP_FLIP;
}

int CMCameraBase::GetPropertyRange(tagCMProperty property, double* min, double* max, double* def, int*)
{
    if (!IsSoftOffset(property))
        return CM_ERR_NOT_SUPPORTED;
    if (m_pSoftAdjust) {
        if (min)
            *min = 0.0;
        if (max)
            *max = 255.0;
        if (def)
            *def = 0.0;
    }
    return CM_OK;
}

int CMCameraBase::GetPropertyRangeEnumInt(tagCMProperty, std::vector<int>&)
{
    return CM_OK;
}

int CMCameraBase::GetProperty(tagCMProperty property, double* value, int*)
{
    if (!m_pSoftAdjust)
        return CM_ERR_NOT_SUPPORTED;
    const SoftAdjust& soft = *m_pSoftAdjust;
    double result;
    switch (property) {
    case CM_PROP_SOFT_RED:
        result = soft.redOffset;
        break;
    case CM_PROP_SOFT_GREEN:
        result = soft.greenOffset;
        break;
    case CM_PROP_SOFT_BLUE:
        result = soft.blueOffset;
        break;
    case CM_PROP_MIRROR:
        result = soft.mirror ? 1.0 : 0.0;
        break;
    case CM_PROP_FLIP:
        result = soft.flipVertical ? 1.0 : 0.0;
        break;
    default:
        return CM_ERR_NOT_SUPPORTED;
    }
    if (value)
        *value = result;
    return CM_OK;
}

int CMCameraBase::GetPropertyUnit(tagCMProperty, wchar_t*, int)
{
    return CM_ERR_NOT_IMPLEMENTED;
}

int CMCameraBase::GetPropertyAlias(tagCMProperty, double, wchar_t*, int)
{
    return CM_ERR_NOT_IMPLEMENTED;
}

int CMCameraBase::SetProperty(tagCMProperty property, double value, int)
{
    if (!m_pSoftAdjust)
        return CM_ERR_NOT_SUPPORTED;
    SoftAdjust& soft = *m_pSoftAdjust;
    // Offsets keep the low 8 bits of the truncated value (300 becomes 44).
    // Converting an out-of-range double to int is undefined, so huge values
    // go through a 64-bit integer first; they are far outside any slider.
    auto offset = [value]() -> uint8_t {
        if (!(value > -9.0e18 && value < 9.0e18))
            return 0;
        return static_cast<uint8_t>(static_cast<int64_t>(value) & 0xFF);
    };
    switch (property) {
    case CM_PROP_SOFT_RED:
        soft.redOffset = offset();
        break;
    case CM_PROP_SOFT_GREEN:
        soft.greenOffset = offset();
        break;
    case CM_PROP_SOFT_BLUE:
        soft.blueOffset = offset();
        break;
    case CM_PROP_MIRROR:
        soft.mirror = value > 0 ? 1 : 0;
        break;
    case CM_PROP_FLIP:
        soft.flipVertical = value > 0 ? 1 : 0;
        break;
    default:
        return CM_ERR_NOT_SUPPORTED;
    }
    return CM_OK;
}

int CMCameraBase::GetPreviewImage(tagCMImage*)
{
    return CM_ERR_NOT_IMPLEMENTED;
}

int CMCameraBase::GetStillImage(tagCMImage*)
{
    return CM_ERR_NOT_IMPLEMENTED;
}

int CMCameraBase::Snap(tagCMImage* image)
{
    if (IsSupportStillCapture())
        return GetStillImage(image);
    return GetPreviewImage(image);
}

long CMCameraBase::GetSnapImageSize()
{
    int width = 0;
    int height = 0;
    if (IsSupportStillCapture())
        GetStillImageSize(width, height);
    else
        GetPreviewImageSize(&width, &height);
    return static_cast<long>(width) * height * 3;
}

void CMCameraBase::setCallback(CMFrameCallback callback, void* user)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_callback = callback;
    m_user = user;
}

void CMCameraBase::CurrentCallback(CMFrameCallback* callback, void** user)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    *callback = m_callback;
    *user = m_user;
}

void CMCameraBase::processPixels(tagCMImage* image)
{
    if (m_pSoftAdjust)
        m_pSoftAdjust->Apply(image);
}

void CMCameraBase::frameCount()
{
    if (m_pFrameRate)
        m_pFrameRate->CountFrame();
}

void CMCameraBase::SetDeviceInfo(_tag_VideoDeviceInfo info)
{
    m_deviceInfo = info;
}

_tag_VideoDeviceInfo CMCameraBase::GetDeviceInfo()
{
    return m_deviceInfo;
}

bool CMCameraBase::IsNetworkCamera()
{
    return m_deviceInfo.vid == 0xFFFF && m_deviceInfo.pid == 0xFFFF;
}
