#pragma once
// Builds the capture chain a camera backend builds (source -> sample grabber
// -> null renderer, and the still chain when the device has one) for device
// index of the video input category, with a callback that counts frames.
// Tests of the capture layer use it to drive the layer as a backend would.

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/directshow/ComPtr.h"
#include "platform/directshow/DShow.h"

namespace kelvara::dshow::testing {

// Counts BufferCB calls and keeps the last buffer.
class CountingGrabberCallback final : public ISampleGrabberCB
{
public:
    HRESULT QueryInterface(REFIID, void** ppv) override
    {
        *ppv = this;
        return S_OK;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    HRESULT BufferCB(double, BYTE* buffer, long length) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        last.assign(buffer, buffer + length);
        ++count;
        return S_OK;
    }
    std::vector<BYTE> Last()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return last;
    }

    std::atomic<int> count{0};
    std::mutex mutex;
    std::vector<BYTE> last;
};

struct CaptureGraph
{
    ComPtr<ICaptureGraphBuilder2> builder;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IBaseFilter> source;
    ComPtr<IBaseFilter> grabberFilter;
    ComPtr<ISampleGrabber> grabber;
    ComPtr<IBaseFilter> renderer;
    ComPtr<IAMStreamConfig> config;
    ComPtr<IBaseFilter> stillGrabberFilter;
    ComPtr<ISampleGrabber> stillGrabber;
    ComPtr<IBaseFilter> stillRenderer;
    CountingGrabberCallback frames;
    CountingGrabberCallback stills;

    // Opens device index and connects the chains; false on any failure.
    bool Build(int index);
    // Applies subtype at width x height on the capture pin (graph stopped).
    HRESULT SetFormat(const GUID& subtype, int width, int height);
    // Removes every filter and releases everything, as a backend's teardown.
    void TearDown();
};

}  // namespace kelvara::dshow::testing
