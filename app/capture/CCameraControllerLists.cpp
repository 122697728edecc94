// The lists and menus the camera controller fills from what the camera reports.
#include "app/capture/CCameraController.h"

#include "app/measure/CaliScaling.h"

#include "platform/duilib/CComboUI.h"
#include "platform/duilib/CListLabelElementUI.h"
#include "platform/duilib/CMenuElementUI.h"

#include <algorithm>
#include <cstdio>

namespace kelvara {

namespace {

std::string SizeText(long width, long height)
{
    char text[48];
    std::snprintf(text, sizeof text, "%d x %d", static_cast<int>(width), static_cast<int>(height));
    return text;
}

const char* FormatText(int format)
{
    switch (format) {
    case CM_FMT_RGB24:
        return "RGB24";
    case CM_FMT_YUY2:
        return "YUY2";
    case CM_FMT_YUYV:
        return "YUYV";
    case CM_FMT_MJPG:
        return "MJPG";
    case CM_FMT_H264:
        return "H264";
    case CM_FMT_NV12:
        return "NV12";
    case CM_FMT_I420:
        return "I420";
    case CM_FMT_YV12:
        return "YV12";
    case CM_FMT_GREY:
        return "GREY";
    case CM_FMT_UYVY:
        return "UYVY";
    case CM_FMT_YVYU:
        return "YVYU";
    default:
        return "Unknown";
    }
}

void AddItem(DuiLib::CComboUI* combo, const std::string& text)
{
    auto* item = new DuiLib::CListLabelElementUI();
    item->SetAttribute("textpadding", "3,0,0,0");
    item->SetText(text.c_str());
    combo->Add(item);
}

// Selects index (0 when it is outside the list) unless the list is empty.
void SelectChosen(DuiLib::CComboUI* combo, int index)
{
    const int count = combo->GetCount();
    if (count == 0)
        return;
    combo->SelectItem(index >= 0 && index < count ? index : 0, false);
}

template <typename T> int IndexOf(const std::vector<T>& values, const T& value)
{
    const auto it = std::find(values.begin(), values.end(), value);
    return it == values.end() ? 0 : static_cast<int>(it - values.begin());
}

int IndexOfSize(const std::vector<tagSIZE>& sizes, int width, int height)
{
    for (size_t i = 0; i < sizes.size(); ++i) {
        if (sizes[i].cx == width && sizes[i].cy == height)
            return static_cast<int>(i);
    }
    return 0;
}

// A remembered index that is not below count becomes 0.
int ClampRemembered(int& remembered, int count)
{
    if (remembered < 0 || remembered >= count)
        remembered = 0;
    return remembered;
}

}  // namespace

void CCameraController::FillPreviewSizeList(DuiLib::CComboUI* combo)
{
    if (!combo)
        return;
    combo->RemoveAll();
    if (!m_pCamera)
        return;
    std::vector<tagSIZE> sizes;
    m_pCamera->GetSupportedPreviewSizes(&sizes);
    for (const tagSIZE& size : sizes)
        AddItem(combo, SizeText(size.cx, size.cy));
    int width = 0, height = 0;
    m_pCamera->GetPreviewImageSize(&width, &height);
    SelectChosen(combo, IndexOfSize(sizes, width, height));
}

void CCameraController::FillImageFormatList(DuiLib::CComboUI* combo)
{
    if (!combo)
        return;
    combo->RemoveAll();
    if (!m_pCamera)
        return;
    const std::vector<int> formats = m_pCamera->GetSupportedImageFormats();
    for (int format : formats)
        AddItem(combo, FormatText(format));
    int current = -1;
    m_pCamera->GetImageFormat(&current);
    SelectChosen(combo, IndexOf(formats, current));
}

void CCameraController::FillEnumList(
    DuiLib::CComboUI* combo, tagCMProperty property, std::string (CCameraController::*text)(int) const)
{
    if (!combo)
        return;
    combo->RemoveAll();
    if (!m_pCamera)
        return;
    if (!m_pCamera->IsPropertySupport(property)) {
        combo->SetEnabled(false);
        return;
    }
    combo->SetEnabled(true);
    std::vector<int> values;
    m_pCamera->GetPropertyRangeEnumInt(property, values);
    for (int value : values)
        AddItem(combo, (this->*text)(value));
    double current = 0;
    int isAuto = 0;
    m_pCamera->GetProperty(property, &current, &isAuto);
    SelectChosen(combo, IndexOf(values, static_cast<int>(current)));
}

void CCameraController::FillColorModeList(DuiLib::CComboUI* combo)
{
    FillEnumList(combo, CM_PROP_COLOR_MODE, &CCameraController::GetColorModeText);
}

void CCameraController::FillPowerFreqList(DuiLib::CComboUI* combo)
{
    FillEnumList(combo, CM_PROP_POWER_FREQ, &CCameraController::GetPowerFreqText);
}

void CCameraController::FillCalibrationList(DuiLib::CComboUI* combo, int& rememberedIndex)
{
    if (!combo)
        return;
    combo->RemoveAll();
    // Entries made at a picture size of another shape than the preview's
    // cannot be scaled to it: they say the size they were made at.
    int width = 0;
    int height = 0;
    if (!m_pCamera || m_pCamera->GetPreviewImageSize(&width, &height) != CM_OK)
        width = height = 0;
    const std::string madeAt = LanguageText("STR_CALI_MADE_AT");
    for (int i = 0; i < m_caliStore.GetCount(); ++i) {
        const CaliData entry = m_caliStore.GetAt(i);
        std::string text = entry.name;
        if (width > 0 && height > 0 && !madeAt.empty()
            && FitCalibration(entry, width, height).kind == CaliFit::kOtherShape) {
            char note[96];
            std::snprintf(note, sizeof(note), madeAt.c_str(), entry.width, entry.height);
            text += std::string(" ") + note;
        }
        AddItem(combo, text);
    }
    SelectChosen(combo, ClampRemembered(rememberedIndex, combo->GetCount()));
}

void CCameraController::FillUnitList(DuiLib::CComboUI* combo, int& rememberedIndex)
{
    if (!combo)
        return;
    combo->RemoveAll();
    for (int unit = 0; unit < 6; ++unit)
        AddItem(combo, CaliDataStore::GetUnitName(unit));
    SelectChosen(combo, ClampRemembered(rememberedIndex, combo->GetCount()));
}

void CCameraController::BuildStillSizeMenu(DuiLib::CMenuElementUI* menu, int itemHeight)
{
    if (!menu || !m_pCamera)
        return;
    if (!m_pCamera->IsSupportStillCapture()) {
        int width = 0, height = 0;
        m_pCamera->GetPreviewImageSize(&width, &height);
        auto* item = new DuiLib::CMenuElementUI();
        item->SetText(SizeText(width, height).c_str());
        item->SetFixedHeight(itemHeight);
        item->SetEnabled(false);
        menu->Add(item);
        return;
    }
    std::vector<tagSIZE> sizes;
    m_pCamera->GetSupportedStillCaptureSizes(&sizes);
    int stillWidth = 0, stillHeight = 0;
    m_pCamera->GetStillImageSize(stillWidth, stillHeight);
    for (size_t i = 0; i < sizes.size(); ++i) {
        char userData[32];
        char name[48];
        std::snprintf(
            userData, sizeof userData, "%d|%d", static_cast<int>(sizes[i].cx), static_cast<int>(sizes[i].cy));
        std::snprintf(name, sizeof name, "Menu_SubItem_StillSize_%d", static_cast<int>(i));
        auto* item = new DuiLib::CMenuElementUI();
        item->SetText(SizeText(sizes[i].cx, sizes[i].cy).c_str());
        item->SetUserData(userData);
        item->SetName(name);
        item->SetCheckItem(true);
        item->SetIcon("ui\\menu\\menu_checked.png");
        item->SetIconSize(26, 26);
        item->SetChecked(sizes[i].cx == stillWidth && sizes[i].cy == stillHeight);
        item->SetFixedHeight(itemHeight);
        menu->Add(item);
    }
}

}  // namespace kelvara
