// Device enumeration and backend creation through the factory, with virtual
// DirectShow devices and the simulated vendor SDK.

#include "camera_module/CMBackendSelection.h"
#include "camera_module/CMCameraBase.h"
#include "camera_module/CMFactory.h"
#include "camera_module/directshow/CMCameraDirectShow.h"
#include "camera_module/vendor_usb/CMCameraYW1600.h"
#include "camera_module/vendor_usb/CMCameraYW500.h"
#include "camera_module/vendor_usb/CMCameraYWUSB.h"
#include "camera_module/vendor_usb/CMCameraYxDP5.h"
#include "platform/directshow/CaptureDeviceProvider.h"
#include "platform/directshow/VirtualDeviceRegistry.h"
#include "platform/ywdevsdk/YWSimulation.h"
#include "tests/support/directshow/ScopedVirtualDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <typeinfo>

using kelvara::dshow::VirtualDeviceDescription;
using kelvara::dshow::VirtualDeviceRegistry;

namespace {

// Only the devices a test adds: no real cameras, none from the environment.
class CMFactoryDevices : public ::testing::Test
{
protected:
    void SetUp() override
    {
        unsetenv("KELVARA_VIRTUAL_CAMERAS");
        kelvara::dshow::SetV4L2EnumerationEnabled(false);
        VirtualDeviceRegistry::Clear();
        kelvara::ywdevsdk::SetSimulatedDevices({});
    }
    void TearDown() override
    {
        VirtualDeviceRegistry::Clear();
        kelvara::ywdevsdk::ResetSimulatedDevices();
        kelvara::dshow::SetV4L2EnumerationEnabled(true);
    }

