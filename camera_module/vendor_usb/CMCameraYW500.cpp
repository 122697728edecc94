// The YW500 camera model.

#include "camera_module/vendor_usb/CMCameraYW500.h"

#include "camera_module/CMClampToInt.h"
#include "camera_module/vendor_usb/CMSourceControls.h"

CMCameraYW500::CMCameraYW500(int deviceIndex)
    : CMCameraDirectShow(deviceIndex)
{
}

bool CMCameraYW500::IsSupportStillCapture()
{
    return CMCameraBase::IsSupportStillCapture();
}

bool CMCameraYW500::IsPropertySupport(tagCMProperty property)
{
    if (property >= CM_PROP_EXPOSURE && property <= CM_PROP_WB_TEMPERATURE)
        return true;
    return CMCameraDirectShow::IsPropertySupport(property);
}

int CMCameraYW500::GetPropertyRange(
    tagCMProperty property, double* min, double* max, double* def, int* digits)
{
    if (property != CM_PROP_EXPOSURE)
        return CMCameraDirectShow::GetPropertyRange(property, min, max, def, digits);
    if (min)
        *min = 0;
    if (max)
        *max = 240;
    if (def)
        *def = 2;
    if (digits)
        *digits = 0;
    return CM_OK;
}

int CMCameraYW500::GetProperty(tagCMProperty property, double* value, int* isAuto)
{
    if (property != CM_PROP_EXPOSURE)
        return CMCameraDirectShow::GetProperty(property, value, isAuto);
    // The auto flag as the DirectShow exposure reports it ...
    CMCameraDirectShow::GetProperty(property, nullptr, isAuto);
    // ... and the time from Focus.
    CMSourceControls controls(IsReady() ? DeviceRecord()->source : nullptr);
    long min = 0, max = 0, step = 0, def = 0, caps = 0;
    controls.CameraRange(CameraControl_Focus, &min, &max, &step, &def, &caps);
    long time = 0, flags = 0;
    if (FAILED(controls.CameraGet(CameraControl_Focus, &time, &flags)))
        time = 0;
    if (value)
        *value = static_cast<double>(time);
    return CM_OK;
}

int CMCameraYW500::SetProperty(tagCMProperty property, double value, int isAuto)
{
    CMSourceControls controls(IsReady() ? DeviceRecord()->source : nullptr);
    if (property == CM_PROP_EXPOSURE) {
        // Keep the exposure value, change only its auto flag.
        double current = 0;
        int currentAuto = 0;
        CMCameraDirectShow::GetProperty(CM_PROP_EXPOSURE, &current, &currentAuto);
        CMCameraDirectShow::SetProperty(CM_PROP_EXPOSURE, current, isAuto);
        controls.CameraSet(CameraControl_Focus, ClampToInt(value), CameraControl_Flags_Manual);
        return CM_OK;
    }
    if (property == CM_PROP_WB_ONCE) {
        long balance = 0, flags = 0;
        if (FAILED(controls.ProcAmpGet(VideoProcAmp_WhiteBalance, &balance, &flags)))
            balance = 0;
        controls.ProcAmpSet(VideoProcAmp_WhiteBalance, balance,
            isAuto != 0 ? VideoProcAmp_Flags_Auto : VideoProcAmp_Flags_Manual);
        // The camera runs one white balance on a rising edge here.
        controls.ProcAmpSet(VideoProcAmp_BacklightCompensation, 1, VideoProcAmp_Flags_Manual);
        controls.ProcAmpSet(VideoProcAmp_BacklightCompensation, 0, VideoProcAmp_Flags_Manual);
        return CM_OK;
    }
    CMCameraDirectShow::SetProperty(property, value, isAuto);
    return CM_OK;
}
