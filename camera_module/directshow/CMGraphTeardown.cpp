#include "camera_module/directshow/CMGraphTeardown.h"

#include "camera_module/CMTextCopy.h"
#include "camera_module/directshow/CMMediaType.h"

#include <cstdio>

namespace {

template <typename T> void ReleaseWithLine(T*& p, const char* line)
{
    if (p) {
        printf("%s", line);
        p->Release();
        p = nullptr;
    }
}

// Disconnects and removes every filter downstream of filter, deepest first.
void RemoveDownstream(IGraphBuilder* graph, IBaseFilter* filter)
{
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins)) || !pins)
        return;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        IPin* peer = nullptr;
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT
            && SUCCEEDED(pin->ConnectedTo(&peer)) && peer) {
            PIN_INFO info;
            if (SUCCEEDED(peer->QueryPinInfo(&info))) {
                if (info.pFilter) {
                    RemoveDownstream(graph, info.pFilter);
                    graph->Disconnect(peer);
                    graph->Disconnect(pin);
                    graph->RemoveFilter(info.pFilter);
                    info.pFilter->Release();
                }
            }
            peer->Release();
        }
        pin->Release();
    }
    pins->Release();
}

void RemoveAllFilters(IGraphBuilder* graph)
{
    for (;;) {
        IEnumFilters* filters = nullptr;
        if (FAILED(graph->EnumFilters(&filters)) || !filters) {
            printf("SETUP: pGraph->EnumFilters() failed. \n");
            return;
        }
        IBaseFilter* filter = nullptr;
        bool found = filters->Next(1, &filter, nullptr) == S_OK && filter;
        filters->Release();
        if (!found)
            return;
        FILTER_INFO info;
        char name[128] = "";
        if (SUCCEEDED(filter->QueryFilterInfo(&info))) {
            NarrowAscii(info.achName, name, sizeof(name));
            if (info.pGraph)
                info.pGraph->Release();
        }
        printf("SETUP: removing filter %s...\n", name);
        bool removed = SUCCEEDED(graph->RemoveFilter(filter));
        filter->Release();
        if (!removed) {
            printf("SETUP: pGraph->RemoveFilter() failed. \n");
            return;
        }
        printf("SETUP: filter removed %s  \n", name);
    }
}

}  // namespace

void DismantleDeviceGraph(CMCaptureDevice& d)
{
    printf("\nSETUP: Disconnecting device %i\n", d.deviceNumber);

    // Stop first: a sample in flight must not reach a freed callback object.
    if (d.control) {
        if (FAILED(d.control->Pause()))
            printf("ERROR - Could not pause pControl\n");
        if (FAILED(d.control->Stop()))
            printf("ERROR - Could not stop pControl\n");
    }
    if (d.grabber)
        d.grabber->SetCallback(nullptr, 1);
    if (d.stillGrabber)
        d.stillGrabber->SetCallback(nullptr, 1);
    if (d.previewCallback) {
        printf("SETUP: freeing Grabber Callback\n");
        d.previewCallback.reset();
    }
    d.stillCallback.reset();

    if (d.graph && d.source)
        RemoveDownstream(d.graph, d.source);

    ReleaseWithLine(d.renderer, "SETUP: freeing Renderer \n");
    ReleaseWithLine(d.source, "SETUP: freeing Capture Source \n");
    ReleaseWithLine(d.grabberFilter, "SETUP: freeing Grabber Filter  \n");
    ReleaseWithLine(d.grabber, "SETUP: freeing Grabber  \n");
    ReleaseWithLine(d.control, "SETUP: freeing Control   \n");
    ReleaseWithLine(d.streamConfig, "SETUP: freeing Stream  \n");
    if (d.mediaType) {
        printf("SETUP: freeing Media Type  \n");
        DeleteMediaTypeRecord(d.mediaType);
        d.mediaType = nullptr;
    }
    ReleaseWithLine(d.stillRenderer, "SETUP: freeing Renderer \n");
    ReleaseWithLine(d.stillGrabberFilter, "SETUP: freeing Grabber Filter  \n");
    ReleaseWithLine(d.stillGrabber, "SETUP: freeing Grabber  \n");
    ReleaseWithLine(d.stillConfig, "SETUP: freeing Stream  \n");
    if (d.stillMediaType) {
        printf("SETUP: freeing Media Type  \n");
        DeleteMediaTypeRecord(d.stillMediaType);
        d.stillMediaType = nullptr;
    }

    if (d.graph)
        RemoveAllFilters(d.graph);
    ReleaseWithLine(d.captureGraph, "SETUP: freeing Capture Graph \n");
    ReleaseWithLine(d.graph, "SETUP: freeing Main Graph \n");
    printf("SETUP: Device %i disconnected and freed\n\n", d.deviceNumber);
}
