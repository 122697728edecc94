#pragma once
// Shared part of the layer's pins: owner, name, direction, the connection and
// its media type (internal). A pin lives inside its filter and shares the
// filter's reference count.
//
// Threads: connection calls come from the UI thread while the filter is
// stopped; the streaming thread only reads the connection while the filter
// runs, so the two never overlap.

#include <string>

#include "platform/directshow/ComPtr.h"
#include "platform/directshow/FilterBase.h"

namespace kelvara::dshow {

class PinBase : public IPin
{
public:
    PinBase(FilterBase* filter, std::wstring name, PIN_DIRECTION dir);
    ~PinBase() override;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return m_filter->AddRef(); }
    ULONG Release() override { return m_filter->Release(); }

    HRESULT Disconnect() override;
    HRESULT ConnectedTo(IPin** ppPin) override;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    HRESULT QueryPinInfo(PIN_INFO* info) override;
    HRESULT QueryDirection(PIN_DIRECTION* dir) override;

    bool IsConnected() const { return static_cast<bool>(m_connected); }
    const AM_MEDIA_TYPE& MediaType() const { return m_mediaType; }
    FilterBase* Filter() const { return m_filter; }

protected:
    // Records a made connection (takes a copy of mt).
    void SetConnection(IPin* peer, const AM_MEDIA_TYPE& mt);
    virtual void OnDisconnect() { }

private:
    FilterBase* m_filter;  // owner
    const std::wstring m_name;
    const PIN_DIRECTION m_dir;
    ComPtr<IPin> m_connected;
    AM_MEDIA_TYPE m_mediaType{};
};

}  // namespace kelvara::dshow
