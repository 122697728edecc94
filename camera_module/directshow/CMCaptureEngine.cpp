#include "camera_module/directshow/CMCaptureEngine.h"

#include "camera_module/CMTextCopy.h"
#include "camera_module/directshow/CMGraphTeardown.h"
#include "camera_module/directshow/CMMediaSubtypes.h"
#include "camera_module/directshow/CMMediaType.h"

#include <cstdio>
#include <cstring>

namespace {

template <typename T> void SafeRelease(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

// Binds device `index` of the video input category (enumeration order) to a
// source filter and reads its friendly name.
IBaseFilter* BindSourceFilter(int index, wchar_t* name, size_t nameChars)
{
    IBaseFilter* filter = nullptr;
    ICreateDevEnum* devEnum = nullptr;
    IEnumMoniker* monikers = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
            reinterpret_cast<void**>(&devEnum))))
        return nullptr;
    if (devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) == S_OK && monikers) {
        IMoniker* moniker = nullptr;
        int n = 0;
        while (!filter && monikers->Next(1, &moniker, nullptr) == S_OK) {
            if (n++ == index) {
                IPropertyBag* bag = nullptr;
                if (SUCCEEDED(moniker->BindToStorage(
                        nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)))) {
                    VARIANT value;
                    VariantInit(&value);
                    if (SUCCEEDED(bag->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR) {
                        std::wcsncpy(name, value.bstrVal, nameChars - 1);
                        name[nameChars - 1] = L'\0';
                    }
                    VariantClear(&value);
                    bag->Release();
                }
                if (FAILED(moniker->BindToObject(
                        nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter))))
                    filter = nullptr;
            }
            moniker->Release();
            if (n > index)
                break;
        }
        monikers->Release();
    }
    devEnum->Release();
    return filter;
}

VIDEOINFOHEADER* VideoInfoOf(AM_MEDIA_TYPE* type)
{
    if (!type || !type->pbFormat || type->cbFormat < sizeof(VIDEOINFOHEADER))
        return nullptr;
    return reinterpret_cast<VIDEOINFOHEADER*>(type->pbFormat);
}

}  // namespace

CMCaptureEngine::CMCaptureEngine()
{
    DirectShowComAddRef();
    for (auto& device : m_devices)
        device = std::make_unique<CMCaptureDevice>();
}

CMCaptureEngine::~CMCaptureEngine()
{
    for (auto& device : m_devices) {
        if (device->setupStarted)
            TeardownDevice(*device);
    }
    DirectShowComRelease();
}

int CMCaptureEngine::ListDevices()
{
    m_deviceCount = EnumerateDirectShowDevices();
    return m_deviceCount;
}

CMCaptureDevice* CMCaptureEngine::Device(int i)
{
    if (i < 0 || i >= kMaxDirectShowDevices)
        return nullptr;
    return m_devices[i].get();
}

bool CMCaptureEngine::IsDeviceSetup(int i)
{
    CMCaptureDevice* d = Device(i);
    return d && d->readyToCapture.load();
}

bool CMCaptureEngine::IsDeviceReady(int i)
{
    return IsDeviceSetup(i);
}

void CMCaptureEngine::StopDevice(int i)
{
    CMCaptureDevice* d = Device(i);
    if (!d)
        return;
    TeardownDevice(*d);
    m_devices[i] = std::make_unique<CMCaptureDevice>();
}

bool CMCaptureEngine::SetupDevice(int i)
{
    if (i < 0 || i >= kMaxDirectShowDevices || m_deviceCount <= i) {
        printf("SETUP: device[%i] not found - you have %i devices available\n", i, m_deviceCount);
        if (m_deviceCount >= 0)
            printf("SETUP: this means that the last device you can use is device[%i] \n", m_deviceCount - 1);
        return false;
    }
    CMCaptureDevice& d = *m_devices[i];
    if (d.readyToCapture) {
        printf("SETUP: can't setup, device %i is currently being used\n", i);
        return false;
    }
    d.deviceNumber = i;
    d.setupStarted = true;
    m_pinCategory = PIN_CATEGORY_CAPTURE;
    printf("SETUP: Setting up device %i\n", i);
    if (!SetupChains(i)) {
        StopDevice(i);  // torn down and replaced: reusable for the next try
        return false;
    }
    return true;
}