    static void AddDirectShow(const std::wstring& name, const std::wstring& path)
    {
        VirtualDeviceDescription d = kelvara::dshow::testing::SmallTestCamera();
        d.name = name;
        d.devicePath = path;
        VirtualDeviceRegistry::Add(d);
    }
    static void SetVendorDevices(int count)
    {
        std::vector<kelvara::ywdevsdk::SimulatedDeviceSetup> devices(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            devices[static_cast<size_t>(i)].name = L"YW Camera " + std::to_wstring(i);
        kelvara::ywdevsdk::SetSimulatedDevices(devices);
    }
};

std::vector<_tag_VideoDeviceList> List()
{
    std::vector<_tag_VideoDeviceList> lists;
    EXPECT_EQ(CMFactory::GetVideoDeviceList(&lists), 0);
    return lists;
}

}  // namespace

TEST(CMBackendSelection, ByGroupTypeAndUsbIds)
{
    struct Case
    {
        int type, vid, pid;
        CMBackendKind kind;
    };
    const Case cases[] = {
        {0, 0x04F2, 0xA14B, CMBackendKind::YW500},
        {0, 0xEBA1, 0x7584, CMBackendKind::YxDP5},
        {0, 0xEBA1, 0x7586, CMBackendKind::YxDP5},
        {0, 0xEBA1, 0x7585, CMBackendKind::YW1600},
        {0, 0xEBA1, 0x7587, CMBackendKind::DirectShow},
        {0, 0x04F2, 0x7585, CMBackendKind::DirectShow},  // ids only count as a pair
        {0, 0, 0, CMBackendKind::DirectShow},
        {3, 0xEBA1, 0x7586, CMBackendKind::YWUSB},
        {3, 0, 0, CMBackendKind::YWUSB},
        {1, 0, 0, CMBackendKind::None},
        {2, 0xEBA1, 0x7585, CMBackendKind::None},
        {-1, 0, 0, CMBackendKind::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SelectBackend(c.type, c.vid, c.pid), c.kind) << c.type << " " << c.vid << " " << c.pid;
    EXPECT_EQ(CreateBackend(CMBackendKind::None, 0), nullptr);
}

// A camera node the user may not open is listed, marked, and fails to open
// cleanly; the others keep their places.
TEST_F(CMFactoryDevices, DevicesTheUserMayNotOpenAreListedAsSuch)
{
    AddDirectShow(L"Open Camera", L"virtual#vid_1111&pid_2222#a");
    VirtualDeviceDescription denied = kelvara::dshow::testing::SmallTestCamera();
    denied.name = L"Locked Camera";
    denied.devicePath = L"/dev/video4#vid_046d&pid_0825";
    denied.accessDenied = true;
    VirtualDeviceRegistry::Add(denied);
    AddDirectShow(L"Another Camera", L"virtual#vid_3333&pid_4444#b");

    const std::vector<_tag_VideoDeviceList> lists = List();
    ASSERT_EQ(lists.size(), 1u);
    ASSERT_EQ(lists[0].devices.size(), 3u);
    EXPECT_EQ(lists[0].devices[0].status, CM_DEVICE_READY);
    EXPECT_EQ(std::wstring(lists[0].devices[1].name), L"Locked Camera");
    EXPECT_EQ(lists[0].devices[1].status, CM_DEVICE_NO_PERMISSION);
    EXPECT_EQ(lists[0].devices[1].vid, 0x046d);
    EXPECT_EQ(lists[0].devices[2].status, CM_DEVICE_READY);

    CMCameraBase* locked = CMFactory::GetCamera(0, 1, nullptr, 0, nullptr, nullptr);
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(locked->Init(nullptr, nullptr, 640, 480), CM_ERR_OPEN);
    locked->Release();
    delete locked;
    CMCameraBase* other = CMFactory::GetCamera(0, 2, nullptr, 0, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->Init(nullptr, nullptr, 640, 480), CM_OK);
    other->Release();
    delete other;
}

TEST(CMFactory, FormatTexts)
{
    const std::pair<int, const wchar_t*> cases[]
        = {{CM_FMT_RGB24, L"RGB24"}, {CM_FMT_YUY2, L"YUY2"}, {CM_FMT_YUYV, L"YUYV"}, {CM_FMT_MJPG, L"MJPG"},
            {CM_FMT_H264, L"H264"}, {CM_FMT_RAW24, L"Unknown"}, {CM_FMT_RGB32, L"Unknown"},
            {CM_FMT_ARGB32, L"Unknown"}, {CM_FMT_UNKNOWN, L"Unknown"}, {7, L"Unknown"}, {-1, L"Unknown"}};
    for (const auto& c : cases)
        EXPECT_STREQ(CMFactory::getImageFormatDesc(c.first), c.second) << c.first;
}

TEST(CMFactory, FindStringNoCaseUpperCasesTheText)
{
    wchar_t path[] = L"\\\\?\\usb#Vid_eba1&Pid_7586#x";
    EXPECT_TRUE(CMFactory::FindStringNoCase(path, L"vid_EBA1"));
    EXPECT_STREQ(path, L"\\\\?\\USB#VID_EBA1&PID_7586#X");  // changed in place
    EXPECT_FALSE(CMFactory::FindStringNoCase(path, L"pid_7585"));
    EXPECT_TRUE(CMFactory::FindStringNoCase(path, L""));
    EXPECT_FALSE(CMFactory::FindStringNoCase(nullptr, L"x"));
    EXPECT_FALSE(CMFactory::FindStringNoCase(path, nullptr));

    // A pattern beyond 260 characters is compared whole, not cut or overrun.
    std::wstring longText(400, L'a');
    std::wstring longPattern(300, L'A');
    EXPECT_TRUE(CMFactory::FindStringNoCase(&longText[0], longPattern.c_str()));
    longPattern.back() = L'B';
    EXPECT_FALSE(CMFactory::FindStringNoCase(&longText[0], longPattern.c_str()));
}

TEST_F(CMFactoryDevices, NoCameraGivesNoGroupsAndNoCamera)
{
    EXPECT_EQ(CMFactory::GetVideoDeviceList(nullptr), 0);
    EXPECT_TRUE(List().empty());
    wchar_t name[260] = L"untouched";
    int vid = 7, pid = 7;
    EXPECT_EQ(CMFactory::GetCamera(0, 0, name, 260, &vid, &pid), nullptr);
    EXPECT_STREQ(name, L"untouched");
    EXPECT_EQ(vid, 7);
    EXPECT_EQ(pid, 7);
}

TEST_F(CMFactoryDevices, VendorCameraAloneIsGroupZero)
{
    SetVendorDevices(2);
    std::vector<_tag_VideoDeviceList> lists = List();
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].type, CM_GROUP_YWUSB);
    EXPECT_STREQ(lists[0].name, L"YWUSB");
    ASSERT_EQ(lists[0].devices.size(), 2u);
    EXPECT_STREQ(lists[0].devices[1].name, L"YW Camera 1");
    EXPECT_EQ(lists[0].devices[1].vid, 0);  // the SDK's ids are not used
    EXPECT_EQ(lists[0].devices[1].pid, 0);

