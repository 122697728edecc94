#pragma once
// The YxDP5 microscope camera: a YW1600 whose still pictures come as MJPG.
//
// Threads: as CMCameraYW1600.

#include "camera_module/vendor_usb/CMCameraYW1600.h"

class CMCameraYxDP5 : public CMCameraYW1600
{
public:
    explicit CMCameraYxDP5(int deviceIndex)
        : CMCameraYW1600(deviceIndex)
    {
        m_stillFormat = CM_FMT_MJPG;
    }
};
