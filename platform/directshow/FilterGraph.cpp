// The filter graph manager.

#include "platform/directshow/FilterGraph.h"

#include <algorithm>

#include "platform/directshow/Enumerators.h"

namespace kelvara::dshow {

namespace {

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter)
{
    std::vector<ComPtr<IPin>> pins;
    ComPtr<IEnumPins> e;
    if (FAILED(filter->EnumPins(e.AddressOf())))
        return pins;
    IPin* pin = nullptr;
    while (e->Next(1, &pin, nullptr) == S_OK)
        pins.push_back(ComPtr<IPin>::Attach(pin));
    return pins;
}

bool HasConnectedInput(IBaseFilter* filter)
{
    for (auto& pin : PinsOf(filter)) {
        PIN_DIRECTION dir = PINDIR_OUTPUT;
        ComPtr<IPin> peer;
        if (SUCCEEDED(pin->QueryDirection(&dir)) && dir == PINDIR_INPUT
            && SUCCEEDED(pin->ConnectedTo(peer.AddressOf())))
            return true;
    }
    return false;
}

}  // namespace

FilterGraph::~FilterGraph()
{
    Stop();
    for (Entry& e : m_filters) {
        DisconnectAll(e.filter.Get());
        e.filter->JoinFilterGraph(nullptr, nullptr);
    }
}

HRESULT FilterGraph::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IFilterGraph || riid == IID_IGraphBuilder) {
        *ppv = static_cast<IGraphBuilder*>(this);
    } else if (riid == IID_IMediaControl) {
        *ppv = static_cast<IMediaControl*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

void FilterGraph::DisconnectAll(IBaseFilter* filter)
{
    for (auto& pin : PinsOf(filter)) {
        ComPtr<IPin> peer;
        if (SUCCEEDED(pin->ConnectedTo(peer.AddressOf())))
            peer->Disconnect();
        pin->Disconnect();
    }
}

HRESULT FilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name)
{
    if (!filter)
        return E_POINTER;
    for (const Entry& e : m_filters)
        if (e.filter.Get() == filter)
            return E_INVALIDARG;
    std::wstring unique = name ? name : L"";
    auto taken = [this](const std::wstring& n) {
        return std::any_of(m_filters.begin(), m_filters.end(), [&](const Entry& e) { return e.name == n; });
    };
    HRESULT result = S_OK;
    if (unique.empty() || taken(unique)) {
        const std::wstring base = unique.empty() ? std::wstring(L"Filter") : unique;
        for (int i = 1; unique.empty() || taken(unique); ++i)
            unique = base + L" " + std::to_wstring(i);
        if (name && *name)
            result = 0x00040257;  // VFW_S_DUPLICATE_NAME
    }
    HRESULT hr = filter->JoinFilterGraph(this, unique.c_str());
    if (FAILED(hr))
        return hr;
    m_filters.push_back({ComPtr<IBaseFilter>(filter), unique});
    if (m_state == State_Running)
        filter->Run(0);
    return result;
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter* filter)
{
    auto it = std::find_if(
        m_filters.begin(), m_filters.end(), [filter](const Entry& e) { return e.filter.Get() == filter; });
    if (it == m_filters.end())
        return VFW_E_NOT_FOUND;
    ComPtr<IBaseFilter> keep = it->filter;
    m_filters.erase(it);
    keep->Stop();
    DisconnectAll(keep.Get());
    keep->JoinFilterGraph(nullptr, nullptr);
    return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    auto snapshot = [graph = ComPtr<FilterGraph>(this)]() {
        std::vector<ComPtr<IBaseFilter>> filters;
        for (const Entry& e : graph->m_filters)
            filters.push_back(e.filter);
        return filters;
    };
    *ppEnum = new FilterEnumerator(snapshot(), IID_IEnumFilters, snapshot);
    return S_OK;
}

HRESULT FilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** ppFilter)
{
    if (!name || !ppFilter)
        return E_POINTER;
    *ppFilter = nullptr;
    for (const Entry& e : m_filters) {
        if (e.name == name) {
            *ppFilter = e.filter.Get();
            (*ppFilter)->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT FilterGraph::ConnectDirect(IPin* out, IPin* in, const AM_MEDIA_TYPE* pmt)
{
    if (!out || !in)
        return E_POINTER;
    if (m_state != State_Stopped)
        return VFW_E_NOT_STOPPED;
    return out->Connect(in, pmt);
}

HRESULT FilterGraph::Connect(IPin* out, IPin* in)
{
    return ConnectDirect(out, in, nullptr);
}

HRESULT FilterGraph::Disconnect(IPin* pin)
{
    if (!pin)
        return E_POINTER;
    return pin->Disconnect();
}

std::vector<IBaseFilter*> FilterGraph::UpstreamFirst() const
{
    std::vector<IBaseFilter*> sources;
    std::vector<IBaseFilter*> others;
    for (const Entry& e : m_filters)
        (HasConnectedInput(e.filter.Get()) ? others : sources).push_back(e.filter.Get());
    sources.insert(sources.end(), others.begin(), others.end());
    return sources;
}

HRESULT FilterGraph::Run()
{
    std::vector<IBaseFilter*> order = UpstreamFirst();
    std::reverse(order.begin(), order.end());
    for (IBaseFilter* f : order) {
        HRESULT hr = f->Run(0);
        if (FAILED(hr)) {
            Stop();
            return hr;
        }
    }
    m_state = State_Running;
    return S_OK;
}

HRESULT FilterGraph::Pause()
{
    for (IBaseFilter* f : UpstreamFirst())
        f->Pause();
    m_state = State_Paused;
    return S_OK;
}

HRESULT FilterGraph::Stop()
{
    for (IBaseFilter* f : UpstreamFirst())
        f->Stop();
    m_state = State_Stopped;
    return S_OK;
}

HRESULT FilterGraph::GetState(LONG, OAFilterState* state)
{
    if (!state)
        return E_POINTER;
    *state = m_state;
    return S_OK;
}

HRESULT FilterGraph::StopWhenReady()
{
    return Stop();
}

}  // namespace kelvara::dshow