    wchar_t name[260] = {};
    int vid = -1, pid = -1;
    std::unique_ptr<CMCameraBase> camera(CMFactory::GetCamera(0, 1, name, 260, &vid, &pid));
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(typeid(*camera), typeid(CMCameraYWUSB));
    EXPECT_STREQ(name, L"YW Camera 1");
    EXPECT_EQ(vid, 0);
    EXPECT_EQ(pid, 0);
    EXPECT_STREQ(camera->GetDeviceInfo().name, L"YW Camera 1");
    EXPECT_FALSE(camera->IsNetworkCamera());
    EXPECT_EQ(CMFactory::GetCamera(0, 2, nullptr, 0, nullptr, nullptr), nullptr);
    EXPECT_EQ(CMFactory::GetCamera(1, 0, nullptr, 0, nullptr, nullptr), nullptr);
}

TEST_F(CMFactoryDevices, DevicePathPicksTheBackend)
{
    struct Case
    {
        const wchar_t* path;
        int vid, pid;
        const std::type_info& type;
    };
    const Case cases[] = {
        {L"\\\\?\\usb#vid_EBA1&pid_7586&mi_00#7&2f#{65e8773d}", 0xEBA1, 0x7586, typeid(CMCameraYxDP5)},
        {L"USB#VID_EBA1&PID_7584#1", 0xEBA1, 0x7584, typeid(CMCameraYxDP5)},
        {L"usb#Vid_eBa1&Pid_7585#1", 0xEBA1, 0x7585, typeid(CMCameraYW1600)},
        {L"usb#vid_04f2&pid_a14b#1", 0x04F2, 0xA14B, typeid(CMCameraYW500)},
        {L"usb#vid_eba1#no-product-id", 0, 0, typeid(CMCameraDirectShow)},
        {L"usb#vid_abcd&pid_1234#1", 0xABCD, 0x1234, typeid(CMCameraDirectShow)},
    };
    for (const Case& c : cases)
        AddDirectShow(L"Camera", c.path);
    SetVendorDevices(1);

    std::vector<_tag_VideoDeviceList> lists = List();
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].type, CM_GROUP_DIRECTSHOW);
    EXPECT_STREQ(lists[0].name, L"DirectShow");
    EXPECT_EQ(lists[1].type, CM_GROUP_YWUSB);
    ASSERT_EQ(lists[0].devices.size(), std::size(cases));

    for (unsigned i = 0; i < std::size(cases); ++i) {
        int vid = -1, pid = -1;
        std::unique_ptr<CMCameraBase> camera(CMFactory::GetCamera(0, i, nullptr, 0, &vid, &pid));
        ASSERT_NE(camera, nullptr) << i;
        EXPECT_EQ(typeid(*camera), cases[i].type) << i;
        EXPECT_EQ(vid, cases[i].vid) << i;
        EXPECT_EQ(pid, cases[i].pid) << i;
        EXPECT_EQ(camera->GetDeviceInfo().vid, cases[i].vid) << i;
        EXPECT_EQ(camera->GetDeviceInfo().pid, cases[i].pid) << i;
    }
    std::unique_ptr<CMCameraBase> vendor(CMFactory::GetCamera(1, 0, nullptr, 0, nullptr, nullptr));
    ASSERT_NE(vendor, nullptr);
    EXPECT_EQ(typeid(*vendor), typeid(CMCameraYWUSB));
}

