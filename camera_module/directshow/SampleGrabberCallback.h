#pragma once
// The grabber callback objects of a capture device: they pass every buffer
// of the preview (kind 0) or still (kind 1) stream to the registered
// hand-over function. Not reference counted: the device record owns them.
//
// Threads: Register is called on the UI thread, BufferCB on the graph's
// streaming thread; the registered pair is guarded by a mutex.

#include "platform/directshow/DShow.h"

#include <mutex>

// (camera, kind, buffer, length): kind 0 = preview sample, 1 = still sample.
typedef void (*CMSampleHandler)(void* camera, int kind, BYTE* buffer, long length);

class SampleGrabberCallbackBase : public ISampleGrabberCB
{
public:
    explicit SampleGrabberCallbackBase(int kind)
        : m_kind(kind)
    {
    }

    void Register(CMSampleHandler handler, void* camera);

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 2; }
    HRESULT BufferCB(double sampleTime, BYTE* buffer, long length) override;

private:
    const int m_kind;
    std::mutex m_mutex;  // Guards m_handler and m_camera.
    CMSampleHandler m_handler = nullptr;
    void* m_camera = nullptr;
};

class SampleGrabberCallback : public SampleGrabberCallbackBase
{
public:
    SampleGrabberCallback()
        : SampleGrabberCallbackBase(0)
    {
    }
    HRESULT SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
};

class SampleGrabberCallbackStill : public SampleGrabberCallbackBase
{
public:
    SampleGrabberCallbackStill()
        : SampleGrabberCallbackBase(1)
    {
    }
    HRESULT SampleCB(double, IMediaSample*) override { return S_OK; }
};
