#include "app/shell/CMainWnd.h"

#include "app/shell/AppConfig.h"
#include "app/shell/StringTable.h"
#include "app/view/CImageRenderUI.h"
#include "camera_module/CMFactory.h"
#include "platform/duilib/UIWindowMessages.h"
#include "platform/system/DeviceMonitor.h"

#include <SFML/Graphics/Texture.hpp>
#include <SFML/Window/Context.hpp>

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace kelvara {

const SliderBinding SliderBindingTable[kSliderBindingCount] = {
    {"AdjustSldBrightness", "AdjustValBrightness", CM_PROP_BRIGHTNESS},
    {"AdjustSldContrast", "AdjustValContrast", CM_PROP_CONTRAST},
    {"AdjustSldHue", "AdjustValHue", CM_PROP_HUE},
    {"AdjustSldSaturation", "AdjustValSaturation", CM_PROP_SATURATION},
    {"AdjustSldSharpness", "AdjustValSharpness", CM_PROP_SHARPNESS},
    {"AdjustSldTemperature", "AdjustValTemperature", CM_PROP_WB_TEMPERATURE},
    {"AdjustSldRGain", "AdjustValRGain", CM_PROP_RED_GAIN},
    {"AdjustSldGGain", "AdjustValGGain", CM_PROP_GREEN_GAIN},
    {"AdjustSldBGain", "AdjustValBGain", CM_PROP_BLUE_GAIN},
    {"AdjustSldGain", "AdjustValGain", CM_PROP_GAIN},
    {"AdjustSldExpTarget", nullptr, CM_PROP_AE_TARGET},
    {"AdjustSldExpTime", "AdjustValExpTime", CM_PROP_EXPOSURE},
    {"AdjustSldGamma", "AdjustValGamma", CM_PROP_GAMMA},
    {"AdjustSldDenoise", "AdjustValDenoise", CM_PROP_DENOISE},
};

namespace {

constexpr int kCaptionHeight = 26;
// Posted after "windowinit": makes the render surface when no control took
// the first focus (a window without tab stops sends no "setfocus").
constexpr UINT WM_FIRST_SHOW = WM_USER + 201;
constexpr int kSizeBorder = 6;

bool NameIs(const DuiLib::TNotifyUI& msg, const char* name)
{
    return msg.pSender && msg.pSender->GetName() == name;
}

template <typename T> T* FindAs(DuiLib::CPaintManagerUI& manager, const char* name, const char* iface)
{
    DuiLib::CControlUI* control = manager.FindControl(name);
    if (control == nullptr) {
        std::fprintf(stderr, "main window: no control '%s' in the skin\n", name);
        return nullptr;
    }
    auto* typed = static_cast<T*>(control->GetInterface(iface));
    if (typed == nullptr)
        std::fprintf(stderr, "main window: control '%s' is not a %s\n", name, iface);
    return typed;
}

// The graphics driver stays loaded while the program runs, whatever the
// preview does with its own contexts.
void KeepGlContext()
{
    static sf::Context* const context = new sf::Context;
    context->setActive(false);
}

}  // namespace

CMainWnd::CMainWnd() = default;

CMainWnd::~CMainWnd()
{
    SetLanguageChangedHook(nullptr);
    if (DuiLib::CResourceManager::GetInstance()->GetTextQueryInterface() == this)
        DuiLib::CResourceManager::GetInstance()->SetTextQueryInterface(nullptr);
}

DuiLib::CDuiString CMainWnd::QueryControlText(const char* id, const char*)
{
    return GetLangText(id ? id : "");
}

DuiLib::CControlUI* CMainWnd::CreateControl(const char* pstrClass)
{
    if (strcasecmp(pstrClass, "ImageRender") == 0)
        return new CImageRenderUI();
    return nullptr;
}

void CMainWnd::InitWindow()
{
    DuiLib::CResourceManager::GetInstance()->SetTextQueryInterface(this);
    SetLanguageChangedHook([this] {
        m_PaintManager.Invalidate();
        m_PaintManager.NeedUpdate();
    });
    SetLanguage(GetAppConfig().CFG_LANGUAGE);
    CenterWindow();
    SetIcon(104);
    if (DuiLib::CControlUI* caption = m_PaintManager.FindControl("caption"))
        caption->SetText("Kelvara");
    if (DuiLib::CControlUI* icon = m_PaintManager.FindControl("Icon_Titlebar"))
        icon->SetBkImage("ui\\logo_icon_vetra.png");
    CacheControls();

    m_controller.SetRenderControl(m_render, &m_PaintManager);
    if (m_render) {
        KeepGlContext();
        m_render->LoadResources();
        std::printf("max texture: %d\n", static_cast<int>(sf::Texture::getMaximumSize()));
        std::fflush(stdout);
    }
    m_cameraList = std::make_unique<CameraListAdapter>(m_cameraListUI);
    for (int row = 0; row < kSliderBindingCount; ++row) {
        if (m_sliders[row])
            m_sliders[row]->SetTag(static_cast<uintptr_t>(row));
    }
    if (m_measureList)
        m_measureList->SetTextCallback(&m_measureAdapter);
    m_caliAdapter = std::make_unique<CaliDataListAdapter>(&m_controller.GetCaliStore());
    if (m_caliList)
        m_caliList->SetTextCallback(m_caliAdapter.get());

    HWND self = GetHWND();
    m_deviceMonitor = std::make_unique<CDeviceMonitor>(
        [self](bool arrived) { ::PostMessage(self, WM_DEVICECHANGE, arrived ? 0x8000 : 0x8004, 0); });
    m_deviceMonitor->Start();
}

void CMainWnd::CacheControls()
{
    auto& pm = m_PaintManager;
    DuiLib::CControlUI* render = pm.FindControl("ImageRenderView");
    m_render = render ? static_cast<CImageRenderUI*>(render->GetInterface("ImageRender")) : nullptr;
    m_btnCapture = FindAs<DuiLib::COptionUI>(pm, "ToolbarBtnCapture", "Option");
    m_btnCaptureSet = FindAs<DuiLib::CButtonUI>(pm, "ToolbarBtnCaptureSet", "Button");
    m_btnRecord = FindAs<DuiLib::COptionUI>(pm, "ToolbarBtnRecord", "Option");
    m_tabList = FindAs<DuiLib::CTabLayoutUI>(pm, "MainTabList", "TabLayout");
    m_mainLayout = pm.FindControl("MainWnd");
    m_comboPreviewSize = FindAs<DuiLib::CComboUI>(pm, "combo_preview_size", "Combo");
    m_comboPreviewFormat = FindAs<DuiLib::CComboUI>(pm, "combo_preview_format", "Combo");
    m_comboColorMode = FindAs<DuiLib::CComboUI>(pm, "combo_color_mode", "Combo");
    m_comboPowerFreq = FindAs<DuiLib::CComboUI>(pm, "combo_power_freq", "Combo");
    m_comboCaliList = FindAs<DuiLib::CComboUI>(pm, "ComboCaliDataList", "Combo");
    m_comboCaliUnit = FindAs<DuiLib::CComboUI>(pm, "ComboCaliPhyLenUnit", "Combo");
    m_optMirror = FindAs<DuiLib::COptionUI>(pm, "AdjustOptionMirror", "Option");
    m_optFlip = FindAs<DuiLib::COptionUI>(pm, "AdjustOptionFlip", "Option");
    m_statusInfo = FindAs<DuiLib::CLabelUI>(pm, "StatusBarLabelInfo", "Label");
    m_statusRate = FindAs<DuiLib::CLabelUI>(pm, "StatusbarLabelRate", "Label");
    m_measureList = FindAs<DuiLib::CListUI>(pm, "MeasureDataList", "List");
    m_caliList = FindAs<DuiLib::CListUI>(pm, "CaliDataList", "List");
    m_cameraListUI = FindAs<DuiLib::CListUI>(pm, "CameraList", "List");
    for (int row = 0; row < kSliderBindingCount; ++row) {
        m_sliders[row] = FindAs<DuiLib::CSliderUI>(pm, SliderBindingTable[row].slider, "Slider");
        m_valueLabels[row] = SliderBindingTable[row].label
            ? FindAs<DuiLib::CLabelUI>(pm, SliderBindingTable[row].label, "Label")
            : nullptr;
    }
}

void CMainWnd::OnWindowInit()
{
    m_windowInitDone = true;
    RebuildCameraList();
    RefreshAdjustPanel();
    // A new user sees what to do first.
    if (m_controller.GetCamera() == nullptr)
        SetStatusResource("STR_CHOOSE_CAMERA");
    std::string path;
    if (m_controller.GetCaliStore().GetCaliConfigPath(path) == 0)
        m_controller.GetCaliStore().LoadCaliConfig(path);
    m_controller.FillCalibrationList(m_comboCaliList, GetAppConfig().CFG_CURCALIDATA);
    FillScaleBarControls();
    ApplyActiveScale();
    PostMessage(WM_FIRST_SHOW);
}

void CMainWnd::OnFirstFocus()
{
    m_renderSurfaceCreated = true;
    if (m_render && m_renderSurface.Create(GetHWND()))
        m_render->Attach(&m_renderSurface);
    SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
}

void CMainWnd::Notify(DuiLib::TNotifyUI& msg)
{
    const DuiLib::CDuiString& type = msg.sType;
    if (type == "windowinit") {
        OnWindowInit();
    } else if (type == "setfocus") {
        if (!m_renderSurfaceCreated)
            OnFirstFocus();
    } else if (type == "selectchanged") {
        if (m_tabList)
            OnSelectChanged(msg);
    } else if (type == "itemselect") {
        OnItemSelect(msg);
    } else if (type == "click") {
        OnClickCommand(msg);
    } else if (type == "valuechanged" || type == "movevaluechanged") {
        OnSliderChanged(msg, type == "valuechanged");
    } else if (type == "textchanged") {
        if (NameIs(msg, "CaliEdtPhyLen"))
            UpdateCalibrationValue();
    } else if (type == "link") {
        OnCameraLink(msg);
    }
    // The sender may be gone after a command (a rebuilt list); the toolkit's
    // own handling only needs the system buttons.
    if (type == "click" && msg.pSender) {
        const DuiLib::CDuiString name = msg.pSender->GetName();
        if (name == "closebtn" || name == "minbtn" || name == "maxbtn" || name == "restorebtn")
            WindowImplBase::Notify(msg);
    }
}

void CMainWnd::OnSelectChanged(DuiLib::TNotifyUI& msg)
{
    CMCameraBase* camera = m_controller.GetCamera();
    auto* option = static_cast<DuiLib::COptionUI*>(msg.pSender->GetInterface("Option"));
    bool selected = option && option->IsSelected();
    if (NameIs(msg, "ToolbarBtnRecord")) {
        OnRecordToggle(selected);
    } else if (NameIs(msg, "MainTabOptCamera") && selected) {
        m_tabList->SelectItem(0);
    } else if (NameIs(msg, "MainTabOptMeasure") && selected) {
        m_tabList->SelectItem(1);
    } else if (NameIs(msg, "MainTabOptTest") && selected) {
        m_tabList->SelectItem(2);
    } else if (NameIs(msg, "AdjustOptionMirror") || NameIs(msg, "AdjustOptionFlip")) {
        if (camera)
            m_controller.SetCameraProperty(
                NameIs(msg, "AdjustOptionMirror") ? CM_PROP_MIRROR : CM_PROP_FLIP, selected ? 1.0 : 0.0, 1);
    } else if (NameIs(msg, "AdjustOptionAE")) {
        if (camera) {
            DuiLib::CSliderUI* time = m_sliders[11];
            camera->SetProperty(CM_PROP_EXPOSURE, time ? time->GetValue() : 0, selected ? 1 : 0);
            if (time)
                time->SetEnabled(!selected);
            if (m_sliders[10])
                m_sliders[10]->SetEnabled(selected);
        }
    } else if (NameIs(msg, "AdjustOptionAWB")) {
        if (camera) {
            camera->SetProperty(CM_PROP_WHITE_BALANCE, 0.0, selected ? 1 : 0);
            for (int row : {5, 6, 7, 8}) {
                if (m_sliders[row])
                    m_sliders[row]->SetEnabled(!selected);
            }
        }
    } else if (NameIs(msg, "StatusbarBtnOutput")) {
        if (DuiLib::CControlUI* bar = m_PaintManager.FindControl("OutputBar"))
            bar->SetVisible(selected && !m_fullscreen);
    } else if (NameIs(msg, "MeasureOptScaleBar")) {
        SetScaleBarShown(selected);
    }
}

void CMainWnd::OnItemSelect(DuiLib::TNotifyUI& msg)
{
    int index = static_cast<int>(msg.wParam);
    CMCameraBase* camera = m_controller.GetCamera();
    if (NameIs(msg, "combo_preview_format")) {
        m_controller.SetImageFormatByIndex(static_cast<unsigned>(index));
        m_controller.FillPreviewSizeList(m_comboPreviewSize);
    } else if (NameIs(msg, "combo_preview_size")) {
        m_controller.SetPreviewSizeByIndex(static_cast<unsigned>(index));
        // The calibration follows the new size.
        RefreshCalibrationForSize();
    } else if (NameIs(msg, "combo_color_mode") || NameIs(msg, "combo_power_freq")) {
        if (camera == nullptr)
            return;
        tagCMProperty property = NameIs(msg, "combo_color_mode") ? CM_PROP_COLOR_MODE : CM_PROP_POWER_FREQ;
        std::vector<int> values;
        camera->GetPropertyRangeEnumInt(property, values);
        if (index >= 0 && index < static_cast<int>(values.size()))
            camera->SetProperty(property, values[static_cast<size_t>(index)], 1);
    } else if (NameIs(msg, "ComboCaliDataList")) {
        GetAppConfig().CFG_CURCALIDATA = index;
        CaliDataStore& store = m_controller.GetCaliStore();
        if (index >= 0 && index < store.GetCount()) {
            if (DuiLib::CControlUI* unit = m_PaintManager.FindControl("CaliDataListUnit"))
                unit->SetText(CaliDataStore::GetUnitName(store.GetAt(index).unit));
        }
        ApplyActiveScale();
    } else if (NameIs(msg, "ComboScaleBarCorner")) {
        SetScaleBarCorner(index);
    } else if (NameIs(msg, "ComboCaliPhyLenUnit")) {
        GetAppConfig().CFG_CURPHYUNIT = index;
        if (DuiLib::CControlUI* unit = m_PaintManager.FindControl("CaliEdtCaliUnit"))
            unit->SetText((std::string(CaliDataStore::GetUnitName(index)) + "/px").c_str());
    }
}

void CMainWnd::OnCameraLink(DuiLib::TNotifyUI& msg)
{
    // The sender is the entry's label; the entry (its parent) carries the tag.
    DuiLib::CControlUI* entry = msg.pSender ? msg.pSender->GetParent() : nullptr;
    if (entry == nullptr || m_cameraList == nullptr)
        return;
    uintptr_t tag = entry->GetTag();
    int row = static_cast<int>(tag >> 16);
    int result = kOpenNothing;
    if (CameraListAdapter::IsWirelessTag(tag)) {
        result = OpenWirelessFromDialog();
    } else {
        int group = 0;
        int index = 0;
        CameraListAdapter::SplitTag(tag, &group, &index);
        result = OpenLocalCamera(group, index);
    }
    if (result == kOpened) {
        m_cameraList->Highlight(row);
        OpenDrawer("drawerPreviewResolution", true);
    } else if (result == kOpenFailed) {
        m_cameraList->Highlight(-1);
    }
}

void CMainWnd::RebuildCameraList()
{
    if (m_cameraList == nullptr)
        return;
    std::vector<_tag_VideoDeviceList> groups;
    CMFactory::GetVideoDeviceList(&groups);
    int vid = -1;
    int pid = -1;
    if (CMCameraBase* camera = m_controller.GetCamera()) {
        _tag_VideoDeviceInfo info = camera->GetDeviceInfo();
        vid = info.vid;
        pid = info.pid;
    }
    m_cameraList->Rebuild(groups, vid, pid);
}

void CMainWnd::SetStatusResource(const char* id)
{
    if (m_statusInfo) {
        m_statusInfo->SetResourceText(true);
        m_statusInfo->SetText(id);
        m_statusInfo->SetToolTip("");
    }
}

void CMainWnd::SetStatusText(const std::string& text)
{
    if (m_statusInfo) {
        m_statusInfo->SetResourceText(false);
        m_statusInfo->SetText(text.c_str());
        m_statusInfo->SetToolTip(text.c_str());
    }
}

void CMainWnd::OnTimerFps()
{
    if (m_controller.IsCameraLost()) {
        OnCameraLost();
        return;
    }
    // A recording that can take no more frames (a full disk, frames of
    // another size) is finished now, and the user told.
    if (m_controller.IsRecordingBroken())
        StopRecordingAndReport();
    CMCameraBase* camera = m_controller.GetCamera();
    if (camera == nullptr || m_statusRate == nullptr)
        return;
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f fps", static_cast<double>(camera->GetFrameRate()));
    if (m_statusRate->GetText() != text)
        m_statusRate->SetText(text);
}

LRESULT CMainWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    bHandled = false;
    const bool control = (static_cast<unsigned>(lParam) & MK_CONTROL) != 0;
    if (wParam == VK_RETURN) {
        // Enter snaps; the focused button is not pressed as well.
        bHandled = true;
        Snap();
    } else if (wParam == 'O' && control) {
        bHandled = true;
        OpenPicture();
    } else if (wParam == VK_SPACE && !control && !IsEditFocused()) {
        // The window's key: not also a press of the focused button.
        bHandled = true;
        ToggleFreeze();
    } else if (wParam == 'B' && !control && !IsEditFocused()) {
        bHandled = true;
        SetScaleBarShown(GetAppConfig().CFG_SCALEBAR == 0);
    } else if (wParam == VK_F9) {
        if (m_btnRecord && m_btnRecord->IsEnabled())
            m_btnRecord->Selected(!m_btnRecord->IsSelected());
    } else if (wParam == VK_F11) {
        ToggleFullscreen();
    }
    return 0;
}

