#pragma once
// The DirectShow interfaces the capture code uses, with the members it relies
// on. Results follow DirectShow: S_OK on success, an error HRESULT otherwise.
// Objects handed out through an out-pointer come AddRef'd; the caller
// releases them.
//
// Threads: all calls may be made from any thread unless stated. The one
// streaming thread of a device calls ISampleGrabberCB and IMemInputPin;
// nothing else runs on it.

#include <vector>

#include "platform/directshow/ComTypes.h"
#include "platform/directshow/DShowTypes.h"

struct IPin;
struct IEnumPins;
struct IEnumFilters;
struct IEnumMoniker;
struct IMoniker;
struct IBindCtx;  // never defined; pass null
struct IErrorLog;  // never defined; pass null

inline constexpr IID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IMediaFilter
    = {0x56A86899, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IBaseFilter
    = {0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IPin
    = {0x56A86891, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IEnumPins
    = {0x56A86892, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IEnumFilters
    = {0x56A86893, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IMediaSample
    = {0x56A8689A, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IMemInputPin
    = {0x56A8689D, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IFilterGraph
    = {0x56A8689F, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IGraphBuilder
    = {0x56A868A9, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IMediaControl
    = {0x56A868B1, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_ICaptureGraphBuilder2
    = {0x93E5A4E0, 0x2D50, 0x11D2, {0xAB, 0xFA, 0x00, 0xA0, 0xC9, 0xC6, 0xE3, 0x8D}};
inline constexpr IID IID_ICreateDevEnum
    = {0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
inline constexpr IID IID_IEnumMoniker = {0x00000102, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IMoniker = {0x0000000F, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IPropertyBag
    = {0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
inline constexpr IID IID_ISampleGrabber
    = {0x6B652FFF, 0x11FE, 0x4FCE, {0x92, 0xAD, 0x02, 0x66, 0xB5, 0xD7, 0xC7, 0x8F}};
inline constexpr IID IID_ISampleGrabberCB
    = {0x0579154A, 0x2B53, 0x4994, {0xB0, 0xD0, 0xE7, 0x73, 0x14, 0x8E, 0xFF, 0x85}};
inline constexpr IID IID_IAMStreamConfig
    = {0xC6E13340, 0x30AC, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
inline constexpr IID IID_IAMVideoProcAmp
    = {0xC6E13360, 0x30AC, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
inline constexpr IID IID_IAMCameraControl
    = {0xC6E13370, 0x30AC, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
inline constexpr IID IID_IAMVideoControl
    = {0x6A2E0670, 0x28E4, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
inline constexpr IID IID_ISpecifyPropertyPages
    = {0xB196B28B, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IKsPropertySet
    = {0x31EFAC30, 0x515C, 0x11D0, {0xA9, 0xAA, 0x00, 0xAA, 0x00, 0x61, 0xBE, 0x93}};

struct IPersist : IUnknown
{
    virtual HRESULT GetClassID(CLSID* clsid) = 0;
};

struct IMediaFilter : IPersist
{
    virtual HRESULT Stop() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Run(REFERENCE_TIME start) = 0;
    virtual HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state) = 0;
};

struct IBaseFilter : IMediaFilter
{
    virtual HRESULT EnumPins(IEnumPins** ppEnum) = 0;
    // Finds a pin by its id (the pin's name).
    virtual HRESULT FindPin(LPCWSTR id, IPin** ppPin) = 0;
    virtual HRESULT QueryFilterInfo(FILTER_INFO* info) = 0;
    // Called by the graph; the filter keeps graph as a weak pointer.
    virtual HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) = 0;
};

struct IMediaSample : IUnknown
{
    virtual HRESULT GetPointer(BYTE** ppBuffer) = 0;
    virtual long GetSize() = 0;
    virtual HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) = 0;
    virtual long GetActualDataLength() = 0;
};

struct IPin : IUnknown
{
    // Output pin: connect to receivePin with pmt (null: the pin's current type).
    virtual HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt) = 0;
    // Input pin: accept a connection from connector with pmt.
    virtual HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* pmt) = 0;
    // Breaks this side of the connection; VFW_E_NOT_STOPPED while streaming,
    // S_FALSE when not connected.
    virtual HRESULT Disconnect() = 0;
    virtual HRESULT ConnectedTo(IPin** ppPin) = 0;
    virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* pmt) = 0;
    virtual HRESULT QueryPinInfo(PIN_INFO* info) = 0;
    virtual HRESULT QueryDirection(PIN_DIRECTION* dir) = 0;
    virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* pmt) = 0;
};

// How an output pin hands samples to the input pin it is connected to.
// Receive runs on the streaming thread; the sample lives only for the call.
struct IMemInputPin : IUnknown
{
    virtual HRESULT Receive(IMediaSample* sample) = 0;
};

struct IEnumPins : IUnknown
{
    virtual HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumPins** ppEnum) = 0;
};

struct IEnumFilters : IUnknown
{
    virtual HRESULT Next(ULONG count, IBaseFilter** filters, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFilters** ppEnum) = 0;
};

struct IFilterGraph : IUnknown
{
    // Adds and AddRefs the filter; a null or taken name gets a unique one.
    virtual HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) = 0;
    // Disconnects the filter's pins, removes and releases it.
    virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
    // Enumerates a snapshot of the graph's filters.
    virtual HRESULT EnumFilters(IEnumFilters** ppEnum) = 0;
    virtual HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** ppFilter) = 0;
    virtual HRESULT ConnectDirect(IPin* out, IPin* in, const AM_MEDIA_TYPE* pmt) = 0;
    // Disconnects one pin (call it for both ends of a connection).
    virtual HRESULT Disconnect(IPin* pin) = 0;
};

struct IGraphBuilder : IFilterGraph
{
    virtual HRESULT Connect(IPin* out, IPin* in) = 0;
};

// Runs, pauses and stops every filter of the graph. Stop returns only when
// no sample is being delivered any more and none will be; so Stop (and the
// release of the last graph reference) must not be called while holding a
// lock that a sample callback takes.
struct IMediaControl : IUnknown
{
    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT GetState(LONG timeoutMs, OAFilterState* state) = 0;
    virtual HRESULT StopWhenReady() = 0;
};

struct ICaptureGraphBuilder2 : IUnknown
{
    virtual HRESULT SetFiltergraph(IGraphBuilder* graph) = 0;
    virtual HRESULT GetFiltergraph(IGraphBuilder** ppGraph) = 0;
    // Finds interface riid on the output pin of filter with the given
    // category (and major type, when non-null); with a null category, on the
    // filter itself first, then on its pins. VFW_E_NOT_FOUND / E_NOINTERFACE
    // when there is none.
    virtual HRESULT FindInterface(
        const GUID* category, const GUID* type, IBaseFilter* filter, REFIID riid, void** ppv)
        = 0;
    // Connects the unconnected output pin of source with the category through
    // intermediate (may be null) into sink (may be null). Filters must
    // already be in the graph.
    virtual HRESULT RenderStream(const GUID* category, const GUID* type, IUnknown* source,
        IBaseFilter* intermediate, IBaseFilter* sink)
        = 0;
    // The num-th (from 0) pin of source matching direction, category, type and,
    // when unconnected is TRUE, not connected.
    virtual HRESULT FindPin(IUnknown* source, PIN_DIRECTION dir, const GUID* category, const GUID* type,
        BOOL unconnected, int num, IPin** ppPin)
        = 0;
};

// Callback of the sample grabber. Runs on the streaming thread.
struct ISampleGrabberCB : IUnknown
{
    virtual HRESULT SampleCB(double sampleTime, IMediaSample* sample) = 0;
    virtual HRESULT BufferCB(double sampleTime, BYTE* buffer, long length) = 0;
};

struct ISampleGrabber : IUnknown
{
    virtual HRESULT SetOneShot(BOOL oneShot) = 0;
    // The type the grabber's input accepts; fields left GUID_NULL accept
    // anything. Without a call, anything is accepted.
    virtual HRESULT SetMediaType(const AM_MEDIA_TYPE* pmt) = 0;
    virtual HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* pmt) = 0;
    virtual HRESULT SetBufferSamples(BOOL buffer) = 0;
    // size in bytes; with a null buffer, *size gets the needed size.
    virtual HRESULT GetCurrentBuffer(long* size, long* buffer) = 0;
    virtual HRESULT GetCurrentSample(IMediaSample** ppSample) = 0;
    // whichMethod 0: SampleCB, 1: BufferCB. The grabber AddRefs the callback.
    // Returns only when no call into the previous callback is in flight, so
    // the previous callback object may be deleted afterwards (and so it must
    // not be called while holding a lock that the callback takes).
    virtual HRESULT SetCallback(ISampleGrabberCB* callback, long whichMethod) = 0;
};

struct IAMStreamConfig : IUnknown
{
    // Sets the pin's output format (VIDEOINFOHEADER: subtype, width, height,
    // AvgTimePerFrame when non-zero). VFW_E_INVALIDMEDIATYPE when the device
    // does not offer it, VFW_E_NOT_STOPPED while the pin streams,
    // E_DEVICE_NOT_CONNECTED after an unplug.
    virtual HRESULT SetFormat(AM_MEDIA_TYPE* pmt) = 0;
    // The current (or default) format; free with DeleteMediaType.
    virtual HRESULT GetFormat(AM_MEDIA_TYPE** ppmt) = 0;
    virtual HRESULT GetNumberOfCapabilities(int* count, int* size) = 0;
    // Capability index: *ppmt (free with DeleteMediaType) and a 128-byte
    // VIDEO_STREAM_CONFIG_CAPS written to scc.
    virtual HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** ppmt, BYTE* scc) = 0;
};

// Image controls of a source filter (property: VideoProcAmpProperty, flags:
// VideoProcAmpFlags). Unknown or absent controls: E_PROP_ID_UNSUPPORTED.
// Set outside the range: E_INVALIDARG.
struct IAMVideoProcAmp : IUnknown
{
    virtual HRESULT GetRange(
        long property, long* min, long* max, long* steppingDelta, long* defaultValue, long* capsFlags)
        = 0;
    virtual HRESULT Set(long property, long value, long flags) = 0;
    virtual HRESULT Get(long property, long* value, long* flags) = 0;
};

// Camera controls of a source filter (CameraControlProperty,
// CameraControlFlags); same rules as IAMVideoProcAmp.
struct IAMCameraControl : IUnknown
{
    virtual HRESULT GetRange(
        long property, long* min, long* max, long* steppingDelta, long* defaultValue, long* capsFlags)
        = 0;
    virtual HRESULT Set(long property, long value, long flags) = 0;
    virtual HRESULT Get(long property, long* value, long* flags) = 0;
};

struct IAMVideoControl : IUnknown
{
    virtual HRESULT GetCaps(IPin* pin, long* capsFlags) = 0;
    // VideoControlFlag_Trigger on the still pin asks for one still frame,
    // delivered on the still pin's stream. E_FAIL for other pins.
    virtual HRESULT SetMode(IPin* pin, long mode) = 0;
    virtual HRESULT GetMode(IPin* pin, long* mode) = 0;
    virtual HRESULT GetCurrentActualFrameRate(IPin* pin, LONGLONG* frameInterval) = 0;
};

struct ISpecifyPropertyPages : IUnknown
{
    // pages->pElems is task memory.
    virtual HRESULT GetPages(CAUUID* pages) = 0;
};

struct IKsPropertySet : IUnknown
{
    // AMPROPSETID_Pin / AMPROPERTY_PIN_CATEGORY on an output pin gives its
    // category GUID.
    virtual HRESULT Get(REFGUID propSet, DWORD id, void* instanceData, DWORD instanceLength,
        void* propertyData, DWORD dataLength, DWORD* returned)
        = 0;
    virtual HRESULT QuerySupported(REFGUID propSet, DWORD id, DWORD* typeSupport) = 0;
};

struct IPropertyBag : IUnknown
{
    // "FriendlyName" and "DevicePath" as VT_BSTR; E_FAIL for other names.
    virtual HRESULT Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) = 0;
};

struct IMoniker : IUnknown
{
    // IID_IBaseFilter: opens the device as a capture source filter.
    virtual HRESULT BindToObject(IBindCtx* ctx, IMoniker* left, REFIID riid, void** ppv) = 0;
    // IID_IPropertyBag: the device's names.
    virtual HRESULT BindToStorage(IBindCtx* ctx, IMoniker* left, REFIID riid, void** ppv) = 0;
};

struct IEnumMoniker : IUnknown
{
    virtual HRESULT Next(ULONG count, IMoniker** monikers, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumMoniker** ppEnum) = 0;
};

struct ICreateDevEnum : IUnknown
{
    // CLSID_VideoInputDeviceCategory: the V4L2 capture devices, then the
    // virtual devices, in a stable order. S_FALSE (and a null *ppEnum) when
    // the category is empty or unknown.
    virtual HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** ppEnum, DWORD flags) = 0;
};
