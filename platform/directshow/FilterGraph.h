#pragma once
// The filter graph manager: holds filters, connects pins, runs and stops the
// graph (internal; made by CoCreateInstance(CLSID_FilterGraph)).
//
// Threads: UI thread. Running starts the sources' streaming threads;
// stopping (and the destructor) waits for them to end.

#include <string>
#include <vector>

#include "platform/directshow/ComPtr.h"
#include "platform/directshow/DShowInterfaces.h"

namespace kelvara::dshow {

class FilterGraph final : public IGraphBuilder, public IMediaControl
{
public:
    FilterGraph() = default;
    ~FilterGraph() override;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;

    HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT RemoveFilter(IBaseFilter* filter) override;
    HRESULT EnumFilters(IEnumFilters** ppEnum) override;
    HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** ppFilter) override;
    HRESULT ConnectDirect(IPin* out, IPin* in, const AM_MEDIA_TYPE* pmt) override;
    HRESULT Disconnect(IPin* pin) override;
    HRESULT Connect(IPin* out, IPin* in) override;

    HRESULT Run() override;
    HRESULT Pause() override;
    HRESULT Stop() override;
    HRESULT GetState(LONG timeoutMs, OAFilterState* state) override;
    HRESULT StopWhenReady() override;

    KELVARA_COM_REFCOUNT

private:
    struct Entry
    {
        ComPtr<IBaseFilter> filter;
        std::wstring name;
    };

    // Sources (no connected input) first, so that nothing flows into a
    // stopped filter; the reverse order for starting.
    std::vector<IBaseFilter*> UpstreamFirst() const;
    static void DisconnectAll(IBaseFilter* filter);

    std::vector<Entry> m_filters;
    FILTER_STATE m_state = State_Stopped;
};

}  // namespace kelvara::dshow
