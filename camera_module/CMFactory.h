#pragma once
// The camera module's entry point besides CMCameraBase: lists the cameras
// that can be opened, grouped by the backend that reaches them, creates the
// backend object for a chosen device, runs the discovery of wireless
// cameras and names pixel formats. Static members only.
//
// Threads: every member is called from the UI thread. The device list that
// GetCamera rebuilds and the DirectShow name and path tables are
// process-wide and not locked.

#include "camera_module/CMTypes.h"

#include <vector>

class CMCameraBase;

// Group types of _tag_VideoDeviceList.
enum : int
{
    CM_GROUP_DIRECTSHOW = 0,
    CM_GROUP_YWUSB = 3,
};

class CMFactory
{
public:
    CMFactory() = delete;

    // Appends the DirectShow group, then the vendor USB SDK group, each only
    // when it has a device. The list is appended to, not cleared. Always 0;
    // a null list does nothing.
    static int GetVideoDeviceList(std::vector<_tag_VideoDeviceList>* lists);

    // Enumerates anew and creates the backend of device `device` of group
    // `group` of that enumeration. When non-null, name receives the device
    // name (cut to nameChars characters including the terminator) and
    // vid/pid the device's ids. Null for an index out of range or a group
    // without a backend. The caller owns the object and calls Init next.
    static CMCameraBase* GetCamera(
        unsigned group, unsigned device, wchar_t* name, unsigned long nameChars, int* vid, int* pid);

    // A wireless camera at "host[:port]"; contacts nothing (Init connects).
    // Null for a null address or one longer than the 19 characters a device
    // record holds: a cut address would name another camera.
    static CMCameraBase* GetCamera(const wchar_t* address);

    // Wireless discovery: idle -> scanning (StartDeviceScan, true when the
    // SDK started it) -> idle (StopDeviceScan). GetDevicesList appends the
    // cameras found so far (vid = pid = 0xFFFF); nothing while idle.
    static bool StartDeviceScan(int mode);
    static void GetDevicesList(std::vector<_tag_VideoDeviceInfo>* devices);
    static void StopDeviceScan();

    // "RGB24", "YUY2", "YUYV", "MJPG", "H264", else "Unknown".
    static const wchar_t* getImageFormatDesc(tagCMImageFormat format);

    // Upper-cases text in place (the caller's string changes) and tells
    // whether the upper-cased pattern occurs in it. False for null arguments.
    static bool FindStringNoCase(wchar_t* text, const wchar_t* pattern);
};
