#include "camera_module/directshow/CMDirectShowDevices.h"
#include "camera_module/directshow/CMFormatList.h"

#include <gtest/gtest.h>

TEST(CMDirectShowDevices, DeviceRecordFromNameAndPath)
{
    struct Case
    {
        const wchar_t* path;
        int vid, pid;
    };
    const Case cases[] = {
        {L"\\\\?\\usb#VID_EBA1&PID_7586&MI_00#7&1a2b#{65e8773d}", 0xEBA1, 0x7586},
        {L"usb#vid_04f2&pid_a14b#x", 0x04F2, 0xA14B}, {L"usb#vid_04f2#no-product", 0, 0},
        {L"usb#pid_7586", 0, 0}, {L"", 0, 0}, {nullptr, 0, 0},
        {L"usb#vid_12&pid_zz", 0x12, 0},  // short or bad digits stop the number
    };
    for (const Case& c : cases) {
        _tag_VideoDeviceInfo info = MakeDirectShowDeviceInfo(L"Cam", c.path);
        EXPECT_EQ(info.vid, c.vid) << (c.path ? c.path : L"(null)");
        EXPECT_EQ(info.pid, c.pid);
        EXPECT_EQ(info.number, 0);
        EXPECT_STREQ(info.address, L"");
    }
    _tag_VideoDeviceInfo info = MakeDirectShowDeviceInfo(L"0123456789012345678901234567890123456789", L"");
    EXPECT_STREQ(info.name, L"0123456789012345678901234567890");
}

TEST(CMFormatList, SizesSortedByWidthWithoutDuplicates)
{
    CMFormatList list;
    AddFormatSize(list, 18, 1280, 720);
    AddFormatSize(list, 4, 640, 480);
    AddFormatSize(list, 18, 640, 480);
    AddFormatSize(list, 18, 640, 360);  // equal width: after the earlier one
    AddFormatSize(list, 18, 1280, 720);  // duplicate
    AddFormatSize(list, 18, 1920, 1080);
    AddFormatSize(list, -1, 10, 10);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].subtypeIndex, 18);
    EXPECT_EQ(list[1].subtypeIndex, 4);
    EXPECT_EQ(list[2].subtypeIndex, -1);
    const long expected[][2] = {{640, 480}, {640, 360}, {1280, 720}, {1920, 1080}};
    ASSERT_EQ(list[0].sizes.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(list[0].sizes[i].cx, expected[i][0]);
        EXPECT_EQ(list[0].sizes[i].cy, expected[i][1]);
    }
}
