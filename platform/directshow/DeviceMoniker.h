#pragma once
// A moniker naming one enumerated capture device, and its property bag
// (internal).
//
// Threads: UI thread.

#include "platform/directshow/CaptureDeviceProvider.h"
#include "platform/directshow/ComPtr.h"
#include "platform/directshow/DShowInterfaces.h"

namespace kelvara::dshow {

class DeviceMoniker final : public IMoniker
{
public:
    explicit DeviceMoniker(DeviceEntry entry)
        : m_entry(std::move(entry))
    {
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    HRESULT BindToObject(IBindCtx* ctx, IMoniker* left, REFIID riid, void** ppv) override;
    HRESULT BindToStorage(IBindCtx* ctx, IMoniker* left, REFIID riid, void** ppv) override;

    KELVARA_COM_REFCOUNT

private:
    DeviceEntry m_entry;
};

class DevicePropertyBag final : public IPropertyBag
{
public:
    // Values: "FriendlyName", "DevicePath" (text) and "AccessDenied" (VT_I4,
    // 1 when the user may not open the device).
    DevicePropertyBag(std::wstring friendlyName, std::wstring devicePath, bool accessDenied = false)
        : m_friendlyName(std::move(friendlyName))
        , m_devicePath(std::move(devicePath))
        , m_accessDenied(accessDenied)
    {
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    HRESULT Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;

    KELVARA_COM_REFCOUNT

private:
    std::wstring m_friendlyName;
    std::wstring m_devicePath;
    bool m_accessDenied;
};

}  // namespace kelvara::dshow
