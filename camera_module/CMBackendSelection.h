#pragma once
// Which backend class reaches a device: chosen by its group type and, for
// DirectShow devices, by its USB vendor and product id.
//
// Threads: pure functions, any thread.

class CMCameraBase;

enum class CMBackendKind
{
    None,
    DirectShow,  // CMCameraDirectShow
    YW500,  // CMCameraYW500
    YW1600,  // CMCameraYW1600
    YxDP5,  // CMCameraYxDP5
    YWUSB,  // CMCameraYWUSB
};

// The backend for a device of the given group type with the given ids;
// None for a group type without a backend.
CMBackendKind SelectBackend(int groupType, int vid, int pid);

// A new backend object of that kind for device `deviceIndex` of its group;
// null for None or when allocation fails. The caller owns it.
CMCameraBase* CreateBackend(CMBackendKind kind, int deviceIndex);
