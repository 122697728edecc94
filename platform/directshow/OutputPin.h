#pragma once
// An output pin that offers one media type and pushes samples into the
// connected input pin (internal).
//
// Threads: Deliver runs on the streaming thread while the filter runs;
// connection calls on the UI thread while it is stopped.

#include "platform/directshow/PinBase.h"

namespace kelvara::dshow {

class OutputPin : public PinBase
{
public:
    OutputPin(FilterBase* filter, std::wstring name)
        : PinBase(filter, std::move(name), PINDIR_OUTPUT)
    {
    }

    HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt) override;
    HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* pmt) override;
    HRESULT QueryAccept(const AM_MEDIA_TYPE* pmt) override;

    // Hands a sample to the connected input; S_FALSE when unconnected.
    HRESULT Deliver(IMediaSample* sample);

protected:
    // The media type this pin offers now; false when it has none.
    virtual bool OfferedType(AM_MEDIA_TYPE* mt) = 0;
    void OnDisconnect() override { m_receiver.Reset(); }

private:
    ComPtr<IMemInputPin> m_receiver;
};

}  // namespace kelvara::dshow
