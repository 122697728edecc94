// Output pins: connection from the output side, sample delivery.

#include "platform/directshow/OutputPin.h"

#include "platform/directshow/MediaType.h"

namespace kelvara::dshow {

HRESULT OutputPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt)
{
    if (!receivePin)
        return E_POINTER;
    if (IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    if (Filter()->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    PIN_DIRECTION dir = PINDIR_OUTPUT;
    if (FAILED(receivePin->QueryDirection(&dir)) || dir != PINDIR_INPUT)
        return VFW_E_CANNOT_CONNECT;
    AM_MEDIA_TYPE mt{};
    if (!OfferedType(&mt))
        return VFW_E_NO_ACCEPTABLE_TYPES;
    // A caller's type must agree with what the pin offers where it says something.
    if (pmt
        && ((pmt->majortype != GUID_NULL && pmt->majortype != mt.majortype)
            || (pmt->subtype != GUID_NULL && pmt->subtype != mt.subtype))) {
        FreeMediaType(mt);
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
    auto receiver = QueryAs<IMemInputPin>(receivePin, IID_IMemInputPin);
    HRESULT hr = receiver ? receivePin->ReceiveConnection(this, &mt) : VFW_E_CANNOT_CONNECT;
    if (SUCCEEDED(hr)) {
        SetConnection(receivePin, mt);
        m_receiver = receiver;
    }
    FreeMediaType(mt);
    return hr;
}

HRESULT OutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*)
{
    return E_UNEXPECTED;
}

HRESULT OutputPin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    AM_MEDIA_TYPE mt{};
    if (!OfferedType(&mt))
        return S_FALSE;
    bool same = pmt->majortype == mt.majortype && pmt->subtype == mt.subtype;
    FreeMediaType(mt);
    return same ? S_OK : S_FALSE;
}

HRESULT OutputPin::Deliver(IMediaSample* sample)
{
    if (!m_receiver)
        return S_FALSE;
    return m_receiver->Receive(sample);
}

}  // namespace kelvara::dshow