bool CMCaptureEngine::SetupChains(int i)
{
    CMCaptureDevice& d = *m_devices[i];
    if (FAILED(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
            IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&d.captureGraph)))) {
        d.captureGraph = nullptr;
        printf("ERROR - Could not add the graph builder!\n");
        return false;
    }
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
            reinterpret_cast<void**>(&d.graph)))) {
        d.graph = nullptr;
        printf("ERROR - Could not create the Filter Graph Manager\n");
        return false;
    }
    if (FAILED(d.captureGraph->SetFiltergraph(d.graph))) {
        printf("ERROR - Could not set filtergraph\n");
        return false;
    }
    if (FAILED(d.graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&d.control)))) {
        d.control = nullptr;
        printf("ERROR - Could not create the Media Control object\n");
        return false;
    }

    d.source = BindSourceFilter(i, d.wName, kDeviceTextChars);
    if (!d.source) {
        printf("ERROR - Could not find specified video device\n");
        return false;
    }
    NarrowAscii(d.wName, d.nName, sizeof(d.nName));
    printf("SETUP: %s\n", d.nName);
    if (FAILED(d.graph->AddFilter(d.source, d.wName)))
        return false;

    IAMStreamConfig* previewConfig = nullptr;
    if (SUCCEEDED(d.captureGraph->FindInterface(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, d.source,
            IID_IAMStreamConfig, reinterpret_cast<void**>(&previewConfig)))
        && previewConfig) {
        m_pinCategory = PIN_CATEGORY_PREVIEW;
        previewConfig->Release();
    } else {
        printf("SETUP: Couldn't find preview pin using SmartTee\n");
    }

    if (FAILED(d.captureGraph->FindInterface(&m_pinCategory, &MEDIATYPE_Video, d.source, IID_IAMStreamConfig,
            reinterpret_cast<void**>(&d.streamConfig)))
        || !d.streamConfig) {
        d.streamConfig = nullptr;
        printf("ERROR: Couldn't config the stream!\n");
        return false;
    }
    BuildFormatList(d.streamConfig, d.previewFormats);
    VIDEOINFOHEADER* current = nullptr;
    if (FAILED(d.streamConfig->GetFormat(&d.mediaType)) || !(current = VideoInfoOf(d.mediaType))) {
        printf("ERROR: Couldn't getFormat for pAmMediaType!\n");
        return false;
    }
    const int defaultWidth = current->bmiHeader.biWidth;
    const int defaultHeight = std::abs(static_cast<int>(current->bmiHeader.biHeight));

    if (!(d.requestedSizeValid && NegotiateRequestedSize(i))) {
        // Keep the device's own format, and name it as the one in use so
        // that frames are labelled with what the device really sends.
        requestedSubtype = d.mediaType->subtype;
        SetSize(i, defaultWidth, defaultHeight);
    }

    // Preview chain: source -> Sample Grabber -> Null Renderer.
    if (FAILED(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
            reinterpret_cast<void**>(&d.grabberFilter)))) {
        d.grabberFilter = nullptr;
        printf("Could not Create Sample Grabber - CoCreateInstance()\n");
        return false;
    }
    if (FAILED(d.graph->AddFilter(d.grabberFilter, L"Sample Grabber"))) {
        printf("Could not add Sample Grabber - AddFilter()\n");
        return false;
    }
    if (FAILED(d.grabberFilter->QueryInterface(IID_ISampleGrabber, reinterpret_cast<void**>(&d.grabber)))) {
        d.grabber = nullptr;
        printf("ERROR: Could not query SampleGrabber\n");
        return false;
    }
    d.grabber->SetOneShot(FALSE);
    d.grabber->SetBufferSamples(FALSE);
    if (FAILED(d.grabber->SetCallback(d.previewCallback.get(), 1))) {
        printf("ERROR: problem setting callback\n");
        return false;
    }
    printf("SETUP: Capture callback set\n");
    if (FAILED(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
            reinterpret_cast<void**>(&d.renderer)))) {
        d.renderer = nullptr;
        printf("ERROR: Could not create filter - NullRenderer\n");
        return false;
    }
    if (FAILED(d.graph->AddFilter(d.renderer, L"NullRenderer"))) {
        printf("ERROR: Could not add filter - NullRenderer\n");
        return false;
    }
    if (FAILED(d.captureGraph->RenderStream(
            &m_pinCategory, &MEDIATYPE_Video, d.source, d.grabberFilter, d.renderer))) {
        printf("ERROR: Could not connect pins - RenderStream()\n");
        return false;
    }

    SetupStillChain(d);

    if (FAILED(d.control->Run())) {
        printf("ERROR: Could not start graph\n");
        return false;
    }
    printf("SETUP: Device is setup and ready to capture.\n\n");
    d.readyToCapture = true;
    SafeRelease(d.grabberFilter);
    SafeRelease(d.renderer);
    SafeRelease(d.stillGrabberFilter);
    SafeRelease(d.stillRenderer);
    return true;
}

