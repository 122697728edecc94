// Shared filter behaviour.

#include "platform/directshow/FilterBase.h"

#include <algorithm>
#include <cwchar>

#include "platform/directshow/Enumerators.h"

namespace kelvara::dshow {

void CopyName(const std::wstring& text, WCHAR* field, size_t capacity)
{
    if (capacity == 0)
        return;
    size_t n = std::min(text.size(), capacity - 1);
    std::wmemcpy(field, text.data(), n);
    field[n] = L'\0';
}

bool FilterBase::QueryFilterInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter || riid == IID_IBaseFilter) {
        *ppv = static_cast<IBaseFilter*>(this);
        AddRef();
        return true;
    }
    return false;
}

HRESULT FilterBase::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = m_clsid;
    return S_OK;
}

HRESULT FilterBase::Stop()
{
    if (m_state.load() == State_Running)
        OnHalt();
    m_state = State_Stopped;
    return S_OK;
}

HRESULT FilterBase::Pause()
{
    if (m_state.load() == State_Running)
        OnHalt();
    m_state = State_Paused;
    return S_OK;
}

HRESULT FilterBase::Run(REFERENCE_TIME)
{
    if (m_state.load() == State_Running)
        return S_OK;
    HRESULT hr = OnRun();
    if (FAILED(hr))
        return hr;
    m_state = State_Running;
    return S_OK;
}

HRESULT FilterBase::GetState(DWORD, FILTER_STATE* state)
{
    if (!state)
        return E_POINTER;
    *state = m_state.load();
    return S_OK;
}

HRESULT FilterBase::EnumPins(IEnumPins** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    std::vector<ComPtr<IPin>> pins;
    for (IPin* pin : Pins())
        pins.emplace_back(pin);
    *ppEnum = new PinEnumerator(std::move(pins), IID_IEnumPins);
    return S_OK;
}

HRESULT FilterBase::FindPin(LPCWSTR id, IPin** ppPin)
{
    if (!id || !ppPin)
        return E_POINTER;
    *ppPin = nullptr;
    for (IPin* pin : Pins()) {
        PIN_INFO info{};
        pin->QueryPinInfo(&info);
        if (info.pFilter)
            info.pFilter->Release();
        if (std::wcscmp(info.achName, id) == 0) {
            pin->AddRef();
            *ppPin = pin;
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT FilterBase::QueryFilterInfo(FILTER_INFO* info)
{
    if (!info)
        return E_POINTER;
    CopyName(m_name, info->achName, 128);
    info->pGraph = m_graph;
    if (m_graph)
        m_graph->AddRef();
    return S_OK;
}

HRESULT FilterBase::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    m_graph = graph;
    m_name = name ? name : L"";
    return S_OK;
}

}  // namespace kelvara::dshow
