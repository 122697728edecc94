#pragma once
// One device record of the capture engine: sizes, the graph objects of the
// preview and still chains, the grabber callback objects, the set-up flags
// and the format lists. A record is replaced by a fresh one when its device
// is released.
//
// Threads: owned and changed by the UI thread. The streaming thread reads
// only `width`, `height` and `readyToCapture` (atomics), and calls into the
// callback objects.

#include "camera_module/directshow/CMFormatList.h"
#include "camera_module/directshow/SampleGrabberCallback.h"
#include "platform/directshow/DShow.h"

#include <atomic>
#include <memory>

struct CMCaptureDevice
{
    int frameBytes = 0;  // width * height * 3
    std::atomic<int> width{0};
    std::atomic<int> height{0};
    int requestedWidth = 0;
    int requestedHeight = 0;
    int stillWidth = 0;
    int stillHeight = 0;

    // Preview chain. The grabber filter and renderer references are dropped
    // once the graph runs (the graph keeps them).
    ICaptureGraphBuilder2* captureGraph = nullptr;
    IGraphBuilder* graph = nullptr;
    IMediaControl* control = nullptr;
    IBaseFilter* source = nullptr;
    IBaseFilter* grabberFilter = nullptr;
    ISampleGrabber* grabber = nullptr;
    IBaseFilter* renderer = nullptr;
    IAMStreamConfig* streamConfig = nullptr;
    AM_MEDIA_TYPE* mediaType = nullptr;

    // Still chain.
    IBaseFilter* stillGrabberFilter = nullptr;
    ISampleGrabber* stillGrabber = nullptr;
    IBaseFilter* stillRenderer = nullptr;
    IAMStreamConfig* stillConfig = nullptr;
    AM_MEDIA_TYPE* stillMediaType = nullptr;

    std::unique_ptr<SampleGrabberCallback> previewCallback = std::make_unique<SampleGrabberCallback>();
    std::unique_ptr<SampleGrabberCallbackStill> stillCallback
        = std::make_unique<SampleGrabberCallbackStill>();

    bool requestedSizeValid = false;
    bool setupStarted = false;
    std::atomic<bool> readyToCapture{false};
    bool sizeSet = false;
    int deviceNumber = -1;
    char nName[255] = {};
    wchar_t wName[255] = {};

    CMFormatList previewFormats;
    CMFormatList stillFormats;
};
