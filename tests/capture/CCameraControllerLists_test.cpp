// The lists and the still-size menu the controller fills from a camera, and
// the texts of the enumerated values.
#include "app/capture/CCameraController.h"
#include "camera_module/directshow/CMCameraDirectShow.h"
#include "platform/duilib/CComboUI.h"
#include "platform/duilib/CListLabelElementUI.h"
#include "platform/duilib/CMenuElementUI.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CResourceManager.h"
#include "tests/support/directshow/ScopedVirtualDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using namespace kelvara;
using namespace kelvara::dshow;
using kelvara::dshow::testing::ScopedVirtualDevice;

namespace {

std::vector<std::string> Texts(DuiLib::CContainerUI& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.GetCount(); ++i)
        texts.push_back(list.GetItemAt(i)->GetText().GetData());
    return texts;
}

class ControllerLists : public ::testing::Test
{
protected:
    void Open(bool stillPin)
    {
        unsetenv("KELVARA_VIRTUAL_CAMERAS");
        VirtualDeviceDescription d = dshow::testing::SmallTestCamera(5.0);
        if (!stillPin)
            d.stillPin.clear();
        m_device = std::make_unique<ScopedVirtualDevice>(d);
        ASSERT_TRUE(m_controller.OpenCamera(0, 0));
    }
    void TearDown() override
    {
        m_controller.CloseCamera();
        m_device.reset();
    }

    std::unique_ptr<ScopedVirtualDevice> m_device;
    CCameraController m_controller;
};

TEST_F(ControllerLists, SizeAndFormatListsSelectTheCurrentEntry)
{
    DuiLib::CComboUI sizes, formats, colorModes;
    m_controller.FillPreviewSizeList(&sizes);
    EXPECT_EQ(sizes.GetCount(), 0);  // no camera yet

    Open(true);
    ASSERT_EQ(m_controller.GetCamera()->SetImageFormat(CM_FMT_RGB24), CM_OK);
    m_controller.FillImageFormatList(&formats);
    EXPECT_EQ(Texts(formats), (std::vector<std::string>{"MJPG", "YUY2", "RGB24"}));
    EXPECT_EQ(formats.GetCurSel(), 2);

    m_controller.FillPreviewSizeList(&sizes);
    EXPECT_EQ(Texts(sizes), (std::vector<std::string>{"320 x 240"}));
    EXPECT_EQ(sizes.GetCurSel(), 0);
    m_controller.SetImageFormatByIndex(0);
    m_controller.FillPreviewSizeList(&sizes);  // refilled, not appended
    EXPECT_EQ(Texts(sizes), (std::vector<std::string>{"640 x 480", "1280 x 720"}));
    m_controller.SetPreviewSizeByIndex(1);
    m_controller.SetPreviewSizeByIndex(7);  // outside the list: nothing changes
    m_controller.FillPreviewSizeList(&sizes);
    EXPECT_EQ(sizes.GetCurSel(), 1);

    // The virtual camera has no colour modes.
    colorModes.Add(new DuiLib::CListLabelElementUI());
    m_controller.FillColorModeList(&colorModes);
    EXPECT_EQ(colorModes.GetCount(), 0);
    EXPECT_FALSE(colorModes.IsEnabled());
}

TEST_F(ControllerLists, RememberedIndexesOutsideTheListFallBackToZero)
{
    CaliDataStore& store = m_controller.GetCaliStore();
    for (const char* name : {"10x", "40x", "100x"})
        ASSERT_EQ(store.Add(CaliData{name, 0.5f, 2}), CaliDataStore::kAdded);
    DuiLib::CComboUI calibrations, units;
    int remembered = 5;
    m_controller.FillCalibrationList(&calibrations, remembered);
    EXPECT_EQ(Texts(calibrations), (std::vector<std::string>{"10x", "40x", "100x"}));
    EXPECT_EQ(calibrations.GetCurSel(), 0);
    EXPECT_EQ(remembered, 0);
    remembered = 2;
    m_controller.FillCalibrationList(&calibrations, remembered);
    EXPECT_EQ(calibrations.GetCurSel(), 2);
    EXPECT_EQ(remembered, 2);

    int unit = 6;
    m_controller.FillUnitList(&units, unit);
    EXPECT_EQ(Texts(units), (std::vector<std::string>{"px", "cm", "mm", "um", "in", "uin"}));
    EXPECT_EQ(units.GetCurSel(), 0);
    EXPECT_EQ(unit, 0);
}