bool CMCaptureEngine::NegotiateRequestedSize(int i)
{
    CMCaptureDevice& d = *m_devices[i];
    VIDEOINFOHEADER* current = VideoInfoOf(d.mediaType);
    printf("SETUP: Default Format is set to %i by %i \n",
        current ? static_cast<int>(current->bmiHeader.biWidth) : 0,
        current ? std::abs(static_cast<int>(current->bmiHeader.biHeight)) : 0);
    const int w = d.requestedWidth;
    const int h = d.requestedHeight;
    printf(
        "SETUP: trying requested format %s @ %i by %i\n", SubtypeName(SubtypeIndex(requestedSubtype)), w, h);
    if (SetFormat(i, w, h, requestedSubtype)) {
        SetSize(i, w, h);
        return true;
    }
    for (int row = 0; row < kSubtypeCount; ++row) {
        printf("SETUP: trying format %s @ %i by %i\n", SubtypeName(row), w, h);
        if (SetFormat(i, w, h, SubtypeAt(row))) {
            SetSize(i, w, h);
            requestedSubtype = SubtypeAt(row);
            return true;
        }
    }
    printf("SETUP: couldn't find requested size - searching for closest matching size\n");
    CMClosestSize closest = FindClosestSize(d.streamConfig, w, h);
    if (!closest.found)
        return false;
    printf("SETUP: closest supported size is %s @ %i %i\n", SubtypeName(SubtypeIndex(closest.subtype)),
        closest.width, closest.height);
    if (!SetFormat(i, closest.width, closest.height, closest.subtype))
        return false;
    SetSize(i, closest.width, closest.height);
    requestedSubtype = closest.subtype;
    return true;
}

void CMCaptureEngine::SetupStillChain(CMCaptureDevice& d)
{
    stillAvailable = false;
    if (FAILED(d.captureGraph->FindInterface(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, d.source,
            IID_IAMStreamConfig, reinterpret_cast<void**>(&d.stillConfig)))
        || !d.stillConfig) {
        d.stillConfig = nullptr;
        printf("SETUP: Couldn't find still pin\n");
        return;
    }
    BuildFormatList(d.stillConfig, d.stillFormats);
    VIDEOINFOHEADER* still = nullptr;
    if (FAILED(d.stillConfig->GetFormat(&d.stillMediaType)) || !(still = VideoInfoOf(d.stillMediaType))) {
        printf("ERROR: Couldn't getFormat for pAmMediaTypeStill!\n");
        return;
    }
    if (requestedStillWidth != 0 && requestedStillHeight != 0) {
        still->bmiHeader.biWidth = requestedStillWidth;
        still->bmiHeader.biHeight = requestedStillHeight;
        d.stillWidth = requestedStillWidth;
        d.stillHeight = requestedStillHeight;
    } else {
        d.stillWidth = requestedStillWidth = still->bmiHeader.biWidth;
        d.stillHeight = requestedStillHeight = std::abs(static_cast<int>(still->bmiHeader.biHeight));
    }
    for (const CMFormatEntry& entry : d.stillFormats) {
        if (entry.subtypeIndex >= 0 && SubtypeAt(entry.subtypeIndex) == requestedStillSubtype) {
            d.stillMediaType->subtype = requestedStillSubtype;
            break;
        }
    }
    if (FAILED(d.stillConfig->SetFormat(d.stillMediaType))) {
        // The pin keeps its own format: report what it really delivers.
        DeleteMediaTypeRecord(d.stillMediaType);
        d.stillMediaType = nullptr;
        if (FAILED(d.stillConfig->GetFormat(&d.stillMediaType)) || !(still = VideoInfoOf(d.stillMediaType))) {
            printf("ERROR: Couldn't getFormat for pAmMediaTypeStill!\n");
            return;
        }
        d.stillWidth = still->bmiHeader.biWidth;
        d.stillHeight = std::abs(static_cast<int>(still->bmiHeader.biHeight));
    }

    if (FAILED(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
            reinterpret_cast<void**>(&d.stillGrabberFilter)))) {
        d.stillGrabberFilter = nullptr;
        printf("Could not Create Still Sample Grabber - CoCreateInstance()\n");
        return;
    }
    if (FAILED(d.graph->AddFilter(d.stillGrabberFilter, L"Still Sample Grabber"))) {
        printf("Could not add Still Sample Grabber - AddFilter()\n");
        return;
    }
    if (FAILED(d.stillGrabberFilter->QueryInterface(
            IID_ISampleGrabber, reinterpret_cast<void**>(&d.stillGrabber)))) {
        d.stillGrabber = nullptr;
        printf("ERROR: Could not query Still SampleGrabber\n");
        return;
    }
    if (FAILED(d.stillGrabber->SetCallback(d.stillCallback.get(), 1))) {
        printf("ERROR: problem setting still callback\n");
        return;
    }
    printf("SETUP: Still callback set\n");
    AM_MEDIA_TYPE anyType;
    std::memset(&anyType, 0, sizeof(anyType));
    d.stillGrabber->SetMediaType(&anyType);
    if (FAILED(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
            reinterpret_cast<void**>(&d.stillRenderer)))) {
        d.stillRenderer = nullptr;
        printf("ERROR: Could not create filter - Still NullRenderer\n");
        return;
    }
    if (FAILED(d.graph->AddFilter(d.stillRenderer, L"Still NullRenderer"))) {
        printf("ERROR: Could not add filter - NullRenderer\n");
        return;
    }
    if (FAILED(d.captureGraph->RenderStream(
            &PIN_CATEGORY_STILL, &MEDIATYPE_Video, d.source, d.stillGrabberFilter, d.stillRenderer))) {
        printf("ERROR: Could not connect pins - RenderStream()\n");
        return;
    }
    stillAvailable = true;
}

