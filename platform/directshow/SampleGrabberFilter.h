#pragma once
// The Sample Grabber: passes samples through from its input to its output
// and shows each one to a callback and/or keeps a copy (internal; made by
// CoCreateInstance(CLSID_SampleGrabber)).
//
// Threads: configuration calls come from the UI thread; Receive runs on the
// upstream streaming thread. m_callbackMutex is held while the callback runs
// so that SetCallback can wait for a call in flight; m_bufferMutex guards the
// kept copy.

#include <mutex>
#include <vector>

#include "platform/directshow/FilterBase.h"
#include "platform/directshow/InputPin.h"
#include "platform/directshow/OutputPin.h"

namespace kelvara::dshow {

class SampleGrabberFilter final : public FilterBase, public ISampleGrabber
{
public:
    SampleGrabberFilter();
    ~SampleGrabberFilter() override;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    std::vector<IPin*> Pins() override { return {&m_input, &m_output}; }

    HRESULT SetOneShot(BOOL oneShot) override;
    HRESULT SetMediaType(const AM_MEDIA_TYPE* pmt) override;
    HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* pmt) override;
    HRESULT SetBufferSamples(BOOL buffer) override;
    HRESULT GetCurrentBuffer(long* size, long* buffer) override;
    HRESULT GetCurrentSample(IMediaSample** ppSample) override;
    HRESULT SetCallback(ISampleGrabberCB* callback, long whichMethod) override;

    KELVARA_COM_REFCOUNT

private:
    class GrabberOutputPin final : public OutputPin
    {
    public:
        explicit GrabberOutputPin(SampleGrabberFilter* owner)
            : OutputPin(owner, L"Output")
            , m_owner(owner)
        {
        }

    protected:
        bool OfferedType(AM_MEDIA_TYPE* mt) override;

    private:
        SampleGrabberFilter* m_owner;
    };

    HRESULT Accept(const AM_MEDIA_TYPE* pmt);
    HRESULT Receive(IMediaSample* sample);
    HRESULT OnRun() override;

    InputPin m_input;
    GrabberOutputPin m_output;
    AM_MEDIA_TYPE m_acceptType{};  // GUID_NULL fields accept anything
    std::atomic<bool> m_oneShot{false};
    std::atomic<bool> m_oneShotDone{false};
    std::atomic<bool> m_bufferSamples{false};

    std::mutex m_callbackMutex;
    ComPtr<ISampleGrabberCB> m_callback;  // guarded by m_callbackMutex
    long m_whichMethod = 0;  // guarded by m_callbackMutex

    std::mutex m_bufferMutex;
    std::vector<BYTE> m_buffer;  // guarded by m_bufferMutex
    REFERENCE_TIME m_bufferTime = 0;
    bool m_hasBuffer = false;
};

}  // namespace kelvara::dshow
