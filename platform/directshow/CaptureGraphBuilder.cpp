// The capture graph builder.

#include "platform/directshow/CaptureGraphBuilder.h"

#include "platform/directshow/MediaType.h"

namespace kelvara::dshow {

namespace {

bool PinCategory(IPin* pin, GUID* category)
{
    auto props = QueryAs<IKsPropertySet>(pin, IID_IKsPropertySet);
    DWORD returned = 0;
    return props
        && SUCCEEDED(props->Get(
            AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, category, sizeof(GUID), &returned));
}

// Whether pin can carry major type (our capture pins carry video only).
bool CarriesType(IPin* pin, const GUID* type)
{
    if (!type || *type == GUID_NULL)
        return true;
    AM_MEDIA_TYPE mt{};
    if (SUCCEEDED(pin->ConnectionMediaType(&mt))) {
        bool same = mt.majortype == *type;
        FreeMediaType(mt);
        return same;
    }
    return *type == MEDIATYPE_Video;
}

bool Matches(IPin* pin, PIN_DIRECTION dir, const GUID* category, const GUID* type, BOOL unconnected)
{
    PIN_DIRECTION d = PINDIR_INPUT;
    if (FAILED(pin->QueryDirection(&d)) || d != dir)
        return false;
    if (category) {
        GUID c{};
        if (!PinCategory(pin, &c) || c != *category)
            return false;
    }
    if (!CarriesType(pin, type))
        return false;
    if (unconnected) {
        ComPtr<IPin> peer;
        if (SUCCEEDED(pin->ConnectedTo(peer.AddressOf())))
            return false;
    }
    return true;
}

}  // namespace

HRESULT CaptureGraphBuilder::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ICaptureGraphBuilder2) {
        *ppv = static_cast<ICaptureGraphBuilder2*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT CaptureGraphBuilder::SetFiltergraph(IGraphBuilder* graph)
{
    if (!graph)
        return E_POINTER;
    if (m_graph)
        return E_UNEXPECTED;
    m_graph = ComPtr<IGraphBuilder>(graph);
    return S_OK;
}

HRESULT CaptureGraphBuilder::GetFiltergraph(IGraphBuilder** ppGraph)
{
    if (!ppGraph)
        return E_POINTER;
    *ppGraph = m_graph.Get();
    if (!*ppGraph)
        return E_UNEXPECTED;
    (*ppGraph)->AddRef();
    return S_OK;
}

HRESULT CaptureGraphBuilder::FindPin(IUnknown* source, PIN_DIRECTION dir, const GUID* category,
    const GUID* type, BOOL unconnected, int num, IPin** ppPin)
{
    if (!source || !ppPin)
        return E_POINTER;
    *ppPin = nullptr;
    if (auto pin = QueryAs<IPin>(source, IID_IPin)) {
        if (num != 0 || !Matches(pin.Get(), dir, category, type, unconnected))
            return VFW_E_NOT_FOUND;
        *ppPin = pin.Detach();
        return S_OK;
    }
    auto filter = QueryAs<IBaseFilter>(source, IID_IBaseFilter);
    if (!filter)
        return E_NOINTERFACE;
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.AddressOf())))
        return E_FAIL;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        auto held = ComPtr<IPin>::Attach(pin);
        if (Matches(pin, dir, category, type, unconnected) && num-- == 0) {
            *ppPin = held.Detach();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT CaptureGraphBuilder::FindInterface(
    const GUID* category, const GUID* type, IBaseFilter* filter, REFIID riid, void** ppv)
{
    if (!filter || !ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!category && SUCCEEDED(filter->QueryInterface(riid, ppv)))
        return S_OK;
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.AddressOf())))
        return E_FAIL;
    IPin* pin = nullptr;
    bool found = false;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        auto held = ComPtr<IPin>::Attach(pin);
        if (!Matches(pin, PINDIR_OUTPUT, category, type, FALSE)
            && !(category == nullptr && Matches(pin, PINDIR_INPUT, nullptr, type, FALSE)))
            continue;
        found = true;
        if (SUCCEEDED(pin->QueryInterface(riid, ppv)))
            return S_OK;
    }
    return found ? E_NOINTERFACE : VFW_E_NOT_FOUND;
}

HRESULT CaptureGraphBuilder::RenderStream(
    const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* intermediate, IBaseFilter* sink)
{
    if (!source)
        return E_POINTER;
    if (!m_graph)
        return E_UNEXPECTED;
    ComPtr<IPin> out;
    HRESULT hr = FindPin(source, PINDIR_OUTPUT, category, type, TRUE, 0, out.AddressOf());
    if (FAILED(hr))
        return hr;
    for (IBaseFilter* next : {intermediate, sink}) {
        if (!next)
            continue;
        ComPtr<IPin> in;
        hr = FindPin(next, PINDIR_INPUT, nullptr, nullptr, TRUE, 0, in.AddressOf());
        if (FAILED(hr))
            return VFW_E_CANNOT_CONNECT;
        hr = m_graph->ConnectDirect(out.Get(), in.Get(), nullptr);
        if (FAILED(hr))
            return hr;
        out.Reset();
        if (FAILED(FindPin(next, PINDIR_OUTPUT, nullptr, nullptr, TRUE, 0, out.AddressOf())))
            break;
    }
    return S_OK;
}

}  // namespace kelvara::dshow
