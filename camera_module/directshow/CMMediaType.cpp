#include "camera_module/directshow/CMMediaType.h"

void FreeMediaTypeRecord(AM_MEDIA_TYPE& type)
{
    if (type.cbFormat != 0 || type.pbFormat) {
        CoTaskMemFree(type.pbFormat);
        type.cbFormat = 0;
        type.pbFormat = nullptr;
    }
    if (type.pUnk) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

void DeleteMediaTypeRecord(AM_MEDIA_TYPE* type)
{
    if (!type)
        return;
    FreeMediaTypeRecord(*type);
    CoTaskMemFree(type);
}
