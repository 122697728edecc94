#include "tests/support/directshow/CaptureGraph.h"

namespace kelvara::dshow::testing {

namespace {

ComPtr<IBaseFilter> BindDevice(int index)
{
    ComPtr<ICreateDevEnum> devEnum;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
            reinterpret_cast<void**>(devEnum.AddressOf()))))
        return nullptr;
    ComPtr<IEnumMoniker> monikers;
    if (devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.AddressOf(), 0) != S_OK)
        return nullptr;
    IMoniker* moniker = nullptr;
    for (int i = 0; monikers->Next(1, &moniker, nullptr) == S_OK; ++i) {
        auto held = ComPtr<IMoniker>::Attach(moniker);
        if (i == index) {
            ComPtr<IBaseFilter> filter;
            held->BindToObject(
                nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter.AddressOf()));
            return filter;
        }
    }
    return nullptr;
}

template <class T> ComPtr<T> Create(REFCLSID clsid, REFIID iid)
{
    ComPtr<T> p;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(p.AddressOf()));
    return p;
}

}  // namespace

bool CaptureGraph::Build(int index)
{
    builder = Create<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2, IID_ICaptureGraphBuilder2);
    graph = Create<IGraphBuilder>(CLSID_FilterGraph, IID_IGraphBuilder);
    if (!builder || !graph || FAILED(builder->SetFiltergraph(graph.Get())))
        return false;
    control = QueryAs<IMediaControl>(graph.Get(), IID_IMediaControl);
    source = BindDevice(index);
    if (!control || !source || FAILED(graph->AddFilter(source.Get(), L"Source")))
        return false;
    if (FAILED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, source.Get(),
            IID_IAMStreamConfig, reinterpret_cast<void**>(config.AddressOf()))))
        return false;
    grabberFilter = Create<IBaseFilter>(CLSID_SampleGrabber, IID_IBaseFilter);
    renderer = Create<IBaseFilter>(CLSID_NullRenderer, IID_IBaseFilter);
    grabber = QueryAs<ISampleGrabber>(grabberFilter.Get(), IID_ISampleGrabber);
    if (!grabber || !renderer || FAILED(graph->AddFilter(grabberFilter.Get(), L"Sample Grabber"))
        || FAILED(graph->AddFilter(renderer.Get(), L"NullRenderer"))
        || FAILED(grabber->SetCallback(&frames, 1)))
        return false;
    if (FAILED(builder->RenderStream(
            &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, source.Get(), grabberFilter.Get(), renderer.Get())))
        return false;
    ComPtr<IAMStreamConfig> stillConfig;
    if (SUCCEEDED(builder->FindInterface(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, source.Get(),
            IID_IAMStreamConfig, reinterpret_cast<void**>(stillConfig.AddressOf())))) {
        stillGrabberFilter = Create<IBaseFilter>(CLSID_SampleGrabber, IID_IBaseFilter);
        stillRenderer = Create<IBaseFilter>(CLSID_NullRenderer, IID_IBaseFilter);
        stillGrabber = QueryAs<ISampleGrabber>(stillGrabberFilter.Get(), IID_ISampleGrabber);
        AM_MEDIA_TYPE any{};
        stillGrabber->SetMediaType(&any);
        stillGrabber->SetCallback(&stills, 1);
        graph->AddFilter(stillGrabberFilter.Get(), L"Still Sample Grabber");
        graph->AddFilter(stillRenderer.Get(), L"Still NullRenderer");
        if (FAILED(builder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, source.Get(),
                stillGrabberFilter.Get(), stillRenderer.Get())))
            return false;
    }
    return true;
}

HRESULT CaptureGraph::SetFormat(const GUID& subtype, int width, int height)
{
    AM_MEDIA_TYPE* mt = nullptr;
    HRESULT hr = config->GetFormat(&mt);
    if (FAILED(hr))
        return hr;
    VIDEOINFOHEADER* vih = GetVideoInfo(mt);
    vih->bmiHeader.biWidth = width;
    vih->bmiHeader.biHeight = height;
    mt->subtype = subtype;
    hr = config->SetFormat(mt);
    DeleteMediaType(mt);
    return hr;
}

void CaptureGraph::TearDown()
{
    if (grabber)
        grabber->SetCallback(nullptr, 1);
    if (stillGrabber)
        stillGrabber->SetCallback(nullptr, 1);
    if (control)
        control->Stop();
    if (graph) {
        ComPtr<IEnumFilters> filters;
        graph->EnumFilters(filters.AddressOf());
        IBaseFilter* filter = nullptr;
        while (filters && filters->Next(1, &filter, nullptr) == S_OK) {
            graph->RemoveFilter(filter);
            filter->Release();
            filters->Reset();
        }
    }
    for (auto* p : {&source, &grabberFilter, &renderer, &stillGrabberFilter, &stillRenderer})
        p->Reset();
    grabber.Reset();
    stillGrabber.Reset();
    config.Reset();
    control.Reset();
    graph.Reset();
    builder.Reset();
}

}  // namespace kelvara::dshow::testing
