#pragma once
// The program's only top-level window, built from "xmls\mainwnd.xml": the
// live preview with its tool bar, the camera list and adjustment drawers,
// the measure and calibration pages, the result list and the status bar. It
// owns the camera controller and routes every notification, menu command
// and window message of the program.
//
// Threads and locks:
// - Every member runs on the UI thread, which created the window.
// - The measurement messages (WM_MEASURE_ADD/REMOVE/CLEAR/UPDATE) arrive by
//   synchronous send from the preview's mouse handling while the preview's
//   lock is held. Their handlers never take the camera controller's lock and
//   never call SaveRenderedImage: the camera thread takes the preview's lock
//   inside the controller's lock, so either would risk a deadlock.
// - Commands that take the controller's lock on the UI thread (recording
//   start and stop, closing the camera) do so outside any preview lock.
// - WM_DEVICECHANGE is posted from the device monitor's thread.

#include "app/capture/CCameraController.h"
#include "app/capture/PictureFile.h"
#include "app/measure/CaliDataListAdapter.h"
#include "app/measure/MeasureListAdapter.h"
#include "app/measure/SFPrimitiveContainer.h"
#include "app/shell/CameraListAdapter.h"
#include "app/view/CPreviewChildWindow.h"
#include "platform/duilib/UIlib.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kelvara {

class CDeviceMonitor;
class CImageRenderUI;

// Posted (from any thread) when the program is asked to end, by a signal
// for example: the window closes without the exit question, finishing a
// recording and saving the calibrations as on any close.
constexpr UINT WM_TERMINATE_REQUEST = WM_USER + 202;

// Posted to itself after a drawer header's click: the headers follow the drawers.
constexpr UINT WM_SYNC_DRAWER_HEADERS = WM_USER + 203;

// Main-window timers.
constexpr UINT TIMER_FPS = 1001;
constexpr UINT TIMER_CONSHOT = 1002;

// One row of the slider table: slider, value label (may be null), property.
struct SliderBinding
{
    const char* slider;
    const char* label;
    tagCMProperty property;
};
constexpr int kSliderBindingCount = 14;
extern const SliderBinding SliderBindingTable[kSliderBindingCount];

// The measure-page controls and the tool number each selects.
struct MeasureToolBinding
{
    const char* control;
    int mode;
};
extern const MeasureToolBinding MeasureToolTable[];
extern const int kMeasureToolCount;

class CMainWnd : public DuiLib::WindowImplBase, public DuiLib::IQueryControlText
{
public:
    CMainWnd();
    ~CMainWnd() override;

    // Results of OpenLocalCamera / OpenNetworkCamera.
    enum OpenResult
    {
        kOpened = 0,
        kOpenFailed = 1,
        kOpenNothing = 2,
    };

    // The text of a resource id (the string table).
    DuiLib::CDuiString QueryControlText(const char* id, const char* type) override;

    CCameraController& GetController() { return m_controller; }
    CImageRenderUI* GetRenderControl() const { return m_render; }
    CameraListAdapter* GetCameraListAdapter() const { return m_cameraList.get(); }
    bool IsFullscreen() const { return m_fullscreen; }
    bool IsContinuousShooting() const { return m_conshotActive; }
    const std::string& GetOpenDrawer() const { return m_openDrawer; }
    // The popup menu shown last (it may have closed since), or null.
    DuiLib::CMenuWnd* GetMenu() const { return m_menu.get(); }
    int GetTwoCirclesMode() const { return m_twoCirclesMode; }
    DuiLib::CControlUI* Find(const char* name) const { return m_PaintManager.FindControl(name); }

