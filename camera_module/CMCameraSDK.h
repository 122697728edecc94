#pragma once
// Marks the backends driven by a device SDK or capture engine. Adds nothing
// to CMCameraBase; threads as there.

#include "camera_module/CMCameraBase.h"

class CMCameraSDK : public CMCameraBase
{
public:
    CMCameraSDK() = default;
    explicit CMCameraSDK(int deviceIndex)
        : CMCameraBase(deviceIndex)
    {
    }
};
