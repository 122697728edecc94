#pragma once
// Everything capture code needs from the capture layer, as <dshow.h> would.

#include "platform/directshow/ComTypes.h"
#include "platform/directshow/DShowInterfaces.h"
#include "platform/directshow/DShowTypes.h"
#include "platform/directshow/MediaType.h"
#include "platform/directshow/PropertySheetHook.h"
