#pragma once
// Shared part of the layer's filters: state, name, graph membership, pin
// enumeration (internal).
//
// Threads: state changes and graph calls come from the UI thread; State()
// may be read from a streaming thread.

#include <atomic>
#include <string>
#include <vector>

#include "platform/directshow/DShowInterfaces.h"

namespace kelvara::dshow {

class FilterBase : public IBaseFilter
{
public:
    explicit FilterBase(const CLSID& clsid)
        : m_clsid(clsid)
    {
    }

    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT EnumPins(IEnumPins** ppEnum) override;
    HRESULT FindPin(LPCWSTR id, IPin** ppPin) override;
    HRESULT QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;

    FILTER_STATE State() const { return m_state.load(); }
    // The filter's pins, borrowed.
    virtual std::vector<IPin*> Pins() = 0;

protected:
    // Handles IUnknown, IPersist, IMediaFilter and IBaseFilter.
    bool QueryFilterInterface(REFIID riid, void** ppv);
    // Entering the running state; a failure keeps the old state.
    virtual HRESULT OnRun() { return S_OK; }
    // Leaving the running state (to paused or stopped).
    virtual void OnHalt() { }

private:
    const CLSID m_clsid;
    std::atomic<FILTER_STATE> m_state{State_Stopped};
    IFilterGraph* m_graph = nullptr;  // weak, as DirectShow wants
    std::wstring m_name;
};

// Copies text into a fixed WCHAR field, cut to fit, terminated.
void CopyName(const std::wstring& text, WCHAR* field, size_t capacity);

}  // namespace kelvara::dshow
