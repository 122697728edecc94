// Shared pin behaviour.

#include "platform/directshow/PinBase.h"

#include "platform/directshow/MediaType.h"

namespace kelvara::dshow {

PinBase::PinBase(FilterBase* filter, std::wstring name, PIN_DIRECTION dir)
    : m_filter(filter)
    , m_name(std::move(name))
    , m_dir(dir)
{
}

PinBase::~PinBase()
{
    FreeMediaType(m_mediaType);
}

HRESULT PinBase::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPin) {
        *ppv = static_cast<IPin*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

void PinBase::SetConnection(IPin* peer, const AM_MEDIA_TYPE& mt)
{
    m_connected = ComPtr<IPin>(peer);
    FreeMediaType(m_mediaType);
    CopyMediaType(&m_mediaType, &mt);
}

HRESULT PinBase::Disconnect()
{
    if (m_filter->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!m_connected)
        return S_FALSE;
    OnDisconnect();
    m_connected.Reset();
    FreeMediaType(m_mediaType);
    m_mediaType = AM_MEDIA_TYPE{};
    return S_OK;
}

HRESULT PinBase::ConnectedTo(IPin** ppPin)
{
    if (!ppPin)
        return E_POINTER;
    *ppPin = nullptr;
    if (!m_connected)
        return VFW_E_NOT_CONNECTED;
    *ppPin = m_connected.Get();
    (*ppPin)->AddRef();
    return S_OK;
}

HRESULT PinBase::ConnectionMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    *pmt = AM_MEDIA_TYPE{};
    if (!m_connected)
        return VFW_E_NOT_CONNECTED;
    return CopyMediaType(pmt, &m_mediaType);
}

HRESULT PinBase::QueryPinInfo(PIN_INFO* info)
{
    if (!info)
        return E_POINTER;
    info->pFilter = m_filter;
    m_filter->AddRef();
    info->dir = m_dir;
    CopyName(m_name, info->achName, 128);
    return S_OK;
}

HRESULT PinBase::QueryDirection(PIN_DIRECTION* dir)
{
    if (!dir)
        return E_POINTER;
    *dir = m_dir;
    return S_OK;
}

}  // namespace kelvara::dshow
