// The main window's held pictures and scale bar: a live frame frozen for
// measuring, a picture file opened in place of the live picture, going back
// to live, and the calibration and scale bar that apply to what is shown.
#include "app/shell/CMainWnd.h"

#include "platform/system/DeviceMonitor.h"

#include "app/capture/StillPictureWriter.h"
#include "app/measure/CaliScaling.h"
#include "app/shell/AppConfig.h"
#include "app/shell/ShellDialogs.h"
#include "app/shell/StringTable.h"
#include "app/view/CImageRenderUI.h"

#include <cmath>
#include <cstdio>

namespace kelvara {

namespace {

const char* const kCornerTexts[4]
    = {"STR_CORNER_BOTTOM_RIGHT", "STR_CORNER_BOTTOM_LEFT", "STR_CORNER_TOP_RIGHT", "STR_CORNER_TOP_LEFT"};

std::string FileName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// printf with a format from the string table (its arguments are ours).
template <typename... Args> std::string Format(const std::string& format, Args... args)
{
    const int size = std::snprintf(nullptr, 0, format.c_str(), args...);
    if (size <= 0)
        return format;
    std::string text(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), format.c_str(), args...);
    text.resize(static_cast<size_t>(size));
    return text;
}

}  // namespace

bool CMainWnd::IsEditFocused() const
{
    DuiLib::CControlUI* focus = m_PaintManager.GetFocus();
    return focus != nullptr && focus->GetInterface("Edit") != nullptr;
}

bool CMainWnd::CurrentPictureSize(int* width, int* height) const
{
    if (m_held != HeldPicture::kNone) {
        *width = m_heldWidth;
        *height = m_heldHeight;
        return m_heldWidth > 0 && m_heldHeight > 0;
    }
    CMCameraBase* camera = m_controller.GetCamera();
    return camera != nullptr && camera->GetPreviewImageSize(width, height) == CM_OK && *width > 0
        && *height > 0;
}

void CMainWnd::ApplyActiveScale()
{
    double value = 1.0;
    int unit = 0;
    int width = 0;
    int height = 0;
    const bool sized = CurrentPictureSize(&width, &height);
    if (m_held == HeldPicture::kFile && m_heldScale.unit != 0) {
        value = m_heldScale.unitsPerPixel;
        unit = m_heldScale.unit;
    } else {
        CaliDataStore& store = m_controller.GetCaliStore();
        const int index = GetAppConfig().CFG_CURCALIDATA;
        if (index >= 0 && index < store.GetCount()) {
            const CaliData entry = store.GetAt(index);
            value = entry.value;
            unit = entry.unit;
            if (sized) {
                // Made at another picture size: scaled for this one, or
                // applied as it is with a warning when the shape differs.
                const CaliFit fit = FitCalibration(entry, width, height);
                value = fit.value;
                ReportCalibrationFit(entry, fit.kind, width, height);
            }
        }
    }
    m_scaleValue = value;
    m_scaleUnit = unit;
    // Stills carry the pixel size, fitted to their own size.
    if (m_held == HeldPicture::kNone && sized)
        m_controller.SetStillScale(value, unit, width, height);
    else
        m_controller.SetStillScale(0, 0, 0, 0);
    const AppConfig& settings = GetAppConfig();
    m_controller.SetStillScaleBar(settings.CFG_SCALEBAR_IN_PICTURES != 0, settings.CFG_SCALEBAR_CORNER);
    if (m_render) {
        const std::string name = CaliDataStore::GetUnitName(unit);
        m_render->GetContainer().SetCalibration(
            sf::String::fromUtf8(name.begin(), name.end()), static_cast<float>(value));
        const AppConfig& config = GetAppConfig();
        m_render->SetScaleBar(config.CFG_SCALEBAR != 0 && unit != 0, value, unit, config.CFG_SCALEBAR_CORNER);
    }
    RefreshMeasureRows();
}

void CMainWnd::RefreshCalibrationForSize()
{
    // The list marks entries made at a size of another shape.
    m_controller.FillCalibrationList(m_comboCaliList, GetAppConfig().CFG_CURCALIDATA);
    ApplyActiveScale();
}

void CMainWnd::ReportCalibrationFit(const CaliData& entry, int kind, int width, int height)
{
    // Said once per calibration and picture size, not on every refresh.
    const std::string key = entry.name + "@" + std::to_string(width) + "x" + std::to_string(height);
    if (kind == CaliFit::kAsMade || key == m_lastFitReported)
        return;
    m_lastFitReported = key;
    const char* id = kind == CaliFit::kScaled ? "STR_CALI_SCALED" : "STR_CALI_OTHER_SHAPE";
    SetStatusText(Format(GetLangText(id), entry.width, entry.height, width, height));
}

