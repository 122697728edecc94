// The Null Renderer filter.

#include "platform/directshow/NullRendererFilter.h"

namespace kelvara::dshow {

NullRendererFilter::NullRendererFilter()
    : FilterBase(CLSID_NullRenderer)
    , m_input(this, L"In", nullptr, [](IMediaSample*) { return S_OK; })
{
}

HRESULT NullRendererFilter::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (QueryFilterInterface(riid, ppv))
        return S_OK;
    *ppv = nullptr;
    return E_NOINTERFACE;
}

}  // namespace kelvara::dshow
