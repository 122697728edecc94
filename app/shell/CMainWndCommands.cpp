// Commands of the main window: snap, continuous shooting, recording, the
// picture folder, opening and closing cameras, the measurement tools and the
// result list, and the close request.
#include "app/shell/CMainWnd.h"

#include "app/shell/AppConfig.h"
#include "app/shell/FileNaming.h"
#include "app/shell/ShellDialogs.h"
#include "app/shell/StringTable.h"
#include "app/view/CImageRenderUI.h"
#include "camera_module/CMFactory.h"
#include "platform/system/DeviceMonitor.h"
#include "platform/system/Utf8.h"

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace kelvara {

const MeasureToolBinding MeasureToolTable[] = {
    {"MeasureBtnNone", 0},
    {"MeasureBtnMove", 1},
    {"MeasureBtnDelete", 2},
    {"MeasureBtnPoint", 3},
    {"MeasureBtnLine", 4},
    {"MeasureBtnBrokenLine", 5},
    {"MeasureBtnRect", 6},
    {"MeasureBtnPolygon", 7},
    {"MeasureBtnCircle", 8},
    {"MeasureBtnCircle2", 9},
    {"MeasureBtnCircle3", 10},
    {"MeasureBtnArc", 11},
    {"MeasureBtnAngle", 12},
    {"MeasureBtnText", 13},
    {"MeasureBtnPerpendicular", 14},
    {"MeasureBtnCrosshair", 15},
    {"MeasureBtnCrosshair2", 16},
    {"MeasureBtnParallel", 17},
    {"MeasureBtnConcentrical", 18},
};
const int kMeasureToolCount = static_cast<int>(sizeof(MeasureToolTable) / sizeof(MeasureToolTable[0]));

namespace {

constexpr int kDefaultTwoCirclesMode = 21;

}  // namespace

void CMainWnd::OnClickCommand(DuiLib::TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return;
    const std::string name = msg.pSender->GetName().GetData();
    if (name == "ToolbarBtnCapture") {
        if (m_conshotActive)
            StopContinuousShooting();
        else
            Snap();
        // The option toggles itself after this click: it must end up
        // selected exactly while continuous shooting runs.
        if (m_btnCapture)
            m_btnCapture->Selected(!m_conshotActive, false);
    } else if (name == "ToolbarBtnCaptureSet") {
        ShowSnapMenu(msg.pSender);
    } else if (name == "ToolbarBtnFiles") {
        OpenImageFolder();
    } else if (name == "Btn_Title_Main_Menu") {
        ShowMainMenu(msg.pSender);
    } else if (name == "StatusbarBtnFullscreen") {
        ToggleFullscreen();
    } else if (name == "AdjustBtnReset") {
        ResetToDefaults();
    } else if (name == "AdjustBtnPropertyPage") {
        if (CMCameraBase* camera = m_controller.GetCamera()) {
            camera->ShowCameraPropertyPages(GetHWND(), Utf8ToWide(GetLangText("STR_VIDEO_PROPERTY")).c_str());
            m_controller.SyncSoftOrientation();
            RefreshAdjustPanel();
        }
    } else if (name == "AdjustBtnOnceWB") {
        if (m_controller.GetCamera())
            m_controller.SetCameraProperty(CM_PROP_WB_ONCE, 0.0, 1);
    } else if (name == "MeasureBtnTwoCircles") {
        if (m_twoCirclesMode == 0)
            m_twoCirclesMode = kDefaultTwoCirclesMode;
        m_controller.SetMeasureTool(m_twoCirclesMode);
        ShowTwoCirclesMenu(msg.pSender);
    } else if (name == "MeasureBtnDeleteAll") {
        DeleteAllTools();
    } else if (name == "MeasureBtnCSV") {
        ExportCsv();
    } else if (name == "MeasureBtnScreenShot") {
        SaveScreenshot();
    } else if (name == "MeasureBtnCaliEdit") {
        EnterCalibrationPage();
    } else if (name == "CaliBtnBack") {
        LeaveCalibrationPage();
    } else if (name == "CaliBtnNew") {
        AddCalibration();
    } else if (name == "CaliBtnDel") {
        DeleteCalibration();
    } else if (name == "CaliBtnBackup") {
        BackupCalibrations();
    } else if (name == "CaliBtnRecover") {
        RestoreCalibrations();
    } else if (name.rfind("drawerHead", 0) == 0) {
        // The container of a header: "drawerHeadX" -> "drawerX".
        OpenDrawer("drawer" + name.substr(10), false);
        // The header (an option of a group) selects itself after this click:
        // the headers are brought in line with the drawers once it has.
        PostMessage(WM_SYNC_DRAWER_HEADERS);
    } else {
        for (int i = 0; i < kMeasureToolCount; ++i) {
            if (name == MeasureToolTable[i].control) {
                m_controller.SetMeasureTool(MeasureToolTable[i].mode);
                break;
            }
        }
    }
}

void CMainWnd::Snap()
{
    if (m_btnCapture == nullptr || !m_btnCapture->IsEnabled())
        return;
    AppConfig& config = GetAppConfig();
    std::string path;
    if (m_conshotActive || config.CFG_FILESAVE_RULE == 0) {
        if (!MakeAutoFileName(path, GetImageExtension()))
            path.clear();
    } else {
        const std::string pattern = GetImageFilterPattern();
        path = AskSavePath(GetLangText("STR_SAVE_FILE").c_str(),
            {{"Tag Image File(*.tif)", "*.tif"}, {"JPEG File(*.jpg)", "*.jpg"},
                {"Windows Bitmap(*.bmp)", "*.bmp"}, {"Protable Network Graphics(*.png)", "*.png"}},
            "", pattern.substr(2));
    }
    if (path.empty())
        return;
    SetCursor(DuiLib::UICURSOR_WAIT);
    // A held picture (frozen or opened) is saved as it is shown.
    const bool saved = m_held != HeldPicture::kNone ? SaveHeldPicture(path)
                                                    : m_controller.SnapToFile(Utf8ToWide(path).c_str());
    SetStatusText(saved ? GetLangText("STR_SAVED_TO") + " " + path : GetLangText("STR_SNAP_FAIL"));
    SetCursor(DuiLib::UICURSOR_ARROW);
}

void CMainWnd::SetCaptureControlsEnabled(bool enabled)
{
    for (DuiLib::CControlUI* control : std::initializer_list<DuiLib::CControlUI*>{
             m_btnRecord, m_btnCapture, m_btnCaptureSet, m_comboPreviewSize, m_comboPreviewFormat}) {
        if (control)
            control->SetEnabled(enabled);
    }
}

void CMainWnd::StartContinuousShooting()
{
    const AppConfig& config = GetAppConfig();
    if (config.CFG_CONSHOT_COUNT <= 0 || config.CFG_CONSHOT_INTERVAL < 0) {
        // Say why nothing happens instead of doing nothing silently.
        char text[32];
        std::snprintf(text, sizeof(text), " %d", config.CFG_CONSHOT_COUNT);
        SetStatusText(GetLangText("DLG_SET_CONSHOOT_COUNT") + text);
        return;
    }
    if (m_controller.GetCamera() == nullptr || m_controller.IsRecording())
        return;
    m_conshotTaken = 0;
    SetTimer(TIMER_CONSHOT, static_cast<UINT>(config.CFG_CONSHOT_INTERVAL) * 1000u);
    if (m_btnCapture)
        m_btnCapture->Selected(true, false);
    for (DuiLib::CControlUI* control : std::initializer_list<DuiLib::CControlUI*>{
             m_btnRecord, m_btnCaptureSet, m_comboPreviewSize, m_comboPreviewFormat}) {
        if (control)
            control->SetEnabled(false);
    }
    m_conshotActive = true;
}

void CMainWnd::StopContinuousShooting()
{
    KillTimer(TIMER_CONSHOT);
    for (DuiLib::CControlUI* control : std::initializer_list<DuiLib::CControlUI*>{
             m_btnRecord, m_btnCaptureSet, m_comboPreviewSize, m_comboPreviewFormat}) {
        if (control)
            control->SetEnabled(m_controller.GetCamera() != nullptr);
    }
    m_conshotActive = false;
    if (m_btnCapture)
        m_btnCapture->Selected(false, false);
}

void CMainWnd::OnConshotTick()
{
    if (!m_conshotActive)
        return;
    if (m_conshotTaken < GetAppConfig().CFG_CONSHOT_COUNT) {
        Snap();
        ++m_conshotTaken;
    } else {
        StopContinuousShooting();
    }
}

void CMainWnd::OnRecordToggle(bool start)
{
    if (!start) {
        StopRecordingAndReport();
        return;
    }
    if (m_held != HeldPicture::kNone) {
        SetStatusResource("STR_RECORD_NOT_WHILE_HELD");
        if (m_btnRecord)
            m_btnRecord->Selected(false, false);
        return;
    }
    std::string path;
    if (GetAppConfig().CFG_FILESAVE_RULE != 0) {
        path = AskSavePath(GetLangText("STR_SAVE_FILE").c_str(), {{"MP4 File(*.mp4)", "*.mp4"}}, "", "mp4");
    } else if (!MakeAutoFileName(path, ".mp4")) {
        path.clear();
    }
    if (!path.empty() && m_controller.StartRecording(Utf8ToWide(path).c_str())) {
        if (m_render) {
            m_render->RestartRecordClock();
            m_render->SetRecording(true);
        }
        for (DuiLib::CControlUI* control : std::initializer_list<DuiLib::CControlUI*>{
                 m_comboPreviewSize, m_comboPreviewFormat, m_btnCapture, m_btnCaptureSet}) {
            if (control)
                control->SetEnabled(false);
        }
        return;
    }
    SetStatusText(GetLangText("STR_RECORD_FAIL"));
    if (m_btnRecord)
        m_btnRecord->Selected(false, false);
}

void CMainWnd::StopRecordingAndReport()
{
    std::string path;
    // The file is finished outside the controller's lock; never silently.
    const CCameraController::RecordingEnd end = m_controller.FinishRecording(&path);
    if (m_render)
        m_render->SetRecording(false);
    const bool open = m_controller.GetCamera() != nullptr;
    for (DuiLib::CControlUI* control : std::initializer_list<DuiLib::CControlUI*>{
             m_comboPreviewSize, m_comboPreviewFormat, m_btnCapture, m_btnCaptureSet}) {
        if (control)
            control->SetEnabled(open);
    }
    if (m_btnRecord && m_btnRecord->IsSelected())
        m_btnRecord->Selected(false, false);
    switch (end) {
    case CCameraController::RecordingEnd::kSaved:
    case CCameraController::RecordingEnd::kSavedNotFinalised:
        SetStatusText(GetLangText("STR_SAVED_TO") + " " + path);
        break;
    case CCameraController::RecordingEnd::kFailed:
        SetStatusText(GetLangText("STR_RECORD_FAIL"));
        break;
    case CCameraController::RecordingEnd::kNone:
        break;
    }
}

void CMainWnd::OpenImageFolder()
{
    std::string folder;
    if (!GetImageFolder(folder))
        return;
    // The desktop's file manager, without waiting for it.
    const char* argv[] = {"xdg-open", folder.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ) == 0) {
        // Reaped when it ends so no zombie is left behind.
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    }
}