TEST_F(ControllerLists, StillSizeMenuChecksTheCurrentSize)
{
    Open(true);
    ASSERT_EQ(m_controller.GetCamera()->SetStillImageSize(640, 480), CM_OK);
    DuiLib::CMenuElementUI menu;
    m_controller.BuildStillSizeMenu(&menu, 30);
    ASSERT_EQ(menu.GetCount(), 1);
    auto* item = static_cast<DuiLib::CMenuElementUI*>(menu.GetItemAt(0));
    EXPECT_STREQ(item->GetText().GetData(), "640 x 480");
    EXPECT_STREQ(item->GetUserData().GetData(), "640|480");
    EXPECT_STREQ(item->GetName().GetData(), "Menu_SubItem_StillSize_0");
    EXPECT_TRUE(item->GetCheckItem());
    EXPECT_TRUE(item->GetChecked());
    EXPECT_EQ(item->GetFixedHeight(), 30);

    // Without a still path: the preview size, disabled.
    m_controller.CloseCamera();
    m_device.reset();
    Open(false);
    DuiLib::CMenuElementUI plain;
    m_controller.BuildStillSizeMenu(&plain, 26);
    ASSERT_EQ(plain.GetCount(), 1);
    EXPECT_STREQ(plain.GetItemAt(0)->GetText().GetData(), "640 x 480");
    EXPECT_FALSE(plain.GetItemAt(0)->IsEnabled());
    EXPECT_EQ(plain.GetItemAt(0)->GetFixedHeight(), 26);
}

class FixedTexts : public DuiLib::IQueryControlText
{
public:
    DuiLib::CDuiString QueryControlText(const char* id, const char*) override
    {
        const auto it = m_texts.find(id);
        return it == m_texts.end() ? "" : it->second.c_str();
    }
    std::map<std::string, std::string> m_texts{
        {"STR_AUTO", "Auto"}, {"STR_COLORMODE_COLOR", "Colour"}, {"STR_COLORMODE_NEGATIVE", "Negative"}};
};

TEST(ControllerTexts, ValuesWithoutLabelsGiveEmptyTexts)
{
    FixedTexts texts;
    DuiLib::CResourceManager* resources = DuiLib::CResourceManager::GetInstance();
    DuiLib::IQueryControlText* previous = resources->GetTextQueryInterface();
    resources->SetTextQueryInterface(&texts);
    CCameraController controller;
    EXPECT_EQ(controller.GetPowerFreqText(1), "");  // no paint manager yet
    DuiLib::CPaintManagerUI manager;
    controller.SetRenderControl(nullptr, &manager);
    const std::vector<std::string> power = {controller.GetPowerFreqText(0), controller.GetPowerFreqText(1),
        controller.GetPowerFreqText(2), controller.GetPowerFreqText(3)};
    EXPECT_EQ(power, (std::vector<std::string>{"Auto", "50Hz", "60Hz", ""}));
    const std::vector<std::string> modes = {controller.GetColorModeText(0), controller.GetColorModeText(1),
        controller.GetColorModeText(2), controller.GetColorModeText(-1)};
    // The monochrome text is missing from the table.
    EXPECT_EQ(modes, (std::vector<std::string>{"Colour", "", "Negative", ""}));
    resources->SetTextQueryInterface(previous);
}

}  // namespace