TEST_F(CMFactoryDevices, NamesAreCutToTheRecordAndTheCallersBuffer)
{
    AddDirectShow(L"0123456789012345678901234567890123456789", L"usb#vid_abcd&pid_0001#1");
    std::vector<_tag_VideoDeviceList> lists = List();
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_STREQ(lists[0].devices[0].name, L"0123456789012345678901234567890");

    wchar_t name[8];
    std::wmemset(name, L'#', 8);
    std::unique_ptr<CMCameraBase> camera(CMFactory::GetCamera(0, 0, name, 5, nullptr, nullptr));
    ASSERT_NE(camera, nullptr);
    EXPECT_STREQ(name, L"0123");
    EXPECT_EQ(name[5], L'#');  // nothing written beyond nameChars
    std::wmemset(name, L'#', 8);
    camera.reset(CMFactory::GetCamera(0, 0, name, 0, nullptr, nullptr));
    EXPECT_EQ(name[0], L'#');  // no room: untouched
}

TEST_F(CMFactoryDevices, EveryCallEnumeratesAnewAndOpensThatDevice)
{
    // Two devices told apart by what they offer.
    VirtualDeviceDescription first = kelvara::dshow::testing::SmallTestCamera();
    first.name = L"First";
    first.devicePath = L"usb#vid_abcd&pid_0001#1";
    VirtualDeviceDescription second = first;
    second.name = L"Second";
    second.devicePath = L"usb#vid_eba1&pid_7586#2";
    second.capturePin = {kelvara::dshow::FormatRange::Discrete(MEDIASUBTYPE_YUY2, 320, 240)};
    int firstId = VirtualDeviceRegistry::Add(first);
    VirtualDeviceRegistry::Add(second);

    std::unique_ptr<CMCameraBase> camera(CMFactory::GetCamera(0, 1, nullptr, 0, nullptr, nullptr));
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(typeid(*camera), typeid(CMCameraYxDP5));
    ASSERT_EQ(camera->Init(nullptr, nullptr, 800, 600), CM_OK);
    std::vector<tagSIZE> sizes;
    camera->GetSupportedPreviewSizes(&sizes);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].cx, 320);
    EXPECT_EQ(sizes[0].cy, 240);
    camera->Release();

    // With the first device gone, index 1 no longer exists and index 0 is
    // the second device.
    VirtualDeviceRegistry::Remove(firstId);
    EXPECT_EQ(CMFactory::GetCamera(0, 1, nullptr, 0, nullptr, nullptr), nullptr);
    wchar_t name[260] = {};
    camera.reset(CMFactory::GetCamera(0, 0, name, 260, nullptr, nullptr));
    ASSERT_NE(camera, nullptr);
    EXPECT_STREQ(name, L"Second");
    EXPECT_EQ(typeid(*camera), typeid(CMCameraYxDP5));
}

TEST_F(CMFactoryDevices, ListIsAppendedTo)
{
    AddDirectShow(L"Camera", L"usb#vid_abcd&pid_0001#1");
    std::vector<_tag_VideoDeviceList> lists(1);
    lists[0].type = 99;
    EXPECT_EQ(CMFactory::GetVideoDeviceList(&lists), 0);
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].type, 99);
    EXPECT_EQ(lists[1].type, CM_GROUP_DIRECTSHOW);
}
