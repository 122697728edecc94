#pragma once
// The source filter of a capture device: its pins, image and camera
// controls, still trigger and property pages, all backed by one
// CaptureDevice (internal; made by binding a device moniker).
//
// Threads: UI thread. While the filter runs, the device's streaming thread
// calls the pins' DeliverFrame; Stop/Pause wait until it no longer does.

#include <memory>
#include <vector>

#include "platform/directshow/CaptureOutputPin.h"
#include "platform/directshow/FilterBase.h"
#include "platform/directshow/PropertySheetHook.h"

namespace kelvara::dshow {

class CaptureSourceFilter final : public FilterBase,
                                  public IAMVideoControl,
                                  public ISpecifyPropertyPages,
                                  public IPropertySheetControls
{
public:
    explicit CaptureSourceFilter(std::shared_ptr<CaptureDevice> device);
    ~CaptureSourceFilter() override;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    std::vector<IPin*> Pins() override;

    HRESULT GetCaps(IPin* pin, long* capsFlags) override;
    HRESULT SetMode(IPin* pin, long mode) override;
    HRESULT GetMode(IPin* pin, long* mode) override;
    HRESULT GetCurrentActualFrameRate(IPin* pin, LONGLONG* frameInterval) override;

    HRESULT GetPages(CAUUID* pages) override;
    HRESULT GetControls(std::vector<PropertySheetControl>* controls) override;

    KELVARA_COM_REFCOUNT

protected:
    HRESULT OnRun() override;
    void OnHalt() override;

private:
    // IAMVideoProcAmp and IAMCameraControl have the same methods, so each is
    // a separate facet that shares the filter's reference count.
    template <class Interface, ControlSet kSet> class ControlFacet final : public Interface
    {
    public:
        explicit ControlFacet(CaptureSourceFilter* owner)
            : m_owner(owner)
        {
        }
        HRESULT QueryInterface(REFIID riid, void** ppv) override
        {
            return m_owner->QueryInterface(riid, ppv);
        }
        ULONG AddRef() override { return m_owner->AddRef(); }
        ULONG Release() override { return m_owner->Release(); }
        HRESULT GetRange(
            long property, long* min, long* max, long* step, long* defaultValue, long* caps) override;
        HRESULT Set(long property, long value, long flags) override;
        HRESULT Get(long property, long* value, long* flags) override;

    private:
        CaptureSourceFilter* m_owner;
    };

    CaptureOutputPin* PinFor(IPin* pin);

    std::shared_ptr<CaptureDevice> m_device;
    std::vector<std::unique_ptr<CaptureOutputPin>> m_pins;
    ControlFacet<IAMVideoProcAmp, ControlSet::VideoProcAmp> m_procAmp{this};
    ControlFacet<IAMCameraControl, ControlSet::CameraControl> m_cameraControl{this};
    long m_stillMode = 0;
};

}  // namespace kelvara::dshow
