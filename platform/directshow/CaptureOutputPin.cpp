// Capture source pins: stream configuration and frame delivery.

#include "platform/directshow/CaptureOutputPin.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/directshow/MediaType.h"
#include "platform/directshow/MemorySample.h"

namespace kelvara::dshow {

namespace {

const wchar_t* PinName(PinKind kind)
{
    switch (kind) {
    case PinKind::Preview:
        return L"Preview";
    case PinKind::Still:
        return L"Still";
    default:
        return L"Capture";
    }
}

REFERENCE_TIME IntervalOf(const FormatRange& r)
{
    return r.minInterval;
}

}  // namespace

CaptureOutputPin::CaptureOutputPin(FilterBase* filter, std::shared_ptr<CaptureDevice> device, PinKind kind)
    : OutputPin(filter, PinName(kind))
    , m_device(std::move(device))
    , m_kind(kind)
{
}

HRESULT CaptureOutputPin::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv && riid == IID_IAMStreamConfig) {
        *ppv = static_cast<IAMStreamConfig*>(this);
        AddRef();
        return S_OK;
    }
    if (ppv && riid == IID_IKsPropertySet) {
        *ppv = static_cast<IKsPropertySet*>(this);
        AddRef();
        return S_OK;
    }
    return OutputPin::QueryInterface(riid, ppv);
}

const GUID& CaptureOutputPin::Category() const
{
    switch (m_kind) {
    case PinKind::Preview:
        return PIN_CATEGORY_PREVIEW;
    case PinKind::Still:
        return PIN_CATEGORY_STILL;
    default:
        return PIN_CATEGORY_CAPTURE;
    }
}

bool CaptureOutputPin::OfferedType(AM_MEDIA_TYPE* mt)
{
    const VideoFormat f = m_device->CurrentFormat(m_kind);
    if (f.width <= 0 || f.height <= 0)
        return false;
    *mt = MakeVideoMediaType(f.subtype, f.width, f.height, f.frameInterval);
    return mt->pbFormat != nullptr;
}

void CaptureOutputPin::DeliverFrame(const BYTE* data, size_t length, REFERENCE_TIME time)
{
    BorrowedSample sample(data, length, time);
    Deliver(&sample);
}

HRESULT CaptureOutputPin::Reconnect()
{
    ComPtr<IPin> peer;
    if (FAILED(ConnectedTo(peer.AddressOf())))
        return S_OK;
    peer->Disconnect();
    Disconnect();
    return Connect(peer.Get(), nullptr);
}

HRESULT CaptureOutputPin::SetFormat(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    const VIDEOINFOHEADER* vih = GetVideoInfo(pmt);
    if (!vih || (pmt->majortype != GUID_NULL && pmt->majortype != MEDIATYPE_Video))
        return VFW_E_INVALIDMEDIATYPE;
    if (Filter()->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    VideoFormat wanted;
    wanted.subtype = pmt->subtype;
    wanted.width = vih->bmiHeader.biWidth;
    wanted.height = std::abs(vih->bmiHeader.biHeight);
    wanted.frameInterval = vih->AvgTimePerFrame;
    const VideoFormat old = m_device->CurrentFormat(m_kind);
    HRESULT hr = m_device->SetFormat(m_kind, wanted);
    if (FAILED(hr))
        return hr;
    if (IsConnected()) {
        hr = Reconnect();
        if (FAILED(hr)) {
            // The downstream filter refused the new type: go back to the old one.
            m_device->SetFormat(m_kind, old);
            Reconnect();
            return hr;
        }
    }
    return S_OK;
}

HRESULT CaptureOutputPin::GetFormat(AM_MEDIA_TYPE** ppmt)
{
    if (!ppmt)
        return E_POINTER;
    *ppmt = nullptr;
    if (!m_device->IsConnected())
        return E_DEVICE_NOT_CONNECTED;
    AM_MEDIA_TYPE mt{};
    if (!OfferedType(&mt))
        return E_FAIL;
    *ppmt = CreateMediaType(&mt);
    FreeMediaType(mt);
    return *ppmt ? S_OK : E_OUTOFMEMORY;
}

HRESULT CaptureOutputPin::GetNumberOfCapabilities(int* count, int* size)
{
    if (!count || !size)
        return E_POINTER;
    *count = static_cast<int>(m_device->Formats(m_kind).size());
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

HRESULT CaptureOutputPin::GetStreamCaps(int index, AM_MEDIA_TYPE** ppmt, BYTE* scc)
{
    if (!ppmt || !scc)
        return E_POINTER;
    *ppmt = nullptr;
    const std::vector<FormatRange> formats = m_device->Formats(m_kind);
    if (index < 0 || static_cast<size_t>(index) >= formats.size())
        return S_FALSE;
    const FormatRange& r = formats[static_cast<size_t>(index)];
    AM_MEDIA_TYPE mt = MakeVideoMediaType(r.subtype, r.maxWidth, r.maxHeight, IntervalOf(r));
    *ppmt = CreateMediaType(&mt);
    FreeMediaType(mt);
    if (!*ppmt)
        return E_OUTOFMEMORY;

    VIDEO_STREAM_CONFIG_CAPS caps{};
    caps.guid = FORMAT_VideoInfo;
    caps.InputSize = {r.maxWidth, r.maxHeight};
    caps.MinCroppingSize = {r.minWidth, r.minHeight};
    caps.MaxCroppingSize = {r.maxWidth, r.maxHeight};
    caps.CropGranularityX = r.stepWidth;
    caps.CropGranularityY = r.stepHeight;
    caps.CropAlignX = 1;
    caps.CropAlignY = 1;
    caps.MinOutputSize = {r.minWidth, r.minHeight};
    caps.MaxOutputSize = {r.maxWidth, r.maxHeight};
    caps.OutputGranularityX = r.stepWidth;
    caps.OutputGranularityY = r.stepHeight;
    caps.MinFrameInterval = r.minInterval;
    caps.MaxFrameInterval = r.maxInterval;
    const uint64_t minBytes = FrameBytes(r.subtype, r.minWidth, r.minHeight);
    const uint64_t maxBytes = FrameBytes(r.subtype, r.maxWidth, r.maxHeight);
    if (r.maxInterval > 0)
        caps.MinBitsPerSecond
            = static_cast<LONG>(std::min<uint64_t>(0x7FFFFFFF, minBytes * 8 * 10000000 / r.maxInterval));
    if (r.minInterval > 0)
        caps.MaxBitsPerSecond
            = static_cast<LONG>(std::min<uint64_t>(0x7FFFFFFF, maxBytes * 8 * 10000000 / r.minInterval));
    std::memcpy(scc, &caps, sizeof(caps));
    return S_OK;
}

HRESULT CaptureOutputPin::Get(
    REFGUID propSet, DWORD id, void*, DWORD, void* propertyData, DWORD dataLength, DWORD* returned)
{
    if (propSet != AMPROPSETID_Pin || id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (!propertyData || dataLength < sizeof(GUID))
        return E_POINTER;
    std::memcpy(propertyData, &Category(), sizeof(GUID));
    if (returned)
        *returned = sizeof(GUID);
    return S_OK;
}

HRESULT CaptureOutputPin::QuerySupported(REFGUID propSet, DWORD id, DWORD* typeSupport)
{
    if (propSet != AMPROPSETID_Pin || id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (typeSupport)
        *typeSupport = 1;  // get
    return S_OK;
}

}  // namespace kelvara::dshow
