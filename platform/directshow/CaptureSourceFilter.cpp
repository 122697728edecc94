// The capture source filter.

#include "platform/directshow/CaptureSourceFilter.h"

#include "platform/directshow/MediaType.h"

namespace kelvara::dshow {

CaptureSourceFilter::CaptureSourceFilter(std::shared_ptr<CaptureDevice> device)
    : FilterBase(CLSID_KelvaraCaptureSource)
    , m_device(std::move(device))
{
    for (PinKind kind : {PinKind::Capture, PinKind::Preview, PinKind::Still})
        if (m_device->HasPin(kind))
            m_pins.push_back(std::make_unique<CaptureOutputPin>(this, m_device, kind));
}

CaptureSourceFilter::~CaptureSourceFilter()
{
    // A graph stops its filters before releasing them; this covers a filter
    // that was run outside a graph.
    if (State() == State_Running)
        OnHalt();
}

HRESULT CaptureSourceFilter::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (QueryFilterInterface(riid, ppv))
        return S_OK;
    IUnknown* facet = nullptr;
    if (riid == IID_IAMVideoProcAmp)
        facet = &m_procAmp;
    else if (riid == IID_IAMCameraControl)
        facet = &m_cameraControl;
    else if (riid == IID_IAMVideoControl)
        facet = static_cast<IAMVideoControl*>(this);
    else if (riid == IID_ISpecifyPropertyPages)
        facet = static_cast<ISpecifyPropertyPages*>(this);
    else if (riid == IID_IPropertySheetControls)
        facet = static_cast<IPropertySheetControls*>(this);
    if (!facet) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = facet;
    AddRef();
    return S_OK;
}

std::vector<IPin*> CaptureSourceFilter::Pins()
{
    std::vector<IPin*> pins;
    for (auto& pin : m_pins)
        pins.push_back(pin.get());
    return pins;
}

CaptureOutputPin* CaptureSourceFilter::PinFor(IPin* pin)
{
    for (auto& own : m_pins)
        if (static_cast<IPin*>(own.get()) == pin)
            return own.get();
    return nullptr;
}

HRESULT CaptureSourceFilter::OnRun()
{
    if (!m_device->IsConnected())
        return E_DEVICE_NOT_CONNECTED;
    std::vector<CaptureOutputPin*> started;
    for (auto& pin : m_pins) {
        if (!pin->IsConnected())
            continue;
        CaptureOutputPin* p = pin.get();
        HRESULT hr = m_device->Start(p->Kind(), [p](const BYTE* data, size_t length, REFERENCE_TIME time) {
            p->DeliverFrame(data, length, time);
        });
        if (FAILED(hr)) {
            for (CaptureOutputPin* s : started)
                m_device->Stop(s->Kind());
            return hr;
        }
        started.push_back(p);
    }
    return S_OK;
}

void CaptureSourceFilter::OnHalt()
{
    for (auto& pin : m_pins)
        m_device->Stop(pin->Kind());
}

template <class Interface, ControlSet kSet>
HRESULT CaptureSourceFilter::ControlFacet<Interface, kSet>::GetRange(
    long property, long* min, long* max, long* step, long* defaultValue, long* caps)
{
    if (!min || !max || !step || !defaultValue || !caps)
        return E_POINTER;
    ControlRange range;
    HRESULT hr = m_owner->m_device->GetControlRange(kSet, property, &range);
    if (FAILED(hr))
        return hr;
    *min = range.minimum;
    *max = range.maximum;
    *step = range.step;
    *defaultValue = range.defaultValue;
    *caps = range.capsFlags;
    return S_OK;
}

template <class Interface, ControlSet kSet>
HRESULT CaptureSourceFilter::ControlFacet<Interface, kSet>::Set(long property, long value, long flags)
{
    return m_owner->m_device->SetControl(kSet, property, value, flags);
}

template <class Interface, ControlSet kSet>
HRESULT CaptureSourceFilter::ControlFacet<Interface, kSet>::Get(long property, long* value, long* flags)
{
    if (!value || !flags)
        return E_POINTER;
    return m_owner->m_device->GetControl(kSet, property, value, flags);
}

HRESULT CaptureSourceFilter::GetCaps(IPin* pin, long* capsFlags)
{
    if (!capsFlags)
        return E_POINTER;
    CaptureOutputPin* own = PinFor(pin);
    if (!own)
        return E_INVALIDARG;
    *capsFlags = own->Kind() == PinKind::Still ? VideoControlFlag_Trigger : 0;
    return S_OK;
}

HRESULT CaptureSourceFilter::SetMode(IPin* pin, long mode)
{
    CaptureOutputPin* own = PinFor(pin);
    if (!own)
        return E_INVALIDARG;
    if ((mode & VideoControlFlag_Trigger) == 0) {
        m_stillMode = mode;
        return mode == 0 ? S_OK : E_INVALIDARG;
    }
    if (own->Kind() != PinKind::Still)
        return E_INVALIDARG;
    return m_device->TriggerStill();
}

HRESULT CaptureSourceFilter::GetMode(IPin* pin, long* mode)
{
    if (!mode)
        return E_POINTER;
    if (!PinFor(pin))
        return E_INVALIDARG;
    *mode = m_stillMode;
    return S_OK;
}

HRESULT CaptureSourceFilter::GetCurrentActualFrameRate(IPin* pin, LONGLONG* frameInterval)
{
    if (!frameInterval)
        return E_POINTER;
    if (!PinFor(pin))
        return E_INVALIDARG;
    const REFERENCE_TIME interval = m_device->ActualFrameInterval();
    if (interval <= 0)
        return VFW_E_WRONG_STATE;
    *frameInterval = interval;
    return S_OK;
}

HRESULT CaptureSourceFilter::GetPages(CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = CLSID_KelvaraControlSheetPage;
    return S_OK;
}

HRESULT CaptureSourceFilter::GetControls(std::vector<PropertySheetControl>* controls)
{
    if (!controls)
        return E_POINTER;
    if (!m_device->IsConnected())
        return E_DEVICE_NOT_CONNECTED;
    std::vector<PropertySheetControl> list = m_device->SheetControls();
    for (PropertySheetControl& c : list) {
        // Keep the device alive for as long as the sheet holds the setter.
        std::shared_ptr<CaptureDevice> keep = m_device;
        c.apply = [keep, apply = std::move(c.apply)](long value, bool isAuto) {
            return apply && keep->IsConnected() && apply(value, isAuto);
        };
        controls->push_back(std::move(c));
    }
    return S_OK;
}

}  // namespace kelvara::dshow

namespace kelvara::dshow {
template class CaptureSourceFilter::ControlFacet<IAMVideoProcAmp, ControlSet::VideoProcAmp>;
template class CaptureSourceFilter::ControlFacet<IAMCameraControl, ControlSet::CameraControl>;
}  // namespace kelvara::dshow
