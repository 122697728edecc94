// The generic properties of the wireless camera, mapped onto the SDK's
// video controls.

#include "camera_module/CMClampToInt.h"
#include "camera_module/wireless/CMCameraWMPBox.h"

#include "platform/chd_wmp/chd_wmp.h"

#include <cmath>

namespace {

// Control words of the SDK record.
enum
{
    kSupported = 0,
    kMinimum = 1,
    kCurrent = 2,
    kMaximum = 3,
    kDefault = 5,
    kAutoAvailable = 6,
    kAutoOn = 7,
};

}  // namespace

int CMCameraWMPBox::ControlForProperty(tagCMProperty property)
{
    switch (property) {
    case CM_PROP_BRIGHTNESS:
        return 0;
    case CM_PROP_CONTRAST:
        return 1;
    case CM_PROP_HUE:
        return 3;
    case CM_PROP_SATURATION:
        return 2;
    case CM_PROP_GAMMA:
        return 5;
    case CM_PROP_SHARPNESS:
        return 7;
    case CM_PROP_GAIN:
        return 6;
    case CM_PROP_CONTROL13:
        return 8;
    case CM_PROP_EXPOSURE:
        return 9;
    case CM_PROP_WHITE_BALANCE:
    case CM_PROP_WB_TEMPERATURE:
        return 4;
    default:
        return -1;
    }
}

bool CMCameraWMPBox::ReadControl(tagCMProperty property, int* words)
{
    int control = ControlForProperty(property);
    return control >= 0 && CHD_WMP_Video_GetVideoCtrl(m_handle, control, words) == 0;
}

bool CMCameraWMPBox::IsPropertySupport(tagCMProperty property)
{
    int words[CHD_WMP_CTRL_WORDS] = {};
    if (ReadControl(property, words))
        return property == CM_PROP_WHITE_BALANCE ? words[kAutoAvailable] == 1 : words[kSupported] == 1;
    return CMCameraSDKThread::IsPropertySupport(property);
}

int CMCameraWMPBox::GetPropertyRange(
    tagCMProperty property, double* min, double* max, double* def, int* digits)
{
    int words[CHD_WMP_CTRL_WORDS] = {};
    if (property != CM_PROP_WHITE_BALANCE && ReadControl(property, words)) {
        if (min)
            *min = words[kMinimum];
        if (max)
            *max = words[kMaximum];
        if (def)
            *def = words[kDefault];
        return CM_OK;
    }
    return CMCameraSDKThread::GetPropertyRange(property, min, max, def, digits);
}

int CMCameraWMPBox::GetProperty(tagCMProperty property, double* value, int* isAuto)
{
    int words[CHD_WMP_CTRL_WORDS] = {};
    if (ReadControl(property, words)) {
        if (value)
            *value = words[kCurrent];
        if (isAuto)
            *isAuto = words[kAutoOn] == 1 ? 1 : 0;
        return CM_OK;
    }
    return CMCameraSDKThread::GetProperty(property, value, isAuto);
}

int CMCameraWMPBox::SetProperty(tagCMProperty property, double value, int isAuto)
{
    int control = ControlForProperty(property);
    if (control >= 0) {
        int words[CHD_WMP_CTRL_WORDS] = {};
        words[kCurrent] = ClampToInt(value);
        if (property == CM_PROP_WHITE_BALANCE) {
            // Only the auto flag changes: the camera would take the value
            // as a temperature (0 clamps to its minimum, a blue picture), so
            // its current temperature is written back.
            int current[CHD_WMP_CTRL_WORDS] = {};
            if (!ReadControl(property, current))
                return CMCameraSDKThread::SetProperty(property, value, isAuto);
            words[kCurrent] = current[kCurrent];
        }
        words[kAutoOn] = isAuto != 0 ? 1 : 0;
        if (CHD_WMP_Video_SetVideoCtrl(m_handle, control, words) == 0)
            return CM_OK;
    }
    return CMCameraSDKThread::SetProperty(property, value, isAuto);
}
