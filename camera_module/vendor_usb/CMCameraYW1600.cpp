// The YW1600 register-port camera model.

#include "camera_module/vendor_usb/CMCameraYW1600.h"

#include "camera_module/CMClampToInt.h"
#include "camera_module/vendor_usb/CMSourceControls.h"

#include <cmath>
#include <cwchar>
#include <string>

namespace {

// One property kept in a register of the camera's image processor.
struct RegisterProperty
{
    tagCMProperty property;
    int reg;
    int min, max, def;
};

constexpr RegisterProperty kRegisters[] = {
    {CM_PROP_CONTRAST, 67, 0, 15, 8},
    {CM_PROP_SATURATION, 66, 0, 15, 8},
    {CM_PROP_GAMMA, 72, 0, 63, 16},
    {CM_PROP_SHARPNESS, 65, 0, 7, 2},
    {CM_PROP_RED_GAIN, 69, 0, 63, 24},
    {CM_PROP_BLUE_GAIN, 71, 0, 63, 26},
    {CM_PROP_GAIN, 14, 0, 63, 0},
    {CM_PROP_AE_TARGET, 68, 0, 15, 10},
    {CM_PROP_WB_TEMPERATURE, 74, 0, 63, 25},
    {CM_PROP_DENOISE, 73, 0, 7, 5},
};

constexpr int kRegColorMode = 1;
constexpr int kRegPowerFrequency = 6;
constexpr int kRegAutoExposure = 7;
constexpr int kRegWhiteBalance = 8;
constexpr int kRegExposure = 12;
constexpr int kRegTemperature = 74;
constexpr int kExposureRange[3] = {1, 999, 33};
constexpr int kTemperatureCount = 64;

const RegisterProperty* RegisterOf(tagCMProperty property)
{
    for (const RegisterProperty& r : kRegisters)
        if (r.property == property)
            return &r;
    return nullptr;
}

// Copies text into buffer; -3 when it does not fit.
int CopyText(const std::wstring& text, wchar_t* buffer, int bufferChars)
{
    if (!buffer || bufferChars <= 0 || text.size() + 1 > static_cast<size_t>(bufferChars))
        return CM_ERR_NOT_SUPPORTED;
    std::wmemcpy(buffer, text.c_str(), text.size() + 1);
    return CM_OK;
}

std::wstring Format(const wchar_t* format, double value)
{
    wchar_t text[64];
    const int n = std::swprintf(text, 64, format, value);
    return n < 0 ? std::wstring() : std::wstring(text, static_cast<size_t>(n));
}

}  // namespace

CMCameraYW1600::CMCameraYW1600(int deviceIndex)
    : CMCameraDirectShow(deviceIndex)
{
}

const wchar_t* CMCameraYW1600::TemperatureName(int index)
{
    static const std::vector<std::wstring> names = [] {
        std::vector<std::wstring> list;
        for (int i = 0; i < kTemperatureCount; ++i)
            list.push_back(std::to_wstring(1800 + 128 * i) + L"K");
        return list;
    }();
    if (index < 0 || index >= kTemperatureCount)
        return nullptr;
    return names[static_cast<size_t>(index)].c_str();
}

int CMCameraYW1600::GetSupportedPreviewSizes(std::vector<tagSIZE>* sizes)
{
    std::vector<tagSIZE> all;
    CMCameraDirectShow::GetSupportedPreviewSizes(&all);
    bool any = false;
    for (const tagSIZE& s : all) {
        if (s.cx == 4608 && s.cy == 3456)
            continue;  // offered by the sensor but not streamable
        if (sizes)
            sizes->push_back(s);
        any = true;
    }
    return any ? CM_OK : CM_ERR_NOT_SUPPORTED;
}

bool CMCameraYW1600::IsPropertySupport(tagCMProperty property)
{
    switch (property) {
    case CM_PROP_BRIGHTNESS:
        return false;
    case CM_PROP_CONTRAST:
    case CM_PROP_SATURATION:
    case CM_PROP_GAMMA:
    case CM_PROP_SHARPNESS:
    case CM_PROP_GAIN:
    case CM_PROP_EXPOSURE:
    case CM_PROP_WHITE_BALANCE:
    case CM_PROP_WB_TEMPERATURE:
    case CM_PROP_COLOR_MODE:
    case CM_PROP_POWER_FREQ:
    case CM_PROP_DENOISE: {
        // A camera with the port holds a temperature index below 64 here.
        int probe = 0;
        CMSourceControls controls(IsReady() ? DeviceRecord()->source : nullptr);
        return controls.ReadRegister(kRegTemperature, &probe) && probe < kTemperatureCount;
    }
    case CM_PROP_AE_TARGET:
    case CM_PROP_WB_ONCE:
        return true;
    default:
        return CMCameraDirectShow::IsPropertySupport(property);
    }
}

int CMCameraYW1600::GetPropertyRange(
    tagCMProperty property, double* min, double* max, double* def, int* digits)
{
    if (digits)
        *digits = 0;
    int range[3];
    if (const RegisterProperty* r = RegisterOf(property)) {
        range[0] = r->min;
        range[1] = r->max;
        range[2] = r->def;
    } else if (property == CM_PROP_EXPOSURE) {
        range[0] = kExposureRange[0];
        range[1] = kExposureRange[1];
        range[2] = kExposureRange[2];
    } else {
        return CMCameraDirectShow::GetPropertyRange(property, min, max, def, digits);
    }
    if (min)
        *min = range[0];
    if (max)
        *max = range[1];
    if (def)
        *def = range[2];
    return CM_OK;
}

