#pragma once
// The property sheet of a capture device. A camera's own settings dialog
// (OleCreatePropertyFrame on Windows) is a generic modal dialog here: the UI
// toolkit registers a presenter at start-up, and the capture side hands it the
// device's full control list.
//
// Threads: SetPropertySheetPresenter is called once on the UI thread before
// any camera opens. OleCreatePropertyFrame is called on the UI thread; the
// presenter runs there, modally, and calls the controls' apply functions
// there.

#include <functional>
#include <string>
#include <vector>

#include "platform/directshow/ComTypes.h"

struct HWND__;
typedef HWND__* HWND;
typedef unsigned int UINT;

namespace kelvara::dshow {

// One entry of a menu control.
struct PropertySheetChoice
{
    long value;
    std::wstring label;
};

// One control of the device, as the sheet shows it.
struct PropertySheetControl
{
    std::wstring name;
    long minimum = 0;
    long maximum = 0;
    long step = 1;
    long defaultValue = 0;
    long value = 0;
    bool hasAuto = false;  // an automatic mode exists
    bool isAuto = false;  // it is on now
    bool readOnly = false;
    std::vector<PropertySheetChoice> choices;  // non-empty for menu controls
    // Writes value and auto mode to the device; false when the device refused.
    // Valid while the dialog is shown.
    std::function<bool(long value, bool isAuto)> apply;
};

// Shows the controls under caption, modally over owner, and returns when the
// user closed the dialog.
using PropertySheetPresenter = std::function<void(
    HWND owner, const std::wstring& caption, std::vector<PropertySheetControl>& controls)>;

// Registers the presenter (an empty function removes it).
void SetPropertySheetPresenter(PropertySheetPresenter presenter);
bool HasPropertySheetPresenter();

}  // namespace kelvara::dshow

// Implemented by objects whose property pages name
// CLSID_KelvaraControlSheetPage: the controls the sheet shows.
inline constexpr IID IID_IPropertySheetControls
    = {0x7A1C5E20, 0x4B3D, 0x4C8E, {0x9A, 0x11, 0x5D, 0x2F, 0x6B, 0x80, 0x13, 0x03}};
struct IPropertySheetControls : IUnknown
{
    virtual HRESULT GetControls(std::vector<kelvara::dshow::PropertySheetControl>* controls) = 0;
};

// Shows the property pages of objects: gathers the controls of every object
// that implements IPropertySheetControls and hands them to the registered
// presenter, captioned with caption. x, y, lcid and the reserved arguments are
// ignored. E_FAIL when no presenter is registered or no object has controls.
HRESULT OleCreatePropertyFrame(HWND owner, UINT x, UINT y, LPCOLESTR caption, ULONG objectCount,
    IUnknown** objects, ULONG pageCount, const CLSID* pages, LCID lcid, DWORD reserved, void* reserved2);
