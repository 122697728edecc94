// Control access on a capture source filter.

#include "camera_module/vendor_usb/CMSourceControls.h"

#include <cstdint>

CMSourceControls::CMSourceControls(IBaseFilter* source)
{
    if (!source)
        return;
    m_camera = kelvara::dshow::QueryAs<IAMCameraControl>(source, IID_IAMCameraControl);
    m_procAmp = kelvara::dshow::QueryAs<IAMVideoProcAmp>(source, IID_IAMVideoProcAmp);
}

HRESULT CMSourceControls::CameraRange(long property, long* min, long* max, long* step, long* def, long* caps)
{
    return m_camera ? m_camera->GetRange(property, min, max, step, def, caps) : E_NOINTERFACE;
}

HRESULT CMSourceControls::CameraGet(long property, long* value, long* flags)
{
    return m_camera ? m_camera->Get(property, value, flags) : E_NOINTERFACE;
}

HRESULT CMSourceControls::CameraSet(long property, long value, long flags)
{
    return m_camera ? m_camera->Set(property, value, flags) : E_NOINTERFACE;
}

HRESULT CMSourceControls::ProcAmpGet(long property, long* value, long* flags)
{
    return m_procAmp ? m_procAmp->Get(property, value, flags) : E_NOINTERFACE;
}

HRESULT CMSourceControls::ProcAmpSet(long property, long value, long flags)
{
    return m_procAmp ? m_procAmp->Set(property, value, flags) : E_NOINTERFACE;
}

bool CMSourceControls::ReadRegister(int reg, int* value)
{
    if (FAILED(CameraSet(CameraControl_Roll, reg & 0xFF, CameraControl_Flags_Manual)))
        return false;
    long min = 0, max = 0, step = 0, def = 0, caps = 0;
    CameraRange(CameraControl_Focus, &min, &max, &step, &def, &caps);
    long content = 0, flags = 0;
    if (FAILED(CameraGet(CameraControl_Focus, &content, &flags)))
        return false;
    *value = static_cast<int16_t>(content & 0xFFFF);
    return true;
}

void CMSourceControls::WriteRegister(int reg, int value)
{
    // Failures are ignored: a camera without the port simply keeps its state.
    CameraSet(CameraControl_Roll, reg & 0xFF, CameraControl_Flags_Manual);
    CameraSet(CameraControl_Focus, static_cast<int16_t>(value & 0xFFFF), CameraControl_Flags_Manual);
}
