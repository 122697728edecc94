// Device monikers and their property bags.

#include "platform/directshow/DeviceMoniker.h"

#include <string>

#include "platform/directshow/CaptureSourceFilter.h"

namespace kelvara::dshow {

HRESULT DeviceMoniker::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMoniker) {
        *ppv = static_cast<IMoniker*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT DeviceMoniker::BindToObject(IBindCtx*, IMoniker*, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!m_entry.open)
        return E_FAIL;
    HRESULT hr = E_FAIL;
    std::shared_ptr<CaptureDevice> device = m_entry.open(&hr);
    if (!device)
        return FAILED(hr) ? hr : E_FAIL;
    auto filter = ComPtr<CaptureSourceFilter>::Attach(new CaptureSourceFilter(std::move(device)));
    return filter->QueryInterface(riid, ppv);
}

HRESULT DeviceMoniker::BindToStorage(IBindCtx*, IMoniker*, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    auto bag = ComPtr<DevicePropertyBag>::Attach(
        new DevicePropertyBag(m_entry.friendlyName, m_entry.devicePath, m_entry.accessDenied));
    return bag->QueryInterface(riid, ppv);
}

HRESULT DevicePropertyBag::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
        *ppv = static_cast<IPropertyBag*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT DevicePropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*)
{
    if (!name || !value)
        return E_POINTER;
    const std::wstring key = name;
    if (key == L"AccessDenied") {
        value->vt = VT_I4;
        value->lVal = m_accessDenied ? 1 : 0;
        return S_OK;
    }
    const std::wstring* text = nullptr;
    if (key == L"FriendlyName")
        text = &m_friendlyName;
    else if (key == L"DevicePath")
        text = &m_devicePath;
    if (!text)
        return E_FAIL;
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(text->c_str());
    return value->bstrVal ? S_OK : E_OUTOFMEMORY;
}

}  // namespace kelvara::dshow
