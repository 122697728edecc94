#pragma once
// The capture graph builder: finds pins and interfaces by pin category and
// connects capture chains (internal; made by
// CoCreateInstance(CLSID_CaptureGraphBuilder2)).
//
// Threads: UI thread.

#include "platform/directshow/ComPtr.h"
#include "platform/directshow/DShowInterfaces.h"

namespace kelvara::dshow {

class CaptureGraphBuilder final : public ICaptureGraphBuilder2
{
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override;

    HRESULT SetFiltergraph(IGraphBuilder* graph) override;
    HRESULT GetFiltergraph(IGraphBuilder** ppGraph) override;
    HRESULT FindInterface(
        const GUID* category, const GUID* type, IBaseFilter* filter, REFIID riid, void** ppv) override;
    HRESULT RenderStream(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* intermediate,
        IBaseFilter* sink) override;
    HRESULT FindPin(IUnknown* source, PIN_DIRECTION dir, const GUID* category, const GUID* type,
        BOOL unconnected, int num, IPin** ppPin) override;

    KELVARA_COM_REFCOUNT

private:
    ComPtr<IGraphBuilder> m_graph;
};

}  // namespace kelvara::dshow