int CMainWnd::OpenLocalCamera(int group, int index)
{
    if (group < 0 || index < 0)
        return kOpenNothing;
    BackToLive();
    SetCursor(DuiLib::UICURSOR_WAIT);
    KillTimer(TIMER_FPS);
    if (m_controller.IsRecording())
        StopRecordingAndReport();
    const bool opened = m_controller.OpenCamera(static_cast<unsigned>(group), static_cast<unsigned>(index));
    RefreshAdjustPanel();
    if (opened) {
        m_controller.GetCamera()->Play();
        SetTimer(TIMER_FPS, 1000);
        SetStatusResource("SB_READY");
        RefreshCalibrationForSize();
        SetCursor(DuiLib::UICURSOR_ARROW);
        return kOpened;
    }
    SetCursor(DuiLib::UICURSOR_ARROW);
    ShowMessageDialog(GetHWND(), GetLangText("STR_CAMERA_OPEN_FAILED"), "Message", 0, 48);
    return kOpenFailed;
}

int CMainWnd::OpenNetworkCamera(const std::wstring& address)
{
    BackToLive();
    SetCursor(DuiLib::UICURSOR_WAIT);
    KillTimer(TIMER_FPS);
    if (m_controller.IsRecording())
        StopRecordingAndReport();
    m_controller.CloseCamera();
    CMCameraBase* camera = CMFactory::GetCamera(address.c_str());
    const bool opened = camera && m_controller.OpenCamera(camera);
    RefreshAdjustPanel();
    SetCursor(DuiLib::UICURSOR_ARROW);
    if (opened) {
        m_controller.GetCamera()->Play();
        SetTimer(TIMER_FPS, 1000);
        SetStatusResource("SB_READY");
        RefreshCalibrationForSize();
        return kOpened;
    }
    ShowMessageDialog(GetHWND(), GetLangText("STR_CAMERA_OPEN_FAILED"), "Message", 0, 48);
    return kOpenFailed;
}

