// Media samples over byte buffers.

#include "platform/directshow/MemorySample.h"

namespace kelvara::dshow {

namespace {

HRESULT QuerySample(IMediaSample* self, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMediaSample) {
        *ppv = self;
        self->AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT SampleTime(REFERENCE_TIME time, REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    if (!start)
        return E_POINTER;
    *start = time;
    if (end)
        *end = time + 1;
    return S_OK;
}

}  // namespace

HRESULT BorrowedSample::QueryInterface(REFIID riid, void** ppv)
{
    return QuerySample(this, riid, ppv);
}

HRESULT BorrowedSample::GetPointer(BYTE** ppBuffer)
{
    if (!ppBuffer)
        return E_POINTER;
    // The interface hands out a writable pointer; receivers only read it.
    *ppBuffer = const_cast<BYTE*>(m_data);
    return S_OK;
}

HRESULT BorrowedSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    return SampleTime(m_time, start, end);
}

HRESULT OwnedSample::QueryInterface(REFIID riid, void** ppv)
{
    return QuerySample(this, riid, ppv);
}

HRESULT OwnedSample::GetPointer(BYTE** ppBuffer)
{
    if (!ppBuffer)
        return E_POINTER;
    *ppBuffer = m_data.data();
    return S_OK;
}

HRESULT OwnedSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    return SampleTime(m_time, start, end);
}

}  // namespace kelvara::dshow
