#pragma once
// Freeing media type records handed out by the capture layer (task memory).
// Callable from any thread.

#include "platform/directshow/DShow.h"

// Frees the format block and the held interface of a media type in place.
void FreeMediaTypeRecord(AM_MEDIA_TYPE& type);
// Frees a media type and the record itself; null is ignored.
void DeleteMediaTypeRecord(AM_MEDIA_TYPE* type);
