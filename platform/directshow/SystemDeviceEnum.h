#pragma once
// The system device enumerator (internal; made by
// CoCreateInstance(CLSID_SystemDeviceEnum)).
//
// Threads: UI thread.

#include "platform/directshow/ComPtr.h"
#include "platform/directshow/DShowInterfaces.h"

namespace kelvara::dshow {

class SystemDeviceEnum final : public ICreateDevEnum
{
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** ppEnum, DWORD flags) override;

    KELVARA_COM_REFCOUNT
};

}  // namespace kelvara::dshow
