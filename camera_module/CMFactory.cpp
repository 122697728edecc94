#include "camera_module/CMFactory.h"

#include "camera_module/CMBackendSelection.h"
#include "camera_module/CMCameraBase.h"
#include "camera_module/CMScannedDevices.h"
#include "camera_module/CMTextCopy.h"
#include "camera_module/directshow/CMDirectShowDevices.h"
#include "camera_module/wireless/CMCameraWMPBox.h"
#include "platform/chd_wmp/chd_wmp.h"
#include "platform/ywdevsdk/YWDevSDK.h"

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <string>

namespace {

// The enumeration of the last GetCamera(group, device, ...) call.
std::vector<_tag_VideoDeviceList> g_deviceList;

constexpr size_t kAddressChars = sizeof(_tag_VideoDeviceInfo::address) / sizeof(wchar_t);
constexpr size_t kNameChars = sizeof(_tag_VideoDeviceInfo::name) / sizeof(wchar_t);

_tag_VideoDeviceList MakeGroup(int type, const wchar_t* name)
{
    _tag_VideoDeviceList group;
    group.type = type;
    std::memset(group.name, 0, sizeof(group.name));
    CopyCut(group.name, sizeof(group.name) / sizeof(group.name[0]), name);
    return group;
}

// EnumDevice calls this once per vendor SDK device.
int AppendVendorDevice(const YWDeviceRecord* record, void* context)
{
    auto* devices = static_cast<std::vector<_tag_VideoDeviceInfo>*>(context);
    _tag_VideoDeviceInfo info;
    std::memset(&info, 0, sizeof(info));
    if (record)
        CopyCut(info.name, kNameChars, record->name);
    devices->push_back(info);
    return 0;
}

void AppendVendorDevices(std::vector<_tag_VideoDeviceInfo>* devices)
{
    int factory = CreateDeviceFactoryHandle(0, 0);
    if (factory == 0)
        return;
    EnumDevice(factory, AppendVendorDevice, devices);
    DeviceFactoryRelease(factory);
}

}  // namespace

int CMFactory::GetVideoDeviceList(std::vector<_tag_VideoDeviceList>* lists)
{
    if (!lists)
        return 0;
    _tag_VideoDeviceList directShow = MakeGroup(CM_GROUP_DIRECTSHOW, L"DirectShow");
    AppendDirectShowDeviceInfos(&directShow.devices);
    if (!directShow.devices.empty())
        lists->push_back(std::move(directShow));

    _tag_VideoDeviceList vendor = MakeGroup(CM_GROUP_YWUSB, L"YWUSB");
    AppendVendorDevices(&vendor.devices);
    if (!vendor.devices.empty())
        lists->push_back(std::move(vendor));
    return 0;
}

CMCameraBase* CMFactory::GetCamera(
    unsigned group, unsigned device, wchar_t* name, unsigned long nameChars, int* vid, int* pid)
{
    g_deviceList.clear();
    GetVideoDeviceList(&g_deviceList);
    if (group >= g_deviceList.size() || device >= g_deviceList[group].devices.size())
        return nullptr;

    const _tag_VideoDeviceList& list = g_deviceList[group];
    const _tag_VideoDeviceInfo& info = list.devices[device];
    if (name)
        CopyCut(name, nameChars, info.name);
    if (vid)
        *vid = info.vid;
    if (pid)
        *pid = info.pid;

    CMCameraBase* camera
        = CreateBackend(SelectBackend(list.type, info.vid, info.pid), static_cast<int>(device));
    if (camera)
        camera->SetDeviceInfo(info);
    return camera;
}

CMCameraBase* CMFactory::GetCamera(const wchar_t* address)
{
    if (!address || std::wcslen(address) >= kAddressChars)
        return nullptr;
    try {
        return new CMCameraWMPBox(address);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CMFactory::StartDeviceScan(int mode)
{
    return CHD_WMP_ScanDevice_Init(mode) == 0;
}

void CMFactory::GetDevicesList(std::vector<_tag_VideoDeviceInfo>* devices)
{
    if (!devices)
        return;
    CHD_WMP_DeviceInfo records[CHD_WMP_MAX_SCAN_DEVICES];
    int count = CHD_WMP_MAX_SCAN_DEVICES;
    if (CHD_WMP_Scan_GetDeviceInfo(records, &count) != 0 || count <= 0)
        return;
    if (count > CHD_WMP_MAX_SCAN_DEVICES)
        count = CHD_WMP_MAX_SCAN_DEVICES;
    for (int i = 0; i < count; ++i)
        devices->push_back(MakeScannedDeviceInfo(records[i]));
}

void CMFactory::StopDeviceScan()
{
    CHD_WMP_ScanDevice_UnInit();
}

const wchar_t* CMFactory::getImageFormatDesc(tagCMImageFormat format)
{
    switch (format) {
    case CM_FMT_RGB24:
        return L"RGB24";
    case CM_FMT_YUY2:
        return L"YUY2";
    case CM_FMT_YUYV:
        return L"YUYV";
    case CM_FMT_MJPG:
        return L"MJPG";
    case CM_FMT_H264:
        return L"H264";
    case CM_FMT_NV12:
        return L"NV12";
    case CM_FMT_I420:
        return L"I420";
    case CM_FMT_YV12:
        return L"YV12";
    case CM_FMT_GREY:
        return L"GREY";
    case CM_FMT_UYVY:
        return L"UYVY";
    case CM_FMT_YVYU:
        return L"YVYU";
    default:
        return L"Unknown";
    }
}

bool CMFactory::FindStringNoCase(wchar_t* text, const wchar_t* pattern)
{
    if (!text || !pattern)
        return false;
    // The pattern is copied whole, whatever its length.
    std::wstring upperPattern(pattern);
    for (wchar_t& c : upperPattern)
        c = static_cast<wchar_t>(std::towupper(c));
    for (wchar_t* c = text; *c; ++c)
        *c = static_cast<wchar_t>(std::towupper(*c));
    return std::wcsstr(text, upperPattern.c_str()) != nullptr;
}