    // Opens camera `index` of device group `group` (see Part of the factory's
    // enumeration); kOpenNothing for a negative argument.
    int OpenLocalCamera(int group, int index);
    // Opens the wireless camera at address (host[:port]).
    int OpenNetworkCamera(const std::wstring& address);
    // Stops a recording and closes the camera.
    void CloseCamera();
    // Lists the attached cameras anew, highlighting the open one.
    void RebuildCameraList();
    // Reads every control of the camera panel from the open camera.
    void RefreshAdjustPanel();
    // Shows drawer container `name` (one at a time); see the window's rules.
    void OpenDrawer(const std::string& name, bool forceOpen);
    // Selects exactly the header of the open drawer.
    void SyncDrawerHeaders();
    void ToggleFullscreen();
    // What the preview shows in place of the live picture.
    enum class HeldPicture
    {
        kNone,  // the live picture
        kFrozen,  // a live frame, held for measuring
        kFile,  // a picture file
    };
    HeldPicture GetHeldPicture() const { return m_held; }
    // Shows a TIFF, PNG, BMP or JPEG file in place of the live picture (the
    // camera keeps running); false, with a message, when it cannot be read.
    bool OpenPictureFile(const std::string& path);
    // Freezes the live picture, or returns to live when frozen.
    void ToggleFreeze();
    // Back to the camera's picture with the live measurements as they were.
    void BackToLive();
    void SetScaleBarShown(bool shown);
    void SetScaleBarCorner(int corner);
    // The calibration that applies to what is shown: units per picture pixel and unit code.
    double GetActiveScaleValue() const { return m_scaleValue; }
    int GetActiveScaleUnit() const { return m_scaleUnit; }
    // Status-bar message (plain text).
    void SetStatusText(const std::string& text);
    // Status-bar message from the string table (follows the language).
    void SetStatusResource(const char* id);

protected:
    DuiLib::CDuiString GetSkinFile() override { return "xmls\\mainwnd.xml"; }
    const char* GetWindowClassName() const override { return "MainWnd"; }
    DuiLib::CControlUI* CreateControl(const char* pstrClass) override;
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;

private:
    void CacheControls();
    void OnWindowInit();
    void OnFirstFocus();
    void OnSelectChanged(DuiLib::TNotifyUI& msg);
    void OnItemSelect(DuiLib::TNotifyUI& msg);
    void OnClickCommand(DuiLib::TNotifyUI& msg);
    void OnSliderChanged(DuiLib::TNotifyUI& msg, bool released);
    void OnCameraLink(DuiLib::TNotifyUI& msg);
    void OnTimerFps();
    void UpdateValueLabel(int row, int value);
    void ResetToDefaults();
    void UpdateCalibrationValue();
    // Units per picture pixel for the typed physical length of the
    // calibration line; -1 unless both lengths are positive.
    double CalibrationValue(const std::string& typedLength) const;
    void RefreshMeasureRows();
    void LeaveFullscreen();
    void ApplyFrameForFullscreen();

    // Commands (CMainWndCommands.cpp).
    void Snap();
    void StartContinuousShooting();
    void StopContinuousShooting();
    void OnConshotTick();
    void OnRecordToggle(bool start);
    void StopRecordingAndReport();
    void SetCaptureControlsEnabled(bool enabled);
    void OpenImageFolder();
    void ShowMainMenu(DuiLib::CControlUI* anchor);
    void ShowSnapMenu(DuiLib::CControlUI* anchor);
    void ShowTwoCirclesMenu(DuiLib::CControlUI* anchor);
    void OnMenuClick(const DuiLib::MenuCmd& cmd);
    void SwitchLanguage(int index);
    void DeleteAllTools();
    void ExportCsv();
    void SaveScreenshot();
    void EnterCalibrationPage();
    void LeaveCalibrationPage();
    void RebuildCaliRows();
    void AddCalibration();
    void DeleteCalibration();
    void BackupCalibrations();
    void RestoreCalibrations();
    void OnCameraLost();
    // Held pictures and the scale bar (CMainWndPicture.cpp).
    void OpenPicture();
    bool HeldPictureAllowed();
    void EnterHeldPicture(bool fromLive);
    std::vector<DuiLib::CControlUI*> LiveOnlyControls() const;
    bool SaveHeldPicture(const std::string& path);
    void RebuildMeasureRows();
    bool IsEditFocused() const;
    bool CurrentPictureSize(int* width, int* height) const;
    // Applies the calibration of what is shown (the file's own scale, else
    // the selected calibration) to the measurements and the scale bar.
    void ApplyActiveScale();
    void FillScaleBarControls();
    // The calibration list and the applied calibration for the current picture size.
    void RefreshCalibrationForSize();
    // Says in the status bar how a calibration made at another size applies (kind: CaliFit::Kind).
    void ReportCalibrationFit(const CaliData& entry, int kind, int width, int height);
    int OpenWirelessFromDialog();
    LRESULT OnMeasureMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    DuiLib::CMenuWnd* NewMenu();
    POINT MenuAnchor(DuiLib::CControlUI* control);
    // The save dialog; "" when cancelled.
    std::string AskSavePath(const char* title,
        const std::vector<std::pair<std::string, std::string>>& filters, const std::string& prefill,
        const std::string& defaultExt);
    std::string AskOpenPath(
        const char* title, const std::vector<std::pair<std::string, std::string>>& filters);

