// The side and view panels of the main window: the camera adjustment panel
// (sliders with their value labels, the automatic modes, reset to
// defaults), its drawers, full screen, and the calibration value of the
// calibration page.
#include "app/shell/CMainWnd.h"

#include "platform/system/DeviceMonitor.h"

#include "app/shell/AppConfig.h"
#include "app/shell/StringTable.h"
#include "app/view/CImageRenderUI.h"
#include "platform/system/Utf8.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kelvara {

namespace {

constexpr int kCaptionHeight = 26;
constexpr int kSizeBorder = 6;

const char* const kDrawerHeaders[][2] = {
    {"drawerHeadPreviewResolution", "drawerPreviewResolution"},
    {"drawerHeadExposure", "drawerExposure"},
    {"drawerHeadWB", "drawerWB"},
    {"drawerHeadColor", "drawerColor"},
    {"drawerHeadColorMode", "drawerColorMode"},
    {"drawerHeadFlip", "drawerFlip"},
    {"drawerHeadPower", "drawerPower"},
    {"drawerHeadMisc", "drawerMisc"},
};

// Property values are doubles; sliders hold integers.
int ToSliderValue(double value)
{
    if (!std::isfinite(value))
        return 0;
    if (value > 2147483647.0)
        return 2147483647;
    if (value < -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(std::lround(value));
}

void SetEnabled(DuiLib::CControlUI* control, bool enabled)
{
    if (control)
        control->SetEnabled(enabled);
}

DuiLib::COptionUI* AsOption(DuiLib::CControlUI* control)
{
    return control ? static_cast<DuiLib::COptionUI*>(control->GetInterface("Option")) : nullptr;
}

}  // namespace

void CMainWnd::UpdateValueLabel(int row, int value)
{
    if (row < 0 || row >= kSliderBindingCount || m_valueLabels[row] == nullptr)
        return;
    std::string text;
    if (CMCameraBase* camera = m_controller.GetCamera()) {
        wchar_t alias[260] = {};
        if (camera->GetPropertyAlias(SliderBindingTable[row].property, value, alias, 260) == 0)
            text = WideToUtf8(std::wstring(alias, wcsnlen(alias, 260)));
    }
    if (text.empty()) {
        char number[16];
        std::snprintf(number, sizeof(number), "%d", value);
        text = number;
    }
    m_valueLabels[row]->SetText(text.c_str());
}

void CMainWnd::RefreshAdjustPanel()
{
    CMCameraBase* camera = m_controller.GetCamera();
    const bool open = camera != nullptr;
    for (const char* name :
        {"camera_adjust_drawers", "AdjustBtnReset", "ToolbarBtnFiles", "AdjustBtnPropertyPage",
            "MainTabOptMeasure", "ToolbarBtnCapture", "ToolbarBtnCaptureSet", "ToolbarBtnRecord"})
        SetEnabled(m_PaintManager.FindControl(name), open);
    // The drawer headers look as unavailable as the drawers they open.
    for (const auto& drawer : kDrawerHeaders)
        SetEnabled(m_PaintManager.FindControl(drawer[0]), open);
    if (!open) {
        // A camera that went away leaves no sizes or formats behind.
        for (DuiLib::CComboUI* combo : {m_comboPreviewSize, m_comboPreviewFormat}) {
            if (combo) {
                combo->RemoveAll();
                combo->SetEnabled(false);
            }
        }
        m_controller.FillColorModeList(m_comboColorMode);
        m_controller.FillPowerFreqList(m_comboPowerFreq);
        return;
    }
    for (DuiLib::CComboUI* combo : {m_comboPreviewSize, m_comboPreviewFormat}) {
        if (combo)
            combo->SetEnabled(true);
    }

    m_controller.FillImageFormatList(m_comboPreviewFormat);
    m_controller.FillColorModeList(m_comboColorMode);
    m_controller.FillPowerFreqList(m_comboPowerFreq);

    for (int row = 0; row < kSliderBindingCount; ++row) {
        DuiLib::CSliderUI* slider = m_sliders[row];
        if (slider == nullptr)
            continue;
        const tagCMProperty property = SliderBindingTable[row].property;
        if (camera->IsPropertySupport(property)) {
            double min = 0, max = 0, def = 0, value = 0;
            int digits = 0;
            int isAuto = 0;
            camera->GetPropertyRange(property, &min, &max, &def, &digits);
            camera->GetProperty(property, &value, &isAuto);
            slider->SetMaxValue(ToSliderValue(max));
            slider->SetMinValue(ToSliderValue(min));
            slider->SetValue(ToSliderValue(value));
            slider->SetEnabled(isAuto == 0);
            UpdateValueLabel(row, ToSliderValue(value));
        } else {
            slider->SetMaxValue(1);
            slider->SetMinValue(0);
            slider->SetValue(0);
            slider->SetEnabled(false);
            UpdateValueLabel(row, 0);
        }
    }

    auto autoFlag = [camera](tagCMProperty property) {
        double value = 0;
        int isAuto = 0;
        camera->GetProperty(property, &value, &isAuto);
        return isAuto == 1;
    };
    SetEnabled(m_PaintManager.FindControl("AdjustBtnOnceWB"), camera->IsPropertySupport(CM_PROP_WB_ONCE));
    if (DuiLib::COptionUI* awb = AsOption(m_PaintManager.FindControl("AdjustOptionAWB"))) {
        bool supported = camera->IsPropertySupport(CM_PROP_WHITE_BALANCE);
        awb->SetEnabled(supported);
        awb->Selected(supported && autoFlag(CM_PROP_WHITE_BALANCE), false);
    }
    bool aeSelected = false;
    if (DuiLib::COptionUI* ae = AsOption(m_PaintManager.FindControl("AdjustOptionAE"))) {
        bool supported = camera->IsPropertySupport(CM_PROP_EXPOSURE);
        ae->SetEnabled(supported);
        aeSelected = supported && autoFlag(CM_PROP_EXPOSURE);
        ae->Selected(aeSelected, false);
    }
    SetEnabled(m_sliders[11], !aeSelected && camera->IsPropertySupport(CM_PROP_EXPOSURE));
    SetEnabled(m_sliders[10], camera->IsPropertySupport(CM_PROP_AE_TARGET) && aeSelected);

    // Mirror and flip show what the pictures have now.
    for (auto [option, property] :
        {std::pair{m_optMirror, CM_PROP_MIRROR}, std::pair{m_optFlip, CM_PROP_FLIP}}) {
        if (option == nullptr)
            continue;
        double value = 0;
        int isAuto = 0;
        camera->GetProperty(property, &value, &isAuto);
        option->Selected(value != 0.0, false);
    }
}

void CMainWnd::OnSliderChanged(DuiLib::TNotifyUI& msg, bool released)
{
    if (msg.pSender == nullptr)
        return;
    auto* slider = static_cast<DuiLib::CSliderUI*>(msg.pSender->GetInterface("Slider"));
    if (slider == nullptr)
        return;
    const uintptr_t tag = slider->GetTag();
    if (tag >= static_cast<uintptr_t>(kSliderBindingCount) || m_sliders[tag] != slider)
        return;
    const int row = static_cast<int>(tag);
    CMCameraBase* camera = m_controller.GetCamera();
    if (camera == nullptr)
        return;
    const int value = slider->GetValue();
    const tagCMProperty property = SliderBindingTable[row].property;
    int flag = 0;
    if (row == 11) {
        DuiLib::COptionUI* ae = AsOption(m_PaintManager.FindControl("AdjustOptionAE"));
        flag = ae && ae->IsSelected() ? 1 : 0;
    } else if (row == 5) {
        DuiLib::COptionUI* awb = AsOption(m_PaintManager.FindControl("AdjustOptionAWB"));
        flag = awb && awb->IsSelected() ? 1 : 0;
    }
    // Exposure time and network cameras take the value on release only:
    // both are slow to apply and would lag behind the thumb.
    if (released || (!camera->IsNetworkCamera() && property != CM_PROP_EXPOSURE))
        m_controller.SetCameraProperty(property, value, flag);
    UpdateValueLabel(row, value);
}

void CMainWnd::ResetToDefaults()
{
    CMCameraBase* camera = m_controller.GetCamera();
    if (camera == nullptr)
        return;
    SetCursor(DuiLib::UICURSOR_WAIT);
    for (int row = 0; row < kSliderBindingCount; ++row) {
        const tagCMProperty property = SliderBindingTable[row].property;
        if (!camera->IsPropertySupport(property))
            continue;
        double min = 0, max = 0, def = 0;
        int digits = 0;
        camera->GetPropertyRange(property, &min, &max, &def, &digits);
        m_controller.SetCameraProperty(property, def, 1);
        if (m_sliders[row])
            m_sliders[row]->SetValue(ToSliderValue(def));
        UpdateValueLabel(row, ToSliderValue(def));
    }
    if (camera->IsPropertySupport(CM_PROP_WHITE_BALANCE)) {
        if (DuiLib::COptionUI* awb = AsOption(m_PaintManager.FindControl("AdjustOptionAWB")))
            awb->Selected(true);
    }
    if (camera->IsPropertySupport(CM_PROP_EXPOSURE)) {
        if (DuiLib::COptionUI* ae = AsOption(m_PaintManager.FindControl("AdjustOptionAE")))
            ae->Selected(true);
    }
    // Mirror and flip went back to the camera's defaults too.
    m_controller.SyncSoftOrientation();
    for (auto [option, property] :
        {std::pair{m_optMirror, CM_PROP_MIRROR}, std::pair{m_optFlip, CM_PROP_FLIP}}) {
        if (option == nullptr || !camera->IsPropertySupport(property))
            continue;
        double value = 0;
        int isAuto = 0;
        camera->GetProperty(property, &value, &isAuto);
        option->Selected(value != 0.0, false);
    }
    SetCursor(DuiLib::UICURSOR_ARROW);
}

double CMainWnd::CalibrationValue(const std::string& typedLength) const
{
    char* end = nullptr;
    double physical = std::strtod(typedLength.c_str(), &end);
    if (end == typedLength.c_str() || !std::isfinite(physical))
        physical = 0;
    // The calibration line's length in picture pixels.
    const double pixels = m_render ? m_render->GetContainer().GetResult(0).length : 0.0;
    return physical > 0 && pixels > 0 ? physical / pixels : -1.0;
}

void CMainWnd::UpdateCalibrationValue()
{
    DuiLib::CControlUI* edit = m_PaintManager.FindControl("CaliEdtPhyLen");
    DuiLib::CControlUI* data = m_PaintManager.FindControl("CaliEdtCaliData");
    if (edit == nullptr || data == nullptr)
        return;
    const std::string typed = edit->GetText().GetData();
    if (typed.empty()) {
        // Nothing typed yet: nothing to judge.
        data->SetText("");
        return;
    }
    const double value = CalibrationValue(typed);
    if (value > 0) {
        char text[64];
        std::snprintf(text, sizeof(text), "%f", value);
        data->SetText(text);
    } else {
        data->SetText(GetLangText("STR_ERROR").c_str());
    }
}

void CMainWnd::RefreshMeasureRows()
{
    if (m_render == nullptr || m_measureList == nullptr)
        return;
    SFPrimitiveContainer& container = m_render->GetContainer();
    for (int i = 0; i < m_measureAdapter.GetRowCount(); ++i)
        m_measureAdapter.SetRow(i, container.GetResult(i));
    m_measureList->Invalidate();
}

void CMainWnd::OpenDrawer(const std::string& name, bool forceOpen)
{
    DuiLib::CControlUI* target = name.empty() ? nullptr : m_PaintManager.FindControl(name.c_str());
    DuiLib::CControlUI* current
        = m_openDrawer.empty() ? nullptr : m_PaintManager.FindControl(m_openDrawer.c_str());
    if (forceOpen) {
        if (current)
            current->SetVisible(false);
        if (target)
            target->SetVisible(true);
        m_openDrawer = name;
    } else if (target == nullptr) {
        if (current)
            current->SetVisible(false);
    } else if (target == current) {
        target->SetVisible(false);
        m_openDrawer.clear();
    } else {
        if (current)
            current->SetVisible(false);
        target->SetVisible(true);
        m_openDrawer = name;
    }
    SyncDrawerHeaders();
}

void CMainWnd::SyncDrawerHeaders()
{
    // The headers show which drawer is open.
    for (const auto& drawer : kDrawerHeaders) {
        DuiLib::CControlUI* header = m_PaintManager.FindControl(drawer[0]);
        auto* option = header ? static_cast<DuiLib::COptionUI*>(header->GetInterface("Option")) : nullptr;
        DuiLib::CControlUI* container = m_PaintManager.FindControl(drawer[1]);
        if (option)
            option->Selected(container && container->IsOwnVisible(), false);
    }
}

void CMainWnd::ToggleFullscreen()
{
    m_fullscreen = !m_fullscreen;
    for (const char* name : {"Titlebar", "Toolbar", "Statusbar", "Sidebar"}) {
        if (DuiLib::CControlUI* control = m_PaintManager.FindControl(name)) {
            // The tool bar and side bar sit in wrappers with their separators.
            DuiLib::CControlUI* shown = control;
            if (std::strcmp(name, "Toolbar") == 0 || std::strcmp(name, "Sidebar") == 0)
                shown = control->GetParent() ? control->GetParent() : control;
            shown->SetVisible(!m_fullscreen);
        }
    }
    if (DuiLib::CControlUI* bar = m_PaintManager.FindControl("OutputBar")) {
        DuiLib::CControlUI* option = m_PaintManager.FindControl("StatusbarBtnOutput");
        auto* output = option ? static_cast<DuiLib::COptionUI*>(option->GetInterface("Option")) : nullptr;
        bar->SetVisible(!m_fullscreen && output && output->IsSelected());
    }
    ApplyFrameForFullscreen();
    // The toolkit keeps the placement to come back to (position, size and
    // the maximised state) and covers the whole monitor holding the window.
    SetFullscreen(m_fullscreen);
    m_PaintManager.NeedUpdate();
}

void CMainWnd::ApplyFrameForFullscreen()
{
    RECT caption = m_PaintManager.GetCaptionRect();
    caption.bottom = m_fullscreen ? 0 : kCaptionHeight;
    m_PaintManager.SetCaptionRect(caption);
    int border = m_fullscreen ? 0 : kSizeBorder;
    m_PaintManager.SetSizeBox(RECT{border, border, border, border});
}

void CMainWnd::LeaveFullscreen()
{
    if (m_fullscreen)
        ToggleFullscreen();
}

}  // namespace kelvara