void CMainWnd::FillScaleBarControls()
{
    const AppConfig& config = GetAppConfig();
    if (DuiLib::CControlUI* control = m_PaintManager.FindControl("MeasureOptScaleBar")) {
        if (auto* option = static_cast<DuiLib::COptionUI*>(control->GetInterface("Option")))
            option->Selected(config.CFG_SCALEBAR != 0, false);
    }
    auto* combo = static_cast<DuiLib::CComboUI*>(m_PaintManager.FindControl("ComboScaleBarCorner"));
    if (combo == nullptr || combo->GetInterface("Combo") == nullptr)
        return;
    combo->RemoveAll();
    for (const char* id : kCornerTexts) {
        auto* item = new DuiLib::CListLabelElementUI();
        item->SetAttribute("textpadding", "3,0,0,0");
        item->SetText(GetLangText(id).c_str());
        combo->Add(item);
    }
    const int corner = config.CFG_SCALEBAR_CORNER;
    combo->SelectItem(corner >= 0 && corner < 4 ? corner : 0, false);
}

void CMainWnd::SetScaleBarShown(bool shown)
{
    GetAppConfig().CFG_SCALEBAR = shown ? 1 : 0;
    if (DuiLib::CControlUI* control = m_PaintManager.FindControl("MeasureOptScaleBar")) {
        if (auto* option = static_cast<DuiLib::COptionUI*>(control->GetInterface("Option")))
            option->Selected(shown, false);
    }
    ApplyActiveScale();
    if (shown && m_scaleUnit == 0)
        SetStatusResource("STR_SCALE_BAR_NEEDS_CALIBRATION");
}

void CMainWnd::SetScaleBarCorner(int corner)
{
    if (corner < 0 || corner > 3)
        return;
    GetAppConfig().CFG_SCALEBAR_CORNER = corner;
    ApplyActiveScale();
}

std::vector<DuiLib::CControlUI*> CMainWnd::LiveOnlyControls() const
{
    return {m_btnRecord, m_comboPreviewSize, m_comboPreviewFormat};
}

void CMainWnd::EnterHeldPicture(bool fromLive)
{
    // Recording and the camera's picture settings wait until live again.
    if (fromLive) {
        m_liveControlsEnabled.clear();
        for (DuiLib::CControlUI* control : LiveOnlyControls())
            m_liveControlsEnabled.push_back(control && control->IsEnabled());
    }
    for (DuiLib::CControlUI* control : LiveOnlyControls()) {
        if (control)
            control->SetEnabled(false);
    }
    // A held picture can always be snapped, with or without a camera.
    if (fromLive)
        m_snapEnabledWhenLive = m_btnCapture && m_btnCapture->IsEnabled();
    if (m_btnCapture)
        m_btnCapture->SetEnabled(true);
    ApplyActiveScale();
}

bool CMainWnd::HeldPictureAllowed()
{
    if (m_controller.IsRecording()) {
        SetStatusResource("STR_STOP_RECORDING_FIRST");
        return false;
    }
    if (m_conshotActive)
        StopContinuousShooting();
    return m_render != nullptr;
}

void CMainWnd::ToggleFreeze()
{
    if (m_held == HeldPicture::kFrozen) {
        BackToLive();
        return;
    }
    if (m_held == HeldPicture::kFile || !HeldPictureAllowed())
        return;
    if (m_controller.GetCamera() == nullptr) {
        SetStatusResource("STR_NOTHING_TO_FREEZE");
        return;
    }
    // Held first: the frame copied is the last one the preview gets.
    m_controller.SetPreviewHeld(true);
    if (!m_render->CopyNewestFrame(&m_heldPixels, &m_heldWidth, &m_heldHeight)) {
        m_controller.SetPreviewHeld(false);
        SetStatusResource("STR_NOTHING_TO_FREEZE");
        return;
    }
    m_held = HeldPicture::kFrozen;
    m_heldPath.clear();
    EnterHeldPicture(true);
    SetStatusResource("STR_STATUS_FROZEN");
}

void CMainWnd::OpenPicture()
{
    const std::string path = AskOpenPath(GetLangText("MENU_MAIN_OPEN_PICTURE").c_str(),
        {{GetLangText("STR_PICTURE_FILES") + " ", "*.tif;*.tiff;*.png;*.bmp;*.jpg;*.jpeg"}});
    if (!path.empty())
        OpenPictureFile(path);
}

