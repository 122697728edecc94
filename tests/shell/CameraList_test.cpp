// The camera list of the main window: entries, tags, the wireless entry, the
// highlight rules and cameras the user may not open.
#include "app/shell/CameraListAdapter.h"
#include "app/shell/StringTable.h"
#include "tests/support/shell/MainWindowHost.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

using kelvara::CameraListAdapter;

_tag_VideoDeviceInfo Device(const wchar_t* name, int vid, int pid, int status = CM_DEVICE_READY)
{
    _tag_VideoDeviceInfo info{};
    std::wcsncpy(info.name, name, 31);
    info.vid = vid;
    info.pid = pid;
    info.status = status;
    return info;
}

class CameraListTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!kelvara::test::HaveXdotool())
            GTEST_SKIP() << "xdotool missing";
        ASSERT_TRUE(m_host.Open());
        m_list = m_host.FindAs<DuiLib::CListUI>("CameraList", "List");
        ASSERT_NE(m_list, nullptr);
        m_adapter = std::make_unique<CameraListAdapter>(m_list);
        _tag_VideoDeviceList usb{};
        usb.type = 0;
        usb.devices = {Device(L"Bench A", 0x1234, 0x0001),
            Device(L"Locked", 0x1234, 0x0002, CM_DEVICE_NO_PERMISSION), Device(L"Bench B", 0x1234, 0x0001)};
        _tag_VideoDeviceList vendor{};
        vendor.type = 3;
        vendor.devices = {Device(L"Vendor", 0xEBA1, 0x7585)};
        m_groups = {usb, vendor};
    }
    std::string Label(int row)
    {
        auto* entry = static_cast<DuiLib::CContainerUI*>(m_list->GetItemAt(row)->GetInterface("Container"));
        return entry->FindSubControl("camera_name")->GetText().GetData();
    }

    kelvara::test::MainWindowHost m_host{""};
    DuiLib::CListUI* m_list = nullptr;
    std::unique_ptr<CameraListAdapter> m_adapter;
    std::vector<_tag_VideoDeviceList> m_groups;
};

TEST_F(CameraListTest, EntriesCarryTheirPlaceAndTheWirelessEntryComesLast)
{
    EXPECT_EQ(m_adapter->Rebuild(m_groups, -1, -1), -1);
    ASSERT_EQ(m_list->GetCount(), 5);
    EXPECT_EQ(Label(0), "{a}Bench A{/a}");
    EXPECT_EQ(Label(4), "{a}" + GetLangText("STR_WIRELESS_CAMERA") + "{/a}");
    // row * 65536 + group * 256 + index; the wireless entry has 0xFFFF below.
    EXPECT_EQ(m_list->GetItemAt(2)->GetTag(), CameraListAdapter::MakeTag(2, 0, 2));
    EXPECT_EQ(m_list->GetItemAt(3)->GetTag(), 3u * 65536 + 1 * 256 + 0);
    EXPECT_TRUE(CameraListAdapter::IsWirelessTag(m_list->GetItemAt(4)->GetTag()));
    EXPECT_EQ(m_list->GetItemAt(4)->GetTag() >> 16, 4u);
    int group = -1, index = -1;
    EXPECT_TRUE(CameraListAdapter::SplitTag(m_list->GetItemAt(3)->GetTag(), &group, &index));
    EXPECT_EQ(group, 1);
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(CameraListAdapter::SplitTag(m_list->GetItemAt(4)->GetTag(), &group, &index));
}

TEST_F(CameraListTest, TheLaterOfTwoSameCamerasIsHighlightedAndCannotBeClicked)
{
    EXPECT_EQ(m_adapter->Rebuild(m_groups, 0x1234, 0x0001), 2);
    for (int row = 0; row < m_list->GetCount(); ++row) {
        DuiLib::CControlUI* entry = m_list->GetItemAt(row);
        if (row == 2) {
            EXPECT_EQ(entry->GetBkColor(), CameraListAdapter::kHighlightBkColor);
            EXPECT_FALSE(entry->IsEnabled());
        } else {
            EXPECT_EQ(entry->GetBkColor(), CameraListAdapter::kNormalBkColor) << row;
            EXPECT_EQ(entry->IsEnabled(), row != 1) << row;
        }
    }
    // A wireless camera lights the wireless entry; a failed open lights none.
    EXPECT_EQ(m_adapter->Rebuild(m_groups, 0xFFFF, 0xFFFF), 4);
    m_adapter->Highlight(-1);
    for (int row = 0; row < m_list->GetCount(); ++row)
        EXPECT_NE(m_list->GetItemAt(row)->GetBkColor(), CameraListAdapter::kHighlightBkColor) << row;
}

TEST_F(CameraListTest, ACameraTheUserMayNotOpenIsGreyedWithTheReason)
{
    m_adapter->Rebuild(m_groups, -1, -1);
    EXPECT_TRUE(m_adapter->IsDenied(1));
    EXPECT_FALSE(m_adapter->IsDenied(0));
    DuiLib::CControlUI* entry = m_list->GetItemAt(1);
    EXPECT_FALSE(entry->IsEnabled());
    auto* label
        = static_cast<DuiLib::CContainerUI*>(entry->GetInterface("Container"))->FindSubControl("camera_name");
    const std::string tip = label->GetToolTip().GetData();
    EXPECT_NE(tip.find(GetLangText("STR_CAMERA_NO_PERMISSION")), std::string::npos) << tip;
    EXPECT_NE(tip.find("video"), std::string::npos);
    // Clicking it opens nothing.
    m_host.ClickControl(entry, 20, -1);
    EXPECT_EQ(m_host.Window().GetController().GetCamera(), nullptr);
}

}  // namespace
