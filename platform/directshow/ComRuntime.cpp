// Apartment bookkeeping, object creation, task memory, BSTR and VARIANT.

#include <cstdlib>
#include <cwchar>

#include "platform/directshow/ComClasses.h"
#include "platform/directshow/DShowInterfaces.h"

namespace {

// Per thread: how often CoInitialize succeeded and in which mode.
thread_local int t_initCount = 0;
thread_local DWORD t_initMode = 0;

}  // namespace

HRESULT CoInitialize(void* reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(void*, DWORD coInit)
{
    if (t_initCount > 0 && t_initMode != coInit)
        return RPC_E_CHANGED_MODE;
    if (t_initCount++ == 0) {
        t_initMode = coInit;
        return S_OK;
    }
    return S_FALSE;
}

void CoUninitialize()
{
    if (t_initCount > 0)
        --t_initCount;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    IUnknown* object = kelvara::dshow::CreateComClass(clsid);
    if (!object)
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

void* CoTaskMemAlloc(size_t bytes)
{
    return std::malloc(bytes ? bytes : 1);
}

void CoTaskMemFree(void* p)
{
    std::free(p);
}

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    size_t length = std::wcslen(text);
    auto* copy = static_cast<BSTR>(std::malloc((length + 1) * sizeof(OLECHAR)));
    if (copy)
        std::wmemcpy(copy, text, length + 1);
    return copy;
}

void SysFreeString(BSTR text)
{
    std::free(text);
}

unsigned SysStringLen(BSTR text)
{
    return text ? static_cast<unsigned>(std::wcslen(text)) : 0;
}

void VariantInit(VARIANT* v)
{
    if (v) {
        v->vt = VT_EMPTY;
        v->bstrVal = nullptr;
    }
}

HRESULT VariantClear(VARIANT* v)
{
    if (!v)
        return E_INVALIDARG;
    if (v->vt == VT_BSTR)
        SysFreeString(v->bstrVal);
    v->vt = VT_EMPTY;
    v->bstrVal = nullptr;
    return S_OK;
}
