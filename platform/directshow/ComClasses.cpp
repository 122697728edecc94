// Class table of CoCreateInstance.

#include "platform/directshow/ComClasses.h"

#include "platform/directshow/CaptureGraphBuilder.h"
#include "platform/directshow/FilterGraph.h"
#include "platform/directshow/NullRendererFilter.h"
#include "platform/directshow/SampleGrabberFilter.h"
#include "platform/directshow/SystemDeviceEnum.h"

namespace kelvara::dshow {

IUnknown* CreateComClass(REFCLSID clsid)
{
    if (clsid == CLSID_SystemDeviceEnum)
        return static_cast<ICreateDevEnum*>(new SystemDeviceEnum());
    if (clsid == CLSID_FilterGraph)
        return static_cast<IGraphBuilder*>(new FilterGraph());
    if (clsid == CLSID_CaptureGraphBuilder2)
        return static_cast<ICaptureGraphBuilder2*>(new CaptureGraphBuilder());
    if (clsid == CLSID_SampleGrabber)
        return static_cast<IBaseFilter*>(new SampleGrabberFilter());
    if (clsid == CLSID_NullRenderer)
        return static_cast<IBaseFilter*>(new NullRendererFilter());
    return nullptr;
}

}  // namespace kelvara::dshow
