#pragma once
// The settings dialog ("xmls\dialog_setting.xml"): pages chosen by the
// options of group "Setting_Tab" (general, update, file, continuous
// shooting), OK storing the page values into the configuration record,
// Cancel and the title-bar close storing nothing, and a drop shadow where
// the desktop composites. A folder chosen with Browse goes into the record
// at once (Cancel keeps it), unless the program cannot write into it; then
// the folder is refused with a message. UI thread only.

#include "app/shell/CWndShadow.h"
#include "platform/duilib/UIlib.h"

#include <string>

class CSettingDialog : public DuiLib::CWindowWnd, public DuiLib::INotifyUI
{
public:
    // startTab: the name of the tab option to select at start, or "".
    CSettingDialog(HWND owner, const std::string& startTab);
    ~CSettingDialog() override;

    // Creates the dialog (caption: the text of STR_SETTING), centres it and
    // runs it: 1 after OK, 2 after Cancel or close.
    UINT ShowModalDialog();

    DuiLib::CPaintManagerUI* GetPaintManager() { return &m_pm; }
    DuiLib::CControlUI* FindControl(const char* name) const { return m_pm.FindControl(name); }
    CWndShadow& GetShadow() { return m_shadow; }
    // The page shown now (0 to 7).
    int GetCurrentPage() const;

    void Notify(DuiLib::TNotifyUI& msg) override;

    // Whether the program can create files in folder.
    static bool IsWritableFolder(const std::string& folder);
    // A number typed into an edit: its decimal value, 0 when it is none.
    static int ParseCount(const std::string& text);

protected:
    const char* GetWindowClassName() const override { return "UISettingDialog"; }
    UINT GetClassStyle() const override { return UI_CLASSSTYLE_DIALOG; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnCreate();
    void InitWindow();
    void OnSelectChanged(const DuiLib::CDuiString& name);
    void OnOK();
    void BrowseImagePath();
    void SelectOption(const char* name);
    bool IsSelected(const char* name) const;

    DuiLib::CPaintManagerUI m_pm;
    CWndShadow m_shadow;
    HWND m_hOwner;
    std::string m_startTab;
    DuiLib::CTabLayoutUI* m_pTab = nullptr;
    DuiLib::CControlUI* m_pFileRuleLayout = nullptr;
    DuiLib::CControlUI* m_pImagePathLayout = nullptr;
    DuiLib::CEditUI* m_pImagePathEdit = nullptr;
    DuiLib::CEditUI* m_pPicCountEdit = nullptr;
    DuiLib::CEditUI* m_pIntervalEdit = nullptr;
};
