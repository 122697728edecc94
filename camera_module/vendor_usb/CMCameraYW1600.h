#pragma once
// The YW1600 microscope camera: a DirectShow camera whose image processor
// is reached through a register port on two camera controls (Roll selects a
// register, Focus reads and writes it). Contrast, saturation, gamma,
// sharpness, gains, exposure, white balance, colour mode, power frequency
// and noise reduction live in registers; preview sizes of 4608 x 3456 are
// hidden.
//
// Threads: as CMCameraDirectShow; every operation here runs on the UI thread.

#include "camera_module/directshow/CMCameraDirectShow.h"

class CMCameraYW1600 : public CMCameraDirectShow
{
public:
    explicit CMCameraYW1600(int deviceIndex);

    int GetSupportedPreviewSizes(std::vector<tagSIZE>* sizes) override;
    bool IsPropertySupport(tagCMProperty property) override;
    int GetPropertyRange(tagCMProperty property, double* min, double* max, double* def, int* digits) override;
    // 19 (colour mode) and 20 (power frequency) append their values and
    // return 1; other properties append nothing and return 0.
    int GetPropertyRangeEnumInt(tagCMProperty property, std::vector<int>& values) override;
    int GetProperty(tagCMProperty property, double* value, int* isAuto) override;
    // "dB" (9), "ms" (15), "K" (18); -3 otherwise or when it does not fit.
    int GetPropertyUnit(tagCMProperty property, wchar_t* buffer, int bufferChars) override;
    // Gain in dB, exposure in ms, the temperature name of an index 0..63.
    int GetPropertyAlias(tagCMProperty property, double value, wchar_t* buffer, int bufferChars) override;
    int SetProperty(tagCMProperty property, double value, int isAuto) override;

    // The name of white-balance temperature index 0..63 ("1800K" ...
    // "9864K"), null outside.
    static const wchar_t* TemperatureName(int index);
};
