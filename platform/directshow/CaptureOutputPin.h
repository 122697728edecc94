#pragma once
// An output pin of a capture source: one device pin (capture, preview or
// still) with its stream configuration and its category (internal).
//
// Threads: UI thread, except DeliverFrame, which the device's streaming
// thread calls while the filter runs.

#include <memory>

#include "platform/directshow/CaptureDevice.h"
#include "platform/directshow/OutputPin.h"

namespace kelvara::dshow {

class CaptureOutputPin final : public OutputPin, public IAMStreamConfig, public IKsPropertySet
{
public:
    CaptureOutputPin(FilterBase* filter, std::shared_ptr<CaptureDevice> device, PinKind kind);

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return OutputPin::AddRef(); }
    ULONG Release() override { return OutputPin::Release(); }

    HRESULT SetFormat(AM_MEDIA_TYPE* pmt) override;
    HRESULT GetFormat(AM_MEDIA_TYPE** ppmt) override;
    HRESULT GetNumberOfCapabilities(int* count, int* size) override;
    HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** ppmt, BYTE* scc) override;

    HRESULT Get(REFGUID propSet, DWORD id, void* instanceData, DWORD instanceLength, void* propertyData,
        DWORD dataLength, DWORD* returned) override;
    HRESULT QuerySupported(REFGUID propSet, DWORD id, DWORD* typeSupport) override;

    PinKind Kind() const { return m_kind; }
    const GUID& Category() const;
    void DeliverFrame(const BYTE* data, size_t length, REFERENCE_TIME time);

protected:
    bool OfferedType(AM_MEDIA_TYPE* mt) override;

private:
    // Re-makes the connection after a format change.
    HRESULT Reconnect();

    std::shared_ptr<CaptureDevice> m_device;
    const PinKind m_kind;
};

}  // namespace kelvara::dshow
