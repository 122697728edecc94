#pragma once
// The camera-control and video-proc-amp interfaces of a capture source
// filter, for the camera models that reach their image processor through
// them. Missing interfaces make every call fail with E_NOINTERFACE.
//
// Threads: UI thread, like every property call of the DirectShow backend.

#include "platform/directshow/ComPtr.h"
#include "platform/directshow/DShow.h"

class CMSourceControls
{
public:
    // source may be null (device not ready).
    explicit CMSourceControls(IBaseFilter* source);

    HRESULT CameraRange(long property, long* min, long* max, long* step, long* def, long* caps);
    HRESULT CameraGet(long property, long* value, long* flags);
    HRESULT CameraSet(long property, long value, long flags);
    HRESULT ProcAmpGet(long property, long* value, long* flags);
    HRESULT ProcAmpSet(long property, long value, long flags);

    // Register port: CameraControl_Roll selects a register (low 8 bits),
    // CameraControl_Focus holds its signed 16-bit content.
    bool ReadRegister(int reg, int* value);
    void WriteRegister(int reg, int value);

private:
    kelvara::dshow::ComPtr<IAMCameraControl> m_camera;
    kelvara::dshow::ComPtr<IAMVideoProcAmp> m_procAmp;
};