    int m_conshotTaken = 0;
    bool m_conshotActive = false;
    bool m_renderSurfaceCreated = false;
    bool m_fullscreen = false;
    bool m_windowInitDone = false;
    bool m_closeWithoutAsking = false;  // set by WM_TERMINATE_REQUEST

    CCameraController m_controller;

    CImageRenderUI* m_render = nullptr;
    DuiLib::COptionUI* m_btnCapture = nullptr;
    DuiLib::CButtonUI* m_btnCaptureSet = nullptr;
    DuiLib::COptionUI* m_btnRecord = nullptr;
    DuiLib::CTabLayoutUI* m_tabList = nullptr;
    DuiLib::CControlUI* m_mainLayout = nullptr;
    DuiLib::CComboUI* m_comboPreviewSize = nullptr;
    DuiLib::CComboUI* m_comboPreviewFormat = nullptr;
    DuiLib::CComboUI* m_comboColorMode = nullptr;
    DuiLib::CComboUI* m_comboPowerFreq = nullptr;
    DuiLib::CComboUI* m_comboCaliList = nullptr;
    DuiLib::CComboUI* m_comboCaliUnit = nullptr;
    DuiLib::COptionUI* m_optMirror = nullptr;
    DuiLib::COptionUI* m_optFlip = nullptr;
    DuiLib::CLabelUI* m_statusInfo = nullptr;
    DuiLib::CLabelUI* m_statusRate = nullptr;
    DuiLib::CListUI* m_measureList = nullptr;
    DuiLib::CListUI* m_caliList = nullptr;
    DuiLib::CListUI* m_cameraListUI = nullptr;
    DuiLib::CSliderUI* m_sliders[kSliderBindingCount] = {};
    DuiLib::CLabelUI* m_valueLabels[kSliderBindingCount] = {};

    MeasureListAdapter m_measureAdapter;
    std::unique_ptr<CaliDataListAdapter> m_caliAdapter;
    std::unique_ptr<CameraListAdapter> m_cameraList;
    CPreviewChildWindow m_renderSurface;
    std::unique_ptr<CDeviceMonitor> m_deviceMonitor;

    std::unique_ptr<DuiLib::CMenuWnd> m_menu;  // the open popup menu, at most one
    DuiLib::MenuCheckMap m_mainMenuChecks;
    DuiLib::MenuCheckMap m_snapMenuChecks;
    DuiLib::MenuCheckMap m_twoCirclesChecks;

    std::string m_openDrawer;
    int m_twoCirclesMode = 0;

    HeldPicture m_held = HeldPicture::kNone;
    std::vector<uint8_t> m_heldPixels;  // R,G,B,A of the held picture
    int m_heldWidth = 0;
    int m_heldHeight = 0;
    std::string m_heldPath;  // the file shown, if any
    capture::PictureFileScale m_heldScale;  // the scale the file records
    SFPrimitiveContainer::PrimitiveList m_liveMeasurements;  // while a file is shown
    std::vector<bool> m_liveControlsEnabled;  // LiveOnlyControls' states before holding
    bool m_snapEnabledWhenLive = false;  // the snap button's state before holding
    std::string m_lastFitReported;  // calibration and size last reported
    double m_scaleValue = 1.0;
    int m_scaleUnit = 0;
};

}  // namespace kelvara
