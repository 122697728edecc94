#pragma once
// The YW500 microscope camera: a DirectShow camera whose exposure time is
// written through the Focus control (the Exposure control only carries the
// auto flag) and whose one-push white balance is a pulse on backlight
// compensation. It has no still path: Snap grabs a preview frame.
//
// Threads: as CMCameraDirectShow; every operation here runs on the UI thread.

#include "camera_module/directshow/CMCameraDirectShow.h"

class CMCameraYW500 : public CMCameraDirectShow
{
public:
    explicit CMCameraYW500(int deviceIndex);

    bool IsSupportStillCapture() override;
    bool IsPropertySupport(tagCMProperty property) override;
    int GetPropertyRange(tagCMProperty property, double* min, double* max, double* def, int* digits) override;
    int GetProperty(tagCMProperty property, double* value, int* isAuto) override;
    int SetProperty(tagCMProperty property, double value, int isAuto) override;
};
