// Property operations of the DirectShow backend: camera properties mapped
// onto the source filter's IAMVideoProcAmp and IAMCameraControl.

#include "camera_module/directshow/CMCameraDirectShow.h"

#include "camera_module/CMClampToInt.h"

#include <climits>
#include <cmath>

namespace {

struct ControlMapping
{
    bool cameraControl;  // IAMCameraControl, else IAMVideoProcAmp
    long control;
    bool autoFlag;  // written with the auto flag when asked
};

bool MappingOf(tagCMProperty property, ControlMapping* mapping)
{
    switch (property) {
    case CM_PROP_BRIGHTNESS:
        *mapping = {false, VideoProcAmp_Brightness, false};
        return true;
    case CM_PROP_CONTRAST:
        *mapping = {false, VideoProcAmp_Contrast, false};
        return true;
    case CM_PROP_HUE:
        *mapping = {false, VideoProcAmp_Hue, false};
        return true;
    case CM_PROP_SATURATION:
        *mapping = {false, VideoProcAmp_Saturation, false};
        return true;
    case CM_PROP_GAMMA:
        *mapping = {false, VideoProcAmp_Gamma, false};
        return true;
    case CM_PROP_SHARPNESS:
        *mapping = {false, VideoProcAmp_Sharpness, false};
        return true;
    case CM_PROP_GAIN:
        *mapping = {false, VideoProcAmp_Gain, true};
        return true;
    case CM_PROP_EXPOSURE:
        *mapping = {true, CameraControl_Exposure, true};
        return true;
    case CM_PROP_WHITE_BALANCE:
        *mapping = {false, VideoProcAmp_WhiteBalance, true};
        return true;
    case CM_PROP_WB_TEMPERATURE:
        *mapping = {false, VideoProcAmp_WhiteBalance, false};
        return true;
    case CM_PROP_IRIS:
        *mapping = {true, CameraControl_Iris, true};
        return true;
    default:
        return false;
    }
}

bool IsSoftwareProperty(tagCMProperty property)
{
    return property == CM_PROP_SOFT_RED || property == CM_PROP_SOFT_GREEN || property == CM_PROP_SOFT_BLUE
        || property == CM_PROP_MIRROR || property == CM_PROP_FLIP;
}

// The auto flag reported for these properties; the others always read 0.
bool ReportsAuto(tagCMProperty property)
{
    return property == CM_PROP_EXPOSURE || property == CM_PROP_WHITE_BALANCE
        || property == CM_PROP_WB_TEMPERATURE || property == CM_PROP_IRIS;
}

// One control of the source filter, reached through whichever interface
// the mapping names.
class DeviceControl
{
public:
    DeviceControl(IBaseFilter* source, const ControlMapping& mapping)
        : m_mapping(mapping)
    {
        if (!source)
            return;
        if (mapping.cameraControl)
            source->QueryInterface(IID_IAMCameraControl, reinterpret_cast<void**>(&m_camera));
        else
            source->QueryInterface(IID_IAMVideoProcAmp, reinterpret_cast<void**>(&m_procAmp));
    }
    ~DeviceControl()
    {
        if (m_camera)
            m_camera->Release();
        if (m_procAmp)
            m_procAmp->Release();
    }
    DeviceControl(const DeviceControl&) = delete;
    DeviceControl& operator=(const DeviceControl&) = delete;

    bool Exists() const { return m_camera || m_procAmp; }
    HRESULT GetRange(long* min, long* max, long* step, long* def, long* caps)
    {
        if (m_camera)
            return m_camera->GetRange(m_mapping.control, min, max, step, def, caps);
        if (m_procAmp)
            return m_procAmp->GetRange(m_mapping.control, min, max, step, def, caps);
        return E_NOINTERFACE;
    }
    HRESULT Get(long* value, long* flags)
    {
        if (m_camera)
            return m_camera->Get(m_mapping.control, value, flags);
        if (m_procAmp)
            return m_procAmp->Get(m_mapping.control, value, flags);
        return E_NOINTERFACE;
    }
    HRESULT Set(long value, long flags)
    {
        if (m_camera)
            return m_camera->Set(m_mapping.control, value, flags);
        if (m_procAmp)
            return m_procAmp->Set(m_mapping.control, value, flags);
        return E_NOINTERFACE;
    }

private:
    ControlMapping m_mapping;
    IAMCameraControl* m_camera = nullptr;
    IAMVideoProcAmp* m_procAmp = nullptr;
};

constexpr long kFlagsAuto = 1;  // VideoProcAmp_Flags_Auto / CameraControl_Flags_Auto
constexpr long kFlagsManual = 2;  // VideoProcAmp_Flags_Manual / CameraControl_Flags_Manual

}  // namespace

