#pragma once
// Media type helpers, as DirectShow's base classes provide them. Callable from
// any thread.

#include "platform/directshow/DShowTypes.h"

// Frees the format block and pUnk of mt (not mt itself) and zeroes them.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a media type made by CreateMediaType, GetFormat or GetStreamCaps.
void DeleteMediaType(AM_MEDIA_TYPE* pmt);
// Deep copy into dst (whose old contents are not freed).
HRESULT CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE* src);
// A deep copy in task memory; null when src is null.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* src);

// The video info header of a video media type, or null when pmt does not
// carry one (other format type, or a block under 88 bytes).
VIDEOINFOHEADER* GetVideoInfo(const AM_MEDIA_TYPE* pmt);

namespace kelvara::dshow {

// Bytes one frame of subtype at width x height takes; 0 for compressed or
// unknown subtypes (MJPG, H264).
uint32_t FrameBytes(const GUID& subtype, int width, int height);
// Bits per pixel written into biBitCount (24 for MJPG, as UVC drivers say).
WORD BitCount(const GUID& subtype);
// A complete video media type (VIDEOINFOHEADER filled) for subtype, size and
// frame interval (0: none given). RGB formats are bottom-up (biHeight > 0).
AM_MEDIA_TYPE MakeVideoMediaType(const GUID& subtype, int width, int height, REFERENCE_TIME frameInterval);
// Short name of a subtype for diagnostics ("MJPG", "RGB24", or the FOURCC).
const char* SubtypeName(const GUID& subtype);

}  // namespace kelvara::dshow