int CMCameraYW1600::GetPropertyRangeEnumInt(tagCMProperty property, std::vector<int>& values)
{
    if (property == CM_PROP_COLOR_MODE) {
        values.insert(values.end(), {0, 1, 2});
        return 1;
    }
    if (property == CM_PROP_POWER_FREQ) {
        values.insert(values.end(), {1, 2, 3});
        return 1;
    }
    return CM_OK;
}

int CMCameraYW1600::GetProperty(tagCMProperty property, double* value, int* isAuto)
{
    if (isAuto)
        *isAuto = 0;
    CMSourceControls controls(IsReady() ? DeviceRecord()->source : nullptr);
    auto read = [&](int reg) {
        int content = 0;
        if (!controls.ReadRegister(reg, &content))
            content = 0;
        return content;
    };
    if (const RegisterProperty* r = RegisterOf(property)) {
        if (value)
            *value = read(r->reg);
        return CM_OK;
    }
    switch (property) {
    case CM_PROP_EXPOSURE:
        if (isAuto)
            *isAuto = read(kRegAutoExposure) == 1 ? 1 : 0;
        if (value)
            *value = read(kRegExposure);
        return CM_OK;
    case CM_PROP_WHITE_BALANCE:
        if (isAuto)
            *isAuto = read(kRegWhiteBalance) == 1 ? 1 : 0;
        return CM_OK;
    case CM_PROP_WB_ONCE:
        return CM_OK;
    case CM_PROP_COLOR_MODE: {
        const int mode = read(kRegColorMode);
        if (value)
            *value = (mode == 1 || mode == 2) ? mode : 0;
        return CM_OK;
    }
    case CM_PROP_POWER_FREQ: {
        const int frequency = read(kRegPowerFrequency);
        if (value)
            *value = frequency == 1 ? 2 : (frequency == 2 ? 3 : 1);
        return CM_OK;
    }
    default:
        return CMCameraDirectShow::GetProperty(property, value, isAuto);
    }
}

int CMCameraYW1600::GetPropertyUnit(tagCMProperty property, wchar_t* buffer, int bufferChars)
{
    switch (property) {
    case CM_PROP_GAIN:
        return CopyText(L"dB", buffer, bufferChars);
    case CM_PROP_EXPOSURE:
        return CopyText(L"ms", buffer, bufferChars);
    case CM_PROP_WB_TEMPERATURE:
        return CopyText(L"K", buffer, bufferChars);
    default:
        return CM_ERR_NOT_SUPPORTED;
    }
}

int CMCameraYW1600::GetPropertyAlias(tagCMProperty property, double value, wchar_t* buffer, int bufferChars)
{
    if (!buffer || bufferChars <= 0)
        return CM_ERR_NOT_SUPPORTED;
    switch (property) {
    case CM_PROP_GAIN:
        // Below -1 the logarithm has no value: show the plain number.
        if (!(value > -1.0))
            return CM_ERR_NOT_SUPPORTED;
        return CopyText(Format(L"%.2f dB", 20.0 * std::log10(value + 1.0)), buffer, bufferChars);
    case CM_PROP_EXPOSURE:
        return CopyText(Format(L"%.0f ms", value), buffer, bufferChars);
    case CM_PROP_WB_TEMPERATURE: {
        if (!(value > -1.0 && value < kTemperatureCount))
            return CM_ERR_NOT_SUPPORTED;
        const wchar_t* name = TemperatureName(static_cast<int>(value));
        return name ? CopyText(name, buffer, bufferChars) : CM_ERR_NOT_SUPPORTED;
    }
    default:
        return CM_ERR_NOT_SUPPORTED;
    }
}

int CMCameraYW1600::SetProperty(tagCMProperty property, double value, int isAuto)
{
    CMSourceControls controls(IsReady() ? DeviceRecord()->source : nullptr);
    const int v = ClampToInt(value);
    if (const RegisterProperty* r = RegisterOf(property)) {
        controls.WriteRegister(r->reg, v);
        return CM_OK;
    }
    switch (property) {
    case CM_PROP_EXPOSURE:
        if (isAuto != 0)
            controls.WriteRegister(kRegAutoExposure, 1);
        else
            controls.WriteRegister(kRegExposure, v);
        return CM_OK;
    case CM_PROP_WHITE_BALANCE:
        controls.WriteRegister(kRegWhiteBalance, isAuto != 0 ? 1 : 0);
        return CM_OK;
    case CM_PROP_WB_ONCE:
        controls.WriteRegister(kRegWhiteBalance, 2);
        return CM_OK;
    case CM_PROP_COLOR_MODE:
        controls.WriteRegister(kRegColorMode, (v == 1 || v == 2) ? v : 0);
        return CM_OK;
    case CM_PROP_POWER_FREQ:
        controls.WriteRegister(kRegPowerFrequency, v == 2 ? 1 : (v == 3 ? 2 : 0));
        return CM_OK;
    default:
        CMCameraDirectShow::SetProperty(property, value, isAuto);
        return CM_OK;
    }
}
