// The calibration page of the main window: the stored calibrations, making
// a new one from the calibration line, deleting, backing up and restoring.
#include "app/shell/CMainWnd.h"

#include "platform/system/DeviceMonitor.h"

#include "app/shell/AppConfig.h"
#include "app/shell/ShellDialogs.h"
#include "app/shell/StringTable.h"
#include "app/view/CImageRenderUI.h"

#include <cmath>
#include <cstdlib>

namespace kelvara {

namespace {

const std::vector<std::pair<std::string, std::string>> kIniFilter
    = {{"Configuration Files(*.ini) ", "*.ini"}};

void ShowPage(DuiLib::CPaintManagerUI& pm, const char* name, bool show)
{
    if (DuiLib::CControlUI* page = pm.FindControl(name))
        page->SetVisible(show);
}

}  // namespace

void CMainWnd::RebuildCaliRows()
{
    if (m_caliList == nullptr)
        return;
    m_caliList->RemoveAll();
    for (int i = 0; i < m_controller.GetCaliStore().GetCount(); ++i)
        m_caliList->Add(new DuiLib::CListTextElementUI);
    m_caliList->Invalidate();
}

void CMainWnd::EnterCalibrationPage()
{
    ShowPage(m_PaintManager, "PageMeasureCalibration", true);
    ShowPage(m_PaintManager, "PageMeasureNormal", false);
    if (DuiLib::CControlUI* tab = m_PaintManager.FindControl("MainTabOptCamera"))
        tab->SetEnabled(false);
    RebuildCaliRows();
    m_controller.FillUnitList(m_comboCaliUnit, GetAppConfig().CFG_CURPHYUNIT);
    if (m_render)
        m_render->GetContainer().SetCalibrationMode(true);
}

void CMainWnd::LeaveCalibrationPage()
{
    if (m_render)
        m_render->GetContainer().SetCalibrationMode(false);
    ShowPage(m_PaintManager, "PageMeasureNormal", true);
    ShowPage(m_PaintManager, "PageMeasureCalibration", false);
    if (DuiLib::CControlUI* tab = m_PaintManager.FindControl("MainTabOptCamera"))
        tab->SetEnabled(true);
    m_controller.FillCalibrationList(m_comboCaliList, GetAppConfig().CFG_CURCALIDATA);
}

void CMainWnd::AddCalibration()
{
    DuiLib::CControlUI* nameEdit = m_PaintManager.FindControl("CaliEdtName");
    DuiLib::CControlUI* lengthEdit = m_PaintManager.FindControl("CaliEdtPhyLen");
    if (nameEdit == nullptr || lengthEdit == nullptr)
        return;
    const std::string name = nameEdit->GetText().GetData();
    const double value = CalibrationValue(lengthEdit->GetText().GetData());
    if (name.empty() || value <= 0) {
        ShowMessageDialog(GetHWND(), GetLangText("STR_ERROR_INPUT"), GetLangText("STR_MESSAGE"), 0, 48);
        return;
    }
    CaliData entry;
    entry.name = name;
    entry.value = static_cast<float>(value);
    entry.unit = m_comboCaliUnit ? m_comboCaliUnit->GetCurSel() : 0;
    // The picture size it is made at, so other sizes can be scaled from it.
    int width = 0;
    int height = 0;
    if (CurrentPictureSize(&width, &height)) {
        entry.width = width;
        entry.height = height;
    }
    const int result = m_caliAdapter ? m_caliAdapter->Add(entry) : 2;
    if (result == 1) {
        ShowMessageDialog(
            GetHWND(), GetLangText("STR_ITEM_ALREADY_EXIST"), GetLangText("STR_MESSAGE"), 0, 48);
    } else if (result == 0) {
        if (m_caliList)
            m_caliList->Add(new DuiLib::CListTextElementUI);
    } else {
        // A name the calibration file cannot hold: nothing is added.
        ShowMessageDialog(GetHWND(), GetLangText("STR_ERROR_INPUT"), GetLangText("STR_MESSAGE"), 0, 48);
        return;
    }
    nameEdit->SetText("");
    lengthEdit->SetText("");
    UpdateCalibrationValue();
}

void CMainWnd::DeleteCalibration()
{
    if (m_caliList == nullptr)
        return;
    const int row = m_caliList->GetCurSel();
    if (row < 0 || row >= m_controller.GetCaliStore().GetCount())
        return;
    if (ShowMessageDialog(
            GetHWND(), GetLangText("STR_SURE_TO_DEL_CALIDATA"), GetLangText("STR_DELETE"), 1, 32)
        != 1)
        return;
    m_controller.GetCaliStore().RemoveAt(row);
    m_caliList->RemoveAt(row);
    m_caliList->Invalidate();
}

void CMainWnd::BackupCalibrations()
{
    const std::string path
        = AskSavePath(GetLangText("STR_SAVE_FILE").c_str(), kIniFilter, "backup.ini", "ini");
    if (path.empty())
        return;
    ShowErrorCode(m_controller.GetCaliStore().SaveCaliConfig(path), GetHWND());
}

void CMainWnd::RestoreCalibrations()
{
    const std::string path = AskOpenPath(GetLangText("STR_OPEN_FILE").c_str(), kIniFilter);
    if (path.empty())
        return;
    ShowErrorCode(m_controller.GetCaliStore().LoadCaliConfig(path), GetHWND());
    RebuildCaliRows();
}

std::string CMainWnd::AskOpenPath(
    const char* title, const std::vector<std::pair<std::string, std::string>>& filters)
{
    DuiLib::TFileDialogOptions options;
    options.kind = DuiLib::TFileDialogOptions::Open;
    options.title = title;
    for (const auto& [description, pattern] : filters)
        options.filters.push_back(DuiLib::TFileFilter{description.c_str(), pattern.c_str()});
    DuiLib::CDuiString path;
    if (!DuiLib::CFileDialog::Show(GetHWND(), options, path))
        return std::string();
    return path.GetData();
}

}  // namespace kelvara
