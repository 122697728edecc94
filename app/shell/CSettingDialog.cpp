#include "app/shell/CSettingDialog.h"

#include "app/shell/AppConfig.h"
#include "app/shell/AppVersion.h"
#include "app/shell/CMessageDialog.h"
#include "app/shell/DialogFrame.h"
#include "app/shell/ErrorCodeTable.h"
#include "app/shell/StringTable.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace DuiLib;

namespace {

// Tab options in page order; the empty ones have no option in the skin.
constexpr const char* kTabOptions[] = {"setting_OptConv", "setting_OptDownload", "setting_OptAcce",
    "setting_OptUpdate", "setting_OptFile", "setting_OptLrcWnd", "setting_OptSnap", "setting_OptOther"};

}  // namespace

CSettingDialog::CSettingDialog(HWND owner, const std::string& startTab)
    : m_hOwner(owner)
    , m_startTab(startTab)
{
}

CSettingDialog::~CSettingDialog()
{
    if (GetHWND() != nullptr && CWindowWnd::IsWindow(GetHWND()))
        DestroyWindow();
}

UINT CSettingDialog::ShowModalDialog()
{
    std::string caption = GetLangText("STR_SETTING");
    constexpr DWORD style = (UI_WNDSTYLE_DIALOG & ~WS_VISIBLE) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (Create(m_hOwner, caption.c_str(), style, WS_EX_WINDOWEDGE, 0, 0, CW_USEDEFAULT, CW_USEDEFAULT)
        == nullptr)
        return IDCANCEL;
    SetWindowText(caption.c_str());
    SetControlText(FindControl("caption"), caption.c_str());
    CenterWindow();
    return ShowModal();
}

int CSettingDialog::GetCurrentPage() const
{
    return m_pTab ? m_pTab->GetCurSel() : -1;
}

LRESULT CSettingDialog::OnCreate()
{
    m_pm.Init(m_hWnd);
    CDialogBuilder builder;
    CControlUI* root = builder.Create("xmls\\dialog_setting.xml", nullptr, nullptr, &m_pm);
    if (root == nullptr) {
        std::fprintf(stderr, "cannot build the settings dialog skin\n");
        return -1;
    }
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    SIZE init = m_pm.GetInitSize();
    if (init.cx > 0 && init.cy > 0)
        ResizeClient(init.cx, init.cy);
    SIZE minSize = m_pm.GetMinInfo();
    if (minSize.cx > 0 || minSize.cy > 0)
        SetMinSize(minSize.cx, minSize.cy);
    InitWindow();
    return 0;
}

void CSettingDialog::InitWindow()
{
    m_pTab = static_cast<CTabLayoutUI*>(FindControl("setting_Tab"));
    m_pFileRuleLayout = FindControl("setting_layFileRulePreDeine");
    m_pImagePathLayout = FindControl("setting_layImagePath");
    m_pImagePathEdit = static_cast<CEditUI*>(FindControl("setting_EdtCustImagePath"));
    m_pPicCountEdit = static_cast<CEditUI*>(FindControl("setting_EdtPicCount"));
    m_pIntervalEdit = static_cast<CEditUI*>(FindControl("setting_EdtIntervalTime"));

    SetControlText(FindControl("setting_LabVersion"), (std::string(kAppName) + " " + kAppVersion).c_str());
    SetControlText(FindControl("setting_LabVerDate"), kAppBuildDate);

    const AppConfig& config = GetAppConfig();
    SelectOption(config.CFG_FILESAVE_RULE != 0 ? "set_OptFileRuleFiledialog" : "set_OptFileRulePreDefine");
    SelectOption(config.CFG_IMAGEPATH_MYDOC < 1 ? "setting_OptFileCust" : "setting_OptFileMyDoc");
    if (m_pImagePathEdit)
        m_pImagePathEdit->SetText(config.CFG_IMAGEPATH.c_str());
    if (auto* exitPrompt = static_cast<COptionUI*>(FindControl("setting_ChkExitPrompt")))
        exitPrompt->Selected(config.CFG_EXITPROMPT > 0);
    if (auto* scaleBar = static_cast<COptionUI*>(FindControl("setting_ChkScaleBarInPictures")))
        scaleBar->Selected(config.CFG_SCALEBAR_IN_PICTURES != 0);
    char number[16];
    if (m_pPicCountEdit) {
        std::snprintf(number, sizeof(number), "%d", config.CFG_CONSHOT_COUNT);
        m_pPicCountEdit->SetText(number);
    }
    if (m_pIntervalEdit) {
        std::snprintf(number, sizeof(number), "%d", config.CFG_CONSHOT_INTERVAL);
        m_pIntervalEdit->SetText(number);
    }
    if (!m_startTab.empty())
        SelectOption(m_startTab.c_str());

    if (CWndShadow::Initialize()) {
        SIZE corner = m_pm.GetRoundCorner();
        m_shadow.Create(m_hWnd, corner.cx, corner.cy);
        m_shadow.SetSize(4);
        m_shadow.SetPosition(1, 1);
    }
}

