#pragma once
// The COM basics the capture layer is shaped after: result codes, GUIDs,
// IUnknown, BSTR/VARIANT for property bags, task memory and the apartment
// calls. Interfaces live in the global namespace under their Windows names so
// that capture code reads as it would against DirectShow.
//
// Sizes follow Windows where records are laid out byte for byte: LONG, ULONG
// and DWORD are 32-bit. Method parameters spelled `long` in the Windows
// declarations stay `long` here (64-bit on Linux; values stay in 32-bit range).
// Wide text is wchar_t (32-bit on Linux).
//
// Threads: every function here may be called from any thread. Reference
// counts of the layer's objects are atomic.

#include <cstdint>
#include <cstring>

typedef int32_t HRESULT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int BOOL;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef wchar_t WCHAR;
typedef wchar_t OLECHAR;
typedef const wchar_t* LPCWSTR;
typedef const wchar_t* LPCOLESTR;
typedef wchar_t* BSTR;
typedef uint16_t VARTYPE;
typedef DWORD LCID;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
// A control that the device does not have.
constexpr HRESULT E_PROP_ID_UNSUPPORTED = static_cast<HRESULT>(0x80070490u);
// The device was unplugged (HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED)).
constexpr HRESULT E_DEVICE_NOT_CONNECTED = static_cast<HRESULT>(0x8007048Fu);

struct GUID
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

inline bool operator==(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
inline bool operator!=(const GUID& a, const GUID& b)
{
    return !(a == b);
}
inline BOOL IsEqualGUID(REFGUID a, REFGUID b)
{
    return a == b ? TRUE : FALSE;
}
inline BOOL IsEqualIID(REFIID a, REFIID b)
{
    return IsEqualGUID(a, b);
}

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Base of every interface. QueryInterface answers E_NOINTERFACE (and a null
// *ppv) for interfaces the object lacks; AddRef/Release return the new count
// (informational only). The object deletes itself when its count reaches 0.
struct IUnknown
{
    virtual ~IUnknown() = default;
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};

// Apartment calls. There are no real apartments here: the calls keep their
// Windows results (S_OK for the first initialisation of a thread, S_FALSE for
// nested ones, RPC_E_CHANGED_MODE for a different mode than the thread's
// first) and objects work on any thread whether or not it was initialised.
constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
void CoUninitialize();

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC = 0x3;
// Creates one of the layer's classes (CLSID_SystemDeviceEnum,
// CLSID_FilterGraph, CLSID_CaptureGraphBuilder2, CLSID_SampleGrabber,
// CLSID_NullRenderer); REGDB_E_CLASSNOTREG for any other class,
// CLASS_E_NOAGGREGATION when outer is non-null.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv);

// Task memory: media type format blocks, CAUUID arrays and the results of
// GetFormat/GetStreamCaps are allocated with CoTaskMemAlloc.
void* CoTaskMemAlloc(size_t bytes);
void CoTaskMemFree(void* p);

// Strings handed out by property bags.
BSTR SysAllocString(const OLECHAR* text);
void SysFreeString(BSTR text);
unsigned SysStringLen(BSTR text);

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;

struct VARIANT
{
    VARTYPE vt;
    union {
        LONG lVal;
        BSTR bstrVal;
    };
};
void VariantInit(VARIANT* v);
// Frees what the variant holds (a BSTR) and makes it VT_EMPTY.
HRESULT VariantClear(VARIANT* v);
