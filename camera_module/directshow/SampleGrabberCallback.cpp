#include "camera_module/directshow/SampleGrabberCallback.h"

void SampleGrabberCallbackBase::Register(CMSampleHandler handler, void* camera)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handler = handler;
    m_camera = camera;
}

HRESULT SampleGrabberCallbackBase::QueryInterface(REFIID, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = static_cast<ISampleGrabberCB*>(this);
    return S_OK;
}

HRESULT SampleGrabberCallbackBase::BufferCB(double, BYTE* buffer, long length)
{
    if (!buffer)
        return E_POINTER;
    CMSampleHandler handler;
    void* camera;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        handler = m_handler;
        camera = m_camera;
    }
    if (handler && camera)
        handler(camera, m_kind, buffer, length);
    return S_OK;
}