void CSettingDialog::SelectOption(const char* name)
{
    auto* option = static_cast<COptionUI*>(FindControl(name));
    if (option == nullptr)
        return;
    option->Selected(true);
    // The page follows even when the option was selected already.
    OnSelectChanged(name);
}

bool CSettingDialog::IsSelected(const char* name) const
{
    auto* option = static_cast<COptionUI*>(FindControl(name));
    return option != nullptr && option->IsSelected();
}

void CSettingDialog::OnSelectChanged(const CDuiString& name)
{
    for (int page = 0; page < static_cast<int>(sizeof(kTabOptions) / sizeof(kTabOptions[0])); ++page) {
        if (name == kTabOptions[page]) {
            if (m_pTab)
                m_pTab->SelectItem(page);
            return;
        }
    }
    if (name == "set_OptFileRulePreDefine" && m_pFileRuleLayout)
        m_pFileRuleLayout->SetVisible(true);
    else if (name == "set_OptFileRuleFiledialog" && m_pFileRuleLayout)
        m_pFileRuleLayout->SetVisible(false);
    else if (name == "setting_OptFileMyDoc" && m_pImagePathLayout)
        m_pImagePathLayout->SetVisible(false);
    else if (name == "setting_OptFileCust" && m_pImagePathLayout)
        m_pImagePathLayout->SetVisible(true);
}

void CSettingDialog::Notify(TNotifyUI& msg)
{
    CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
    if (msg.sType == DUI_MSGTYPE_SELECTCHANGED) {
        auto* option = static_cast<COptionUI*>(msg.pSender);
        if (option && option->IsSelected())
            OnSelectChanged(name);
    } else if (msg.sType == DUI_MSGTYPE_CLICK) {
        if (name == "closebtn")
            Close(IDCANCEL);
        else if (name == "okbtn")
            OnOK();
        else if (name == "setting_BtnCheckUpdate")
            ShowErrorCode(-6, m_hWnd);
        else if (name == "setting_BtnBrowseImagePath")
            BrowseImagePath();
    }
}

int CSettingDialog::ParseCount(const std::string& text)
{
    // Leading blanks, an optional sign, then digits up to the first other
    // character; no digits at all reads as 0.
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
    return static_cast<int>(negative ? -value : value);
}

void CSettingDialog::OnOK()
{
    AppConfig& config = GetAppConfig();
    config.CFG_EXITPROMPT = IsSelected("setting_ChkExitPrompt") ? 1 : 0;
    config.CFG_SCALEBAR_IN_PICTURES = IsSelected("setting_ChkScaleBarInPictures") ? 1 : 0;
    config.CFG_IMAGEPATH_MYDOC = IsSelected("setting_OptFileMyDoc") ? 1 : 0;
    config.CFG_FILESAVE_RULE = IsSelected("set_OptFileRulePreDefine") ? 0 : 1;
    if (m_pPicCountEdit)
        config.CFG_CONSHOT_COUNT = ParseCount(m_pPicCountEdit->GetText().GetData());
    if (m_pIntervalEdit)
        config.CFG_CONSHOT_INTERVAL = ParseCount(m_pIntervalEdit->GetText().GetData());
    Close(IDOK);
}

bool CSettingDialog::IsWritableFolder(const std::string& folder)
{
    struct stat info;
    if (folder.empty() || stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    // Permission bits do not tell everything (read-only mounts, the super
    // user): try to make a file there.
    std::string probe = folder + (folder.back() == '/' ? "" : "/") + ".kelvara-write-XXXXXX";
    int fd = mkstemp(probe.data());
    if (fd < 0)
        return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

void CSettingDialog::BrowseImagePath()
{
    TFileDialogOptions options;
    options.kind = TFileDialogOptions::Folder;
    CDuiString chosen;
    // Owned by this dialog so that it stays modal over it.
    if (!CFileDialog::Show(m_hWnd, options, chosen) || chosen.IsEmpty())
        return;
    std::string folder = chosen.GetData();
    if (folder.size() > kMaxPathChars || !IsWritableFolder(folder)) {
        ShowMessageDialog(
            m_hWnd, GetLangText("STR_FOLDER_NOT_WRITABLE"), GetLangText("STR_ERROR"), 0, MB_ICONWARNING_KIND);
        return;
    }
    GetAppConfig().CFG_IMAGEPATH = folder;
    if (m_pImagePathEdit)
        m_pImagePathEdit->SetText(folder.c_str());
}

LRESULT CSettingDialog::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // The shadow follows the window (it would subclass it on Windows).
    m_shadow.OnOwnerMessage(uMsg, wParam, lParam);
    if (uMsg == WM_CREATE)
        return OnCreate();
    LRESULT lRes = 0;
    if (HandleDialogFrameMessage(*this, m_pm, uMsg, wParam, lParam, lRes, false))
        return lRes;
    if (uMsg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        Close(IDCANCEL);
        return 0;
    }
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return DefWindowProc(uMsg, wParam, lParam);
}
