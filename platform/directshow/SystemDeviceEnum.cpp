// The system device enumerator and its moniker enumeration.

#include "platform/directshow/SystemDeviceEnum.h"

#include "platform/directshow/CaptureDeviceProvider.h"
#include "platform/directshow/DeviceMoniker.h"
#include "platform/directshow/Enumerators.h"

namespace kelvara::dshow {

HRESULT SystemDeviceEnum::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ICreateDevEnum) {
        *ppv = static_cast<ICreateDevEnum*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT SystemDeviceEnum::CreateClassEnumerator(REFCLSID category, IEnumMoniker** ppEnum, DWORD)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    if (category != CLSID_VideoInputDeviceCategory)
        return S_FALSE;
    std::vector<DeviceEntry> devices = EnumerateCaptureDevices();
    if (devices.empty())
        return S_FALSE;
    std::vector<ComPtr<IMoniker>> monikers;
    for (DeviceEntry& d : devices)
        monikers.push_back(ComPtr<IMoniker>::Attach(new DeviceMoniker(std::move(d))));
    *ppEnum = new SnapshotEnumerator<IEnumMoniker, IMoniker>(std::move(monikers), IID_IEnumMoniker);
    return S_OK;
}

}  // namespace kelvara::dshow