bool CMCameraDirectShow::IsPropertySupport(tagCMProperty property)
{
    if (IsSoftwareProperty(property))
        return true;
    ControlMapping mapping;
    if (!MappingOf(property, &mapping) || !IsReady())
        return false;
    DeviceControl control(DeviceRecord()->source, mapping);
    long min, max, step, def, caps;
    return SUCCEEDED(control.GetRange(&min, &max, &step, &def, &caps));
}

int CMCameraDirectShow::GetPropertyRange(
    tagCMProperty property, double* min, double* max, double* def, int* digits)
{
    if (IsSoftwareProperty(property))
        return CMCameraBase::GetPropertyRange(property, min, max, def, digits);
    ControlMapping mapping;
    if (property == CM_PROP_WHITE_BALANCE || !MappingOf(property, &mapping))
        return CM_ERR_NOT_SUPPORTED;
    const int failure = mapping.cameraControl ? CM_ERR_SDK_PROPERTY : CM_ERR_NOT_SUPPORTED;
    if (!IsReady())
        return failure;
    DeviceControl control(DeviceRecord()->source, mapping);
    long lo = 0, hi = 0, step = 0, dflt = 0, caps = 0;
    if (FAILED(control.GetRange(&lo, &hi, &step, &dflt, &caps)))
        return failure;
    double defaultValue = dflt;
    if (!mapping.cameraControl && (dflt < lo || dflt > hi))
        defaultValue = (hi - lo) / 2;
    if (min)
        *min = lo;
    if (max)
        *max = hi;
    if (def)
        *def = defaultValue;
    return CM_OK;
}

int CMCameraDirectShow::GetProperty(tagCMProperty property, double* value, int* isAuto)
{
    if (isAuto)
        *isAuto = 0;
    if (IsSoftwareProperty(property))
        return CMCameraBase::GetProperty(property, value, isAuto);
    long current = 0;
    long flags = 0;
    ControlMapping mapping;
    if (MappingOf(property, &mapping) && IsReady()) {
        DeviceControl control(DeviceRecord()->source, mapping);
        if (FAILED(control.Get(&current, &flags))) {
            current = 0;
            flags = 0;
        }
    }
    if (value)
        *value = static_cast<double>(current);
    if (isAuto && ReportsAuto(property))
        *isAuto = (flags & kFlagsAuto) ? 1 : 0;
    return CM_OK;
}

int CMCameraDirectShow::SetProperty(tagCMProperty property, double value, int isAuto)
{
    if (IsSoftwareProperty(property))
        return CMCameraBase::SetProperty(property, value, isAuto);
    ControlMapping mapping;
    if (!MappingOf(property, &mapping) || !IsReady())
        return CM_OK;
    DeviceControl control(DeviceRecord()->source, mapping);
    bool writeAuto = mapping.autoFlag && isAuto != 0;
    if (writeAuto) {
        // A control without an automatic mode (a UVC camera's gain) refuses
        // the auto flag: its value is written instead.
        long lo = 0, hi = 0, step = 0, dflt = 0, caps = 0;
        writeAuto = SUCCEEDED(control.GetRange(&lo, &hi, &step, &dflt, &caps)) && (caps & kFlagsAuto) != 0;
    }
    const long flags = writeAuto ? kFlagsAuto : kFlagsManual;
    // NaN is no value: the lowest one, which the device refuses.
    long newValue = std::isnan(value) ? INT_MIN : ClampToInt(value);
    if (property == CM_PROP_WHITE_BALANCE) {
        // Only the auto flag changes: write the current value back.
        long currentFlags = 0;
        if (FAILED(control.Get(&newValue, &currentFlags)))
            return CM_OK;
    }
    control.Set(newValue, flags);  // a refused write is ignored
    return CM_OK;
}

int CMCameraDirectShow::ShowCameraPropertyPages(HWND owner, const wchar_t*)
{
    if (!IsReady())
        return CM_ERR_FAILED;
    CMCaptureDevice* d = DeviceRecord();
    ISpecifyPropertyPages* pageSource = nullptr;
    if (FAILED(d->source->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&pageSource)))
        || !pageSource)
        return CM_ERR_FAILED;
    CAUUID pages = {0, nullptr};
    HRESULT hr = pageSource->GetPages(&pages);
    pageSource->Release();
    if (FAILED(hr))
        return CM_ERR_FAILED;
    // Captioned with the filter's name; fails cleanly when no presenter is
    // registered to show the sheet.
    IUnknown* objects[] = {d->source};
    hr = OleCreatePropertyFrame(owner, 0, 0, d->wName, 1, objects, pages.cElems, pages.pElems, 0, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    return SUCCEEDED(hr) ? CM_OK : CM_ERR_FAILED;
}
