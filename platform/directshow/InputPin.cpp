// Input pins of the grabber and the renderer.

#include "platform/directshow/InputPin.h"

namespace kelvara::dshow {

InputPin::InputPin(FilterBase* filter, std::wstring name, AcceptFunction accept, ReceiveFunction receive)
    : PinBase(filter, std::move(name), PINDIR_INPUT)
    , m_accept(std::move(accept))
    , m_receive(std::move(receive))
{
}

HRESULT InputPin::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv && riid == IID_IMemInputPin) {
        *ppv = static_cast<IMemInputPin*>(this);
        AddRef();
        return S_OK;
    }
    return PinBase::QueryInterface(riid, ppv);
}

HRESULT InputPin::Connect(IPin*, const AM_MEDIA_TYPE*)
{
    // Connections are made from the output side.
    return E_UNEXPECTED;
}

HRESULT InputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* pmt)
{
    if (!connector || !pmt)
        return E_POINTER;
    if (IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    if (Filter()->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (QueryAccept(pmt) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    SetConnection(connector, *pmt);
    return S_OK;
}

HRESULT InputPin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    return m_accept ? m_accept(pmt) : S_OK;
}

HRESULT InputPin::Receive(IMediaSample* sample)
{
    if (!sample)
        return E_POINTER;
    if (!IsConnected())
        return VFW_E_NOT_CONNECTED;
    return m_receive ? m_receive(sample) : S_OK;
}

}  // namespace kelvara::dshow
