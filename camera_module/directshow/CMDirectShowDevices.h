#pragma once
// DirectShow device enumeration shared by the factory and the DirectShow
// backend: the process-wide device name and path tables (20 entries of 255
// characters each, numbered as the backend numbers devices) and the
// process-wide COM use count.
//
// Threads: UI thread only; the tables and the count are not locked.

#include "camera_module/CMTypes.h"

#include <vector>

constexpr int kMaxDirectShowDevices = 20;
constexpr int kDeviceTextChars = 255;

// The first caller initialises COM for this thread (a different threading
// mode already set prints a warning and goes on); the last one out
// uninitialises it.
void DirectShowComAddRef();
void DirectShowComRelease();

// Lists the video input devices into the tables (at most 20) and returns
// how many there are; 0 when enumeration fails.
int EnumerateDirectShowDevices();

// Table entries of the last enumeration; empty text outside the table.
const wchar_t* DirectShowDeviceName(int index);
const wchar_t* DirectShowDevicePath(int index);

// True when the user may not open the table entry (its property bag says
// "AccessDenied").
bool DirectShowDeviceAccessDenied(int index);

// A device record: the name cut to 31 characters, vid and pid parsed from
// the 4 hex digits after "vid_" and "pid_" of the device path (any case),
// both 0 unless both markers are present; status CM_DEVICE_NO_PERMISSION
// when accessDenied.
_tag_VideoDeviceInfo MakeDirectShowDeviceInfo(
    const wchar_t* name, const wchar_t* path, bool accessDenied = false);

// Enumerates and appends one record per device.
void AppendDirectShowDeviceInfos(std::vector<_tag_VideoDeviceInfo>* devices);