LRESULT CMainWnd::ResponseDefaultKeyEvent(WPARAM wParam)
{
    if (wParam == VK_ESCAPE && m_fullscreen)
        LeaveFullscreen();
    else if (wParam == VK_ESCAPE)
        BackToLive();
    // Escape never closes the main window; Enter goes on to the key handler.
    return 0;
}

LRESULT CMainWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    bHandled = true;
    switch (uMsg) {
    case WM_MEASURE_ADD:
    case WM_MEASURE_REMOVE:
    case WM_MEASURE_CLEAR:
    case WM_MEASURE_UPDATE:
        return OnMeasureMessage(uMsg, wParam, lParam);
    case WM_LEAVE_FULLSCREEN:
        LeaveFullscreen();
        return 0;
    case WM_SYNC_DRAWER_HEADERS:
        SyncDrawerHeaders();
        return 0;
    case WM_TERMINATE_REQUEST:
        m_closeWithoutAsking = true;
        Close(IDOK);
        return 0;
    case WM_FIRST_SHOW:
        if (!m_renderSurfaceCreated)
            OnFirstFocus();
        return 0;
    case WM_MENUCLICK: {
        auto* record = reinterpret_cast<DuiLib::MenuCmd*>(wParam);
        if (record) {
            DuiLib::MenuCmd cmd = *record;
            DuiLib::CPaintManagerUI::DeletePtr(record);
            OnMenuClick(cmd);
        }
        return 0;
    }
    case WM_DEVICECHANGE:
        if (wParam == 7 || wParam == 0x8000 || wParam == 0x8004) {
            RebuildCameraList();
            OnCameraLost();
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_FPS) {
            OnTimerFps();
            return 0;
        }
        if (wParam == TIMER_CONSHOT) {
            OnConshotTick();
            return 0;
        }
        break;
    default:
        break;
    }
    bHandled = false;
    return 0;
}

}  // namespace kelvara