int CMainWnd::OpenWirelessFromDialog()
{
    std::wstring address;
    if (!AskWirelessAddress(GetHWND(), &address) || address.empty())
        return kOpenNothing;
    return OpenNetworkCamera(address);
}

void CMainWnd::CloseCamera()
{
    KillTimer(TIMER_FPS);
    if (m_conshotActive)
        StopContinuousShooting();
    if (m_controller.IsRecording())
        StopRecordingAndReport();
    m_controller.CloseCamera();
    if (m_statusRate)
        m_statusRate->SetText("00.00 fps");
}

void CMainWnd::OnCameraLost()
{
    // The camera went away (unplugged, or the wireless camera stopped
    // answering): finish a recording, close the camera and say so.
    if (!m_controller.IsCameraLost())
        return;
    if (m_conshotActive)
        StopContinuousShooting();
    std::string recorded;
    if (m_controller.IsRecording()) {
        StopRecordingAndReport();
        recorded = m_statusInfo ? m_statusInfo->GetText().GetData() : "";
    }
    CloseCamera();
    RefreshAdjustPanel();
    RebuildCameraList();
    const std::string lost = GetLangText("STR_CAMERA_DISCONNECTED");
    SetStatusText(recorded.empty() ? lost : lost + " " + recorded);
}

