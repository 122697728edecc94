#pragma once
// The classes CoCreateInstance can make (internal).

#include "platform/directshow/ComTypes.h"

namespace kelvara::dshow {

// A new object of class clsid holding one reference, or null for a class the
// layer does not have.
IUnknown* CreateComClass(REFCLSID clsid);

}  // namespace kelvara::dshow
