#pragma once
// An input pin that accepts what its filter accepts and hands each sample to
// its filter (internal).
//
// Threads: Receive runs on the upstream streaming thread; everything else on
// the UI thread.

#include <functional>

#include "platform/directshow/PinBase.h"

namespace kelvara::dshow {

class InputPin final : public PinBase, public IMemInputPin
{
public:
    using AcceptFunction = std::function<HRESULT(const AM_MEDIA_TYPE* pmt)>;
    using ReceiveFunction = std::function<HRESULT(IMediaSample* sample)>;

    InputPin(FilterBase* filter, std::wstring name, AcceptFunction accept, ReceiveFunction receive);

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return PinBase::AddRef(); }
    ULONG Release() override { return PinBase::Release(); }

    HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt) override;
    HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* pmt) override;
    HRESULT QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    HRESULT Receive(IMediaSample* sample) override;

private:
    AcceptFunction m_accept;
    ReceiveFunction m_receive;
};

}  // namespace kelvara::dshow
