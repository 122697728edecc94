#pragma once
// Sizes a stream offers, grouped by subtype, and the closest-size search over
// a stream's capabilities. Called on the UI thread during device setup.

#include "camera_module/CMTypes.h"
#include "platform/directshow/DShow.h"

#include <vector>

// One subtype (table index, -1 when not in the table) with its sizes sorted
// by ascending width; equal widths keep the order found; no duplicates.
struct CMFormatEntry
{
    int subtypeIndex;
    std::vector<tagSIZE> sizes;
};
typedef std::vector<CMFormatEntry> CMFormatList;

// Adds one size to the entry of subtypeIndex, creating the entry at the end.
void AddFormatSize(CMFormatList& list, int subtypeIndex, long width, long height);

// Appends every video-info capability of config to list. A config whose
// capability records are not 128 bytes adds nothing.
void BuildFormatList(IAMStreamConfig* config, CMFormatList& list);

// The entry of a subtype, null when the list has none.
const CMFormatEntry* FindFormatEntry(const CMFormatList& list, int subtypeIndex);

struct CMClosestSize
{
    bool found = false;
    int width = 0;
    int height = 0;
    GUID subtype = GUID_NULL;
};

// Walks every capability's width and height ranges in steps of its
// granularity (H264 capabilities and granularities below 1 are skipped) and
// returns the exact size if one offers it, else the size with the smallest
// Manhattan distance to (width, height); ties keep the earlier capability.
CMClosestSize FindClosestSize(IAMStreamConfig* config, int width, int height);