void CMainWnd::DeleteAllTools()
{
    if (m_render == nullptr || m_controller.GetPrimitiveCount() <= 0)
        return;
    if (ShowMessageDialog(
            GetHWND(), GetLangText("STR_SURE_REMOVE_ALL_TOOL"), GetLangText("STR_DELETE"), 1, 48)
        == 1)
        m_render->GetContainer().DeleteAll(true);
}

void CMainWnd::ExportCsv()
{
    if (m_render == nullptr || m_controller.GetPrimitiveCount() <= 0)
        return;
    const std::string path = AskSavePath(
        GetLangText("STR_SAVE_FILE").c_str(), {{"CSV files(*.csv)", "*.csv"}}, "results.csv", "csv");
    if (path.empty())
        return;
    const CaliDataStore& store = m_controller.GetCaliStore();
    const int index = GetAppConfig().CFG_CURCALIDATA;
    const std::string unit
        = index >= 0 && index < store.GetCount() ? CaliDataStore::GetUnitName(store.GetAt(index).unit) : "px";
    if (m_render->GetContainer().ExportCsv(Utf8ToWide(path), unit) == 0)
        SetStatusText(GetLangText("STR_SAVED_TO") + " " + path);
}

void CMainWnd::SaveScreenshot()
{
    const std::string path = AskSavePath(
        GetLangText("STR_SAVE_FILE").c_str(), {{"Image files(*.png)", "*.png"}}, "screenshot.png", "png");
    if (path.empty())
        return;
    if (m_controller.SaveRenderedImage(Utf8ToWide(path).c_str()))
        SetStatusText(GetLangText("STR_SAVED_TO") + " " + path);
    else
        SetStatusText(GetLangText("STR_SNAP_FAIL"));
}