bool CMCaptureEngine::SetFormat(int i, int width, int height, const GUID& subtype)
{
    CMCaptureDevice* d = Device(i);
    if (!d || !d->streamConfig || width <= 0 || height <= 0)
        return false;
    AM_MEDIA_TYPE* previous = nullptr;
    if (FAILED(d->streamConfig->GetFormat(&previous)) || !previous)
        return false;
    AM_MEDIA_TYPE* type = nullptr;
    if (FAILED(d->streamConfig->GetFormat(&type)) || !VideoInfoOf(type)) {
        DeleteMediaTypeRecord(previous);
        DeleteMediaTypeRecord(type);
        return false;
    }
    VIDEOINFOHEADER* header = VideoInfoOf(type);
    header->bmiHeader.biWidth = width;
    header->bmiHeader.biHeight = height;
    // No interval is asked for: the driver's default for the new format
    // stands, not the rate of the old one (or one another program left).
    header->AvgTimePerFrame = 0;
    type->formattype = FORMAT_VideoInfo;
    type->majortype = MEDIATYPE_Video;
    type->subtype = subtype;
    type->lSampleSize = static_cast<ULONG>(width) * static_cast<ULONG>(height) * 3;
    bool ok = SUCCEEDED(d->streamConfig->SetFormat(type));
    if (!ok)
        d->streamConfig->SetFormat(previous);
    DeleteMediaTypeRecord(type);
    DeleteMediaTypeRecord(previous);
    return ok;
}

void CMCaptureEngine::SetSize(int i, int width, int height, bool force)
{
    CMCaptureDevice* d = Device(i);
    if (!d)
        return;
    if (d->sizeSet && !force) {
        printf("SETUP: Error device size should not be set more than once \n");
        return;
    }
    d->width = width;
    d->height = height;
    d->frameBytes = width * height * 3;
    d->sizeSet = true;
}

bool CMCaptureEngine::StopGraph(int i)
{
    CMCaptureDevice* d = Device(i);
    return d && d->control && SUCCEEDED(d->control->Stop());
}

bool CMCaptureEngine::RunGraph(int i)
{
    CMCaptureDevice* d = Device(i);
    return d && d->control && SUCCEEDED(d->control->Run());
}

bool CMCaptureEngine::ChangePreviewSize(int i, int width, int height)
{
    CMCaptureDevice* d = Device(i);
    if (!d || !d->readyToCapture)
        return false;
    if (d->width == width && d->height == height)
        return true;
    StopGraph(i);
    bool ok = SetFormat(i, width, height, requestedSubtype);
    if (ok)
        SetSize(i, width, height, true);
    RunGraph(i);
    return ok;
}

void CMCaptureEngine::TeardownDevice(CMCaptureDevice& d)
{
    if (d.setupStarted)
        DismantleDeviceGraph(d);
    d.previewFormats.clear();
    d.stillFormats.clear();
    d.readyToCapture = false;
    d.setupStarted = false;
}
