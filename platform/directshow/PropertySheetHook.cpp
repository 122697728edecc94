// The property-sheet hook and OleCreatePropertyFrame on top of it.

#include "platform/directshow/PropertySheetHook.h"

#include <cstdio>
#include <mutex>

#include "platform/directshow/ComPtr.h"

namespace kelvara::dshow {

namespace {

std::mutex g_presenterMutex;
PropertySheetPresenter g_presenter;  // guarded by g_presenterMutex

}  // namespace

void SetPropertySheetPresenter(PropertySheetPresenter presenter)
{
    std::lock_guard<std::mutex> lock(g_presenterMutex);
    g_presenter = std::move(presenter);
}

bool HasPropertySheetPresenter()
{
    std::lock_guard<std::mutex> lock(g_presenterMutex);
    return static_cast<bool>(g_presenter);
}

}  // namespace kelvara::dshow

HRESULT OleCreatePropertyFrame(HWND owner, UINT, UINT, LPCOLESTR caption, ULONG objectCount,
    IUnknown** objects, ULONG, const CLSID*, LCID, DWORD, void*)
{
    using namespace kelvara::dshow;
    PropertySheetPresenter presenter;
    {
        std::lock_guard<std::mutex> lock(g_presenterMutex);
        presenter = g_presenter;
    }
    if (!presenter) {
        std::fprintf(stderr, "property sheet: no presenter registered\n");
        return E_FAIL;
    }
    std::vector<PropertySheetControl> controls;
    for (ULONG i = 0; objects && i < objectCount; ++i) {
        if (auto source = QueryAs<IPropertySheetControls>(objects[i], IID_IPropertySheetControls))
            source->GetControls(&controls);
    }
    if (controls.empty())
        return E_FAIL;
    presenter(owner, caption ? caption : L"", controls);
    return S_OK;
}
