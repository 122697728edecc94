// The Sample Grabber filter.

#include "platform/directshow/SampleGrabberFilter.h"

#include <cstring>

#include "platform/directshow/MediaType.h"
#include "platform/directshow/MemorySample.h"

namespace kelvara::dshow {

SampleGrabberFilter::SampleGrabberFilter()
    : FilterBase(CLSID_SampleGrabber)
    , m_input(
          this, L"Input", [this](const AM_MEDIA_TYPE* pmt) { return Accept(pmt); },
          [this](IMediaSample* sample) { return Receive(sample); })
    , m_output(this)
{
}

SampleGrabberFilter::~SampleGrabberFilter()
{
    FreeMediaType(m_acceptType);
}

HRESULT SampleGrabberFilter::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (QueryFilterInterface(riid, ppv))
        return S_OK;
    if (riid == IID_ISampleGrabber) {
        *ppv = static_cast<ISampleGrabber*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT SampleGrabberFilter::Accept(const AM_MEDIA_TYPE* pmt)
{
    const AM_MEDIA_TYPE& want = m_acceptType;
    if (want.majortype != GUID_NULL && want.majortype != pmt->majortype)
        return S_FALSE;
    if (want.subtype != GUID_NULL && want.subtype != pmt->subtype)
        return S_FALSE;
    if (want.formattype != GUID_NULL && want.formattype != pmt->formattype)
        return S_FALSE;
    return S_OK;
}

bool SampleGrabberFilter::GrabberOutputPin::OfferedType(AM_MEDIA_TYPE* mt)
{
    if (!m_owner->m_input.IsConnected())
        return false;
    return SUCCEEDED(CopyMediaType(mt, &m_owner->m_input.MediaType()));
}

HRESULT SampleGrabberFilter::OnRun()
{
    m_oneShotDone = false;
    return S_OK;
}

HRESULT SampleGrabberFilter::Receive(IMediaSample* sample)
{
    if (m_oneShot && m_oneShotDone)
        return S_FALSE;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    const long length = sample->GetActualDataLength();
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    sample->GetTime(&start, &end);

    if (m_bufferSamples) {
        std::lock_guard<std::mutex> lock(m_bufferMutex);
        m_buffer.assign(data, data + (length > 0 ? length : 0));
        m_bufferTime = start;
        m_hasBuffer = true;
    }
    {
        std::lock_guard<std::mutex> lock(m_callbackMutex);
        if (m_callback) {
            const double seconds = static_cast<double>(start) / 1e7;
            if (m_whichMethod == 0)
                m_callback->SampleCB(seconds, sample);
            else
                m_callback->BufferCB(seconds, data, length);
        }
    }
    if (m_oneShot)
        m_oneShotDone = true;
    m_output.Deliver(sample);
    return S_OK;
}

HRESULT SampleGrabberFilter::SetOneShot(BOOL oneShot)
{
    m_oneShot = oneShot != FALSE;
    return S_OK;
}

HRESULT SampleGrabberFilter::SetMediaType(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    if (m_input.IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    FreeMediaType(m_acceptType);
    return CopyMediaType(&m_acceptType, pmt);
}

HRESULT SampleGrabberFilter::GetConnectedMediaType(AM_MEDIA_TYPE* pmt)
{
    return m_input.ConnectionMediaType(pmt);
}

HRESULT SampleGrabberFilter::SetBufferSamples(BOOL buffer)
{
    m_bufferSamples = buffer != FALSE;
    return S_OK;
}

HRESULT SampleGrabberFilter::GetCurrentBuffer(long* size, long* buffer)
{
    if (!size)
        return E_POINTER;
    std::lock_guard<std::mutex> lock(m_bufferMutex);
    if (!m_hasBuffer)
        return VFW_E_WRONG_STATE;
    const long needed = static_cast<long>(m_buffer.size());
    if (!buffer) {
        *size = needed;
        return S_OK;
    }
    if (*size < needed)
        return E_OUTOFMEMORY;
    std::memcpy(buffer, m_buffer.data(), m_buffer.size());
    *size = needed;
    return S_OK;
}

HRESULT SampleGrabberFilter::GetCurrentSample(IMediaSample** ppSample)
{
    if (!ppSample)
        return E_POINTER;
    std::lock_guard<std::mutex> lock(m_bufferMutex);
    if (!m_hasBuffer) {
        *ppSample = nullptr;
        return VFW_E_WRONG_STATE;
    }
    *ppSample = new OwnedSample(m_buffer, m_bufferTime);
    return S_OK;
}

HRESULT SampleGrabberFilter::SetCallback(ISampleGrabberCB* callback, long whichMethod)
{
    if (whichMethod != 0 && whichMethod != 1)
        return E_INVALIDARG;
    ComPtr<ISampleGrabberCB> old;
    {
        // Taking the lock waits for a callback in flight to return.
        std::lock_guard<std::mutex> lock(m_callbackMutex);
        old = std::move(m_callback);
        m_callback = ComPtr<ISampleGrabberCB>(callback);
        m_whichMethod = whichMethod;
    }
    return S_OK;
}

}  // namespace kelvara::dshow