LRESULT CMainWnd::OnMeasureMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // Sent with the preview's lock held: only the container and the list are
    // touched here, never the camera controller's lock.
    if (m_measureList == nullptr)
        return 0;
    const int row = static_cast<int>(wParam);
    switch (uMsg) {
    case WM_MEASURE_ADD: {
        m_measureAdapter.AddRow();
        m_measureList->Add(new DuiLib::CListTextElementUI);
        const int last = m_measureList->GetCount() - 1;
        m_measureList->SelectItem(last);
        m_measureList->EnsureVisible(last);
        break;
    }
    case WM_MEASURE_REMOVE:
        if (row >= 0 && row < m_measureAdapter.GetRowCount())
            m_measureAdapter.RemoveRow(row);
        if (row >= 0 && row < m_measureList->GetCount())
            m_measureList->RemoveAt(row);
        m_measureList->Invalidate();
        break;
    case WM_MEASURE_CLEAR:
        m_measureAdapter.Clear();
        m_measureList->RemoveAll();
        m_measureList->Invalidate();
        break;
    case WM_MEASURE_UPDATE: {
        const MeasureResult result = m_render ? m_render->GetContainer().GetResult(row) : MeasureResult();
        if (lParam == 1) {
            if (DuiLib::CControlUI* label = m_PaintManager.FindControl("CaliEdtPixLen")) {
                char text[32];
                std::snprintf(text, sizeof(text), "%.2f", static_cast<double>(result.length));
                label->SetText(text);
            }
            UpdateCalibrationValue();
        } else if (row >= 0 && row < m_measureList->GetCount() && row < m_measureAdapter.GetRowCount()) {
            m_measureAdapter.SetRow(row, result);
            m_measureList->Invalidate();
            m_measureList->SelectItem(row);
            m_measureList->EnsureVisible(row);
        }
        break;
    }
    default:
        break;
    }
    return 0;
}

LRESULT CMainWnd::OnClose(UINT, WPARAM, LPARAM, bool& bHandled)
{
    if (GetAppConfig().CFG_EXITPROMPT == 0 && !m_closeWithoutAsking
        && ShowMessageDialog(GetHWND(), GetLangText("STR_SURE_TO_EXIT"), GetLangText("STR_EXIT_APP"), 1, 32)
            != 1) {
        bHandled = true;  // the window stays, with its camera and recording
        return 0;
    }
    if (m_deviceMonitor)
        m_deviceMonitor.reset();
    if (m_conshotActive)
        StopContinuousShooting();
    if (m_render) {
        m_render->Detach();
        m_controller.SetRenderControl(nullptr, nullptr);
    }
    m_renderSurface.Destroy();
    if (m_controller.GetCamera())
        CloseCamera();
    m_cameraList.reset();
    std::string folder;
    int result = m_controller.GetCaliStore().GetCaliConfigPath(folder);
    if (result == 0)
        result = m_controller.GetCaliStore().SaveCaliConfig(folder);
    ShowErrorCode(result, GetHWND());
    ClearStringTable();
    bHandled = false;
    return 0;
}

std::string CMainWnd::AskSavePath(const char* title,
    const std::vector<std::pair<std::string, std::string>>& filters, const std::string& prefill,
    const std::string& defaultExt)
{
    DuiLib::TFileDialogOptions options;
    options.kind = DuiLib::TFileDialogOptions::Save;
    options.title = title;
    for (const auto& [description, pattern] : filters)
        options.filters.push_back(DuiLib::TFileFilter{description.c_str(), pattern.c_str()});
    options.fileName = prefill.c_str();
    options.defaultExt = defaultExt.c_str();
    options.overwritePrompt = true;
    std::string folder;
    if (GetImageFolder(folder))
        options.initialDir = folder.c_str();
    DuiLib::CDuiString path;
    if (!DuiLib::CFileDialog::Show(GetHWND(), options, path))
        return std::string();
    return path.GetData();
}

}  // namespace kelvara