bool CMainWnd::OpenPictureFile(const std::string& path)
{
    if (!HeldPictureAllowed())
        return false;
    SetCursor(DuiLib::UICURSOR_WAIT);
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
    capture::PictureFileScale scale;
    const bool loaded = capture::LoadPictureFile(path, &pixels, &width, &height, &scale);
    SetCursor(DuiLib::UICURSOR_ARROW);
    if (!loaded) {
        // The view stays as it was.
        ShowMessageDialog(GetHWND(), Format(GetLangText("STR_OPEN_PICTURE_FAILED"), FileName(path).c_str()),
            GetLangText("STR_MESSAGE"), 0, 48);
        return false;
    }
    // Measuring happens on the picture's own set of measurements; the live
    // ones wait (a calibration line in progress is given up).
    if (m_render->GetContainer().IsCalibrationMode())
        LeaveCalibrationPage();
    SFPrimitiveContainer& container = m_render->GetContainer();
    const bool fromLive = m_held == HeldPicture::kNone;
    if (m_held == HeldPicture::kFile) {
        container.DeleteAll(false);
    } else {
        m_controller.SetPreviewHeld(true);
        m_liveMeasurements = container.TakePrimitives();
    }
    m_held = HeldPicture::kFile;
    m_heldPixels = std::move(pixels);
    m_heldWidth = width;
    m_heldHeight = height;
    m_heldPath = path;
    m_heldScale = scale;
    m_render->PushFrame(width, height, m_heldPixels.data());
    RebuildMeasureRows();
    EnterHeldPicture(fromLive);
    const std::string name = FileName(path);
    if (scale.unit != 0) {
        char perPixel[64];
        std::snprintf(perPixel, sizeof(perPixel), "%.6g %s", scale.unitsPerPixel,
            CaliDataStore::GetUnitName(scale.unit));
        SetStatusText(Format(GetLangText("STR_STATUS_PICTURE_SCALE"), name.c_str(), width, height, perPixel));
    } else {
        SetStatusText(Format(GetLangText("STR_STATUS_PICTURE"), name.c_str(), width, height));
    }
    return true;
}

void CMainWnd::BackToLive()
{
    if (m_held == HeldPicture::kNone)
        return;
    const bool fromFile = m_held == HeldPicture::kFile;
    m_held = HeldPicture::kNone;
    m_heldPixels.clear();
    m_heldPixels.shrink_to_fit();
    m_heldWidth = 0;
    m_heldHeight = 0;
    m_heldPath.clear();
    m_heldScale = capture::PictureFileScale();
    if (m_render) {
        if (fromFile) {
            SFPrimitiveContainer& container = m_render->GetContainer();
            if (container.IsCalibrationMode())
                LeaveCalibrationPage();
            container.DeleteAll(false);
            container.RestorePrimitives(std::move(m_liveMeasurements));
            m_liveMeasurements.clear();
            RebuildMeasureRows();
        }
        // Without a camera nothing live follows: the view is emptied.
        if (m_controller.GetCamera() == nullptr)
            m_render->ClearPicture();
    }
    m_controller.SetPreviewHeld(false);
    const std::vector<DuiLib::CControlUI*> controls = LiveOnlyControls();
    for (size_t i = 0; i < controls.size() && i < m_liveControlsEnabled.size(); ++i) {
        if (controls[i])
            controls[i]->SetEnabled(m_liveControlsEnabled[i]);
    }
    if (m_btnCapture)
        m_btnCapture->SetEnabled(m_snapEnabledWhenLive);
    const bool camera = m_controller.GetCamera() != nullptr;
    ApplyActiveScale();
    SetStatusResource(camera ? "STR_STATUS_LIVE" : "STR_CHOOSE_CAMERA");
}

bool CMainWnd::SaveHeldPicture(const std::string& path)
{
    if (m_heldPixels.empty())
        return false;
    // The still writer takes B,G,R,A.
    std::vector<uint8_t> bgra(m_heldPixels);
    for (size_t i = 0; i + 3 < bgra.size(); i += 4)
        std::swap(bgra[i], bgra[i + 2]);
    const AppConfig& config = GetAppConfig();
    if (config.CFG_SCALEBAR_IN_PICTURES != 0 && m_scaleUnit != 0)
        m_controller.BurnScaleBar(
            bgra.data(), m_heldWidth, m_heldHeight, m_scaleValue, m_scaleUnit, config.CFG_SCALEBAR_CORNER);
    // The picture keeps the pixel size it is measured at.
    const capture::PictureScale scale{m_scaleValue, m_scaleUnit};
    return capture::WriteStillPicture(path, bgra.data(), m_heldWidth, m_heldHeight, &scale);
}

void CMainWnd::RebuildMeasureRows()
{
    if (m_render == nullptr || m_measureList == nullptr)
        return;
    m_measureAdapter.Clear();
    m_measureList->RemoveAll();
    const int count = m_render->GetContainer().GetCount();
    for (int i = 0; i < count; ++i) {
        m_measureAdapter.AddRow();
        m_measureList->Add(new DuiLib::CListTextElementUI);
    }
    RefreshMeasureRows();
}

}  // namespace kelvara
