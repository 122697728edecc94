#include "platform/duilib/CFileDialog.h"

#include "platform/duilib/CComboUI.h"
#include "platform/duilib/CEditUI.h"
#include "platform/duilib/CListLabelElementUI.h"
#include "platform/duilib/CListUI.h"
#include "platform/duilib/CMessageLoop.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace DuiLib {
namespace {

FileChooser& InstalledChooser()
{
    static FileChooser chooser;
    return chooser;
}

CFileDialogWnd* g_current = nullptr;

bool IsDir(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& dir, const std::string& name)
{
    if (!name.empty() && name[0] == '/')
        return name;
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool OnPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string all = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(':', start);
        std::string dir = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

// Runs a chooser program, keeping the windows painted, and collects what it
// prints. True when it ended with success (and printed something, unless
// the answer is its exit status alone).
bool RunPumping(const std::vector<std::string>& args, std::string& output, bool needOutput = true)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return false;
    }
    CMessageLoop* loop = CMessageLoop::PeekCurrent();
    // No window of ours takes input meanwhile; a handle that names no window.
    HWND blocker = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x8));
    if (loop)
        loop->PushModal(blocker);
    char buffer[4096];
    for (;;) {
        pollfd pfd{fds[0], POLLIN, 0};
        if (poll(&pfd, 1, 0) > 0) {
            ssize_t n = read(fds[0], buffer, sizeof(buffer));
            if (n > 0) {
                output.append(buffer, static_cast<size_t>(n));
                continue;
            }
            if (n == 0 || errno != EINTR)
                break;
        }
        if (loop)
            loop->PumpOnce(20);
        else
            poll(&pfd, 1, 20);
    }
    close(fds[0]);
    if (loop)
        loop->PopModal(blocker);
    int status = 0;
    waitpid(pid, &status, 0);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && (!needOutput || !output.empty());
}

const char* kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="560,420" caption="0,0,0,30" sizebox="4,4,4,4" mininfo="420,300">
  <VerticalLayout bkcolor="#FFF4F4F4" bordercolor="#FF5A5A5A" bordersize="1" inset="1,1,1,1">
    <HorizontalLayout height="30" bkcolor="#FF2B5280">
      <Label name="caption" textcolor="#FFFFFFFF" textpadding="10,0,0,0" />
      <Button name="closebtn" width="32" text="×" textcolor="#FFFFFFFF" hotbkcolor="#FFE81123" />
    </HorizontalLayout>
    <VerticalLayout inset="10,8,10,10" childpadding="6">
      <Label name="dir" height="22" endellipsis="true" textcolor="#FF404040" />
      <List name="files" header="hidden" bkcolor="#FFFFFFFF" bordercolor="#FFC0C0C0" bordersize="1" />
      <HorizontalLayout height="26" childpadding="6">
        <Label width="50" text="Name" />
        <Edit name="name" maxchar="255" />
        <Combo name="filter" width="200" />
      </HorizontalLayout>
      <HorizontalLayout height="28" childpadding="8">
        <Label name="status" textcolor="#FFB00000" endellipsis="true" />
        <Button name="okbtn" width="90" text="OK" bkcolor="#FFDDDDDD" hotbkcolor="#FFCCE4F7" />
        <Button name="cancelbtn" width="90" text="Cancel" bkcolor="#FFDDDDDD" hotbkcolor="#FFCCE4F7" />
      </HorizontalLayout>
    </VerticalLayout>
  </VerticalLayout>
</Window>)";

}  // namespace

// ---- CFileDialog ----

void CFileDialog::SetChooser(FileChooser chooser)
{
    InstalledChooser() = std::move(chooser);
}

bool CFileDialog::MatchesPattern(const char* name, const char* patterns)
{
    std::string all = patterns ? patterns : "";
    if (all.empty())
        return true;
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(';', start);
        std::string one = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        one.erase(0, one.find_first_not_of(' '));
        if (!one.empty() && fnmatch(one.c_str(), name, FNM_CASEFOLD) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

CDuiString CFileDialog::ApplyDefaultExt(const TFileDialogOptions& options, const CDuiString& path)
{
    if (options.kind != TFileDialogOptions::Save || options.defaultExt.IsEmpty() || path.IsEmpty())
        return path;
    std::string p = path.str();
    size_t slash = p.rfind('/');
    std::string base = slash == std::string::npos ? p : p.substr(slash + 1);
    if (base.find('.') != std::string::npos)
        return path;
    std::string ext = options.defaultExt.str();
    if (!ext.empty() && ext[0] == '.')
        ext.erase(0, 1);
    return CDuiString(p + "." + ext);
}

bool CFileDialog::ShowDesktop(HWND, const TFileDialogOptions& options, CDuiString& path, bool& available)
{
    available = false;
    const char* forced = std::getenv("KELVARA_BUILTIN_CHOOSER");
    if (forced && *forced && std::strcmp(forced, "0") != 0)
        return false;
    std::vector<std::string> args;
    std::string start = options.fileName.str();
    if (!options.initialDir.IsEmpty())
        start = Join(options.initialDir.str(), start);
    if (OnPath("zenity")) {
        args = {"zenity", "--file-selection"};
        if (!options.title.IsEmpty())
            args.push_back("--title=" + options.title.str());
        if (options.kind == TFileDialogOptions::Folder)
            args.push_back("--directory");
        if (options.kind == TFileDialogOptions::Save) {
            args.push_back("--save");
            if (options.overwritePrompt)
                args.push_back("--confirm-overwrite");
        }
        if (!start.empty())
            args.push_back("--filename=" + start);
        for (const TFileFilter& f : options.filters) {
            std::string patterns = f.pattern.str();
            std::replace(patterns.begin(), patterns.end(), ';', ' ');
            args.push_back("--file-filter=" + f.description.str() + " | " + patterns);
        }
    } else if (OnPath("kdialog")) {
        std::string filter;
        for (const TFileFilter& f : options.filters) {
            std::string patterns = f.pattern.str();
            std::replace(patterns.begin(), patterns.end(), ';', ' ');
            filter += (filter.empty() ? "" : "\n") + f.description.str() + " (" + patterns + ")";
        }
        if (options.kind == TFileDialogOptions::Folder)
            args = {"kdialog", "--getexistingdirectory", start.empty() ? "." : start};
        else
            args = {"kdialog",
                options.kind == TFileDialogOptions::Save ? "--getsavefilename" : "--getopenfilename",
                start.empty() ? "." : start, filter};
        if (!options.title.IsEmpty()) {
            args.push_back("--title");
            args.push_back(options.title.str());
        }
    } else {
        return false;
    }
    available = true;
    std::string output;
    if (!RunPumping(args, output))
        return false;
    path = ApplyDefaultExt(options, CDuiString(output));
    // The desktop's dialog asked about the name as typed; a name that only
    // now got its extension may name another file that exists.
    if (options.kind == TFileDialogOptions::Save && options.overwritePrompt && path.str() != output
        && Exists(path.str())) {
        const std::string question = "\"" + path.str() + "\" already exists. Replace it?";
        std::vector<std::string> ask = args[0] == "zenity"
            ? std::vector<std::string>{"zenity", "--question", "--text", question}
            : std::vector<std::string>{"kdialog", "--yesno", question};
        std::string ignored;
        if (!RunPumping(ask, ignored, false)) {
            path.Empty();
            return false;
        }
    }
    return true;
}

bool CFileDialog::Show(HWND owner, const TFileDialogOptions& options, CDuiString& path)
{
    path.Empty();
    bool chosen = false;
    if (InstalledChooser()) {
        chosen = InstalledChooser()(owner, options, path);
    } else {
        bool available = false;
        chosen = ShowDesktop(owner, options, path, available);
        if (!available)
            chosen = ShowBuiltIn(owner, options, path);
    }
    if (!chosen)
        path.Empty();
    return chosen && !path.IsEmpty();
}

bool CFileDialog::ShowBuiltIn(HWND owner, const TFileDialogOptions& options, CDuiString& path)
{
    CFileDialogWnd dialog(options);
    if (dialog.Create(owner, options.title, UI_WNDSTYLE_DIALOG, 0) == nullptr)
        return false;
    dialog.CenterWindow();
    UINT result = dialog.ShowModal();
    path = result == IDOK ? dialog.GetResult() : CDuiString();
    return result == IDOK && !path.IsEmpty();
}

// ---- CFileDialogWnd ----

CFileDialogWnd::CFileDialogWnd(const TFileDialogOptions& options)
    : m_options(options)
{
}

CFileDialogWnd* CFileDialogWnd::Current()
{
    return g_current;
}

CDuiString CFileDialogWnd::GetSkinFile()
{
    return kSkin;
}

void CFileDialogWnd::OnFinalMessage(HWND hWnd)
{
    if (g_current == this)
        g_current = nullptr;
    WindowImplBase::OnFinalMessage(hWnd);
}

void CFileDialogWnd::InitWindow()
{
    g_current = this;
    if (CControlUI* caption = m_PaintManager.FindControl("caption"))
        caption->SetText(m_options.title.IsEmpty()
                ? (m_options.kind == TFileDialogOptions::Save ? "Save" : "Open")
                : m_options.title.GetData());
    if (auto* ok = m_PaintManager.FindControl("okbtn"))
        ok->SetText(m_options.kind == TFileDialogOptions::Save ? "Save" : "OK");
    auto* filter = static_cast<CComboUI*>(m_PaintManager.FindControl("filter"));
    for (const TFileFilter& f : m_options.filters) {
        auto* item = new CListLabelElementUI;
        item->SetText(f.description);
        item->SetTextPadding(RECT{3, 0, 0, 0});
        filter->Add(item);
    }
    filter->SetVisible(m_options.kind != TFileDialogOptions::Folder && !m_options.filters.empty());
    if (!m_options.filters.empty())
        filter->SelectItem(0);
    std::string name = m_options.fileName.str();
    std::string dir = m_options.initialDir.str();
    size_t slash = name.rfind('/');
    if (slash != std::string::npos) {
        dir = Join(dir, name.substr(0, slash + 1));
        name = name.substr(slash + 1);
    }
    if (dir.empty() || !IsDir(dir)) {
        char cwd[4096];
        dir = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    }
    SetName(name.c_str());
    if (m_options.kind == TFileDialogOptions::Folder)
        if (CControlUI* edit = m_PaintManager.FindControl("name"))
            edit->GetParent()->SetVisible(false);
    SetCurrentDir(dir.c_str());
}

void CFileDialogWnd::SetName(const char* name)
{
    if (CControlUI* edit = m_PaintManager.FindControl("name"))
        edit->SetText(name);
}

CDuiString CFileDialogWnd::GetStatus() const
{
    CControlUI* status = const_cast<CPaintManagerUI&>(m_PaintManager).FindControl("status");
    return status ? status->GetText() : CDuiString();
}

void CFileDialogWnd::SetCurrentDir(const char* dir)
{
    std::string d = dir ? dir : "/";
    char resolved[PATH_MAX];
    if (realpath(d.c_str(), resolved))
        d = resolved;
    m_sDir = d;
    if (CControlUI* label = m_PaintManager.FindControl("dir"))
        label->SetText(d.c_str());
    Fill();
}

void CFileDialogWnd::Fill()
{
    m_entries.clear();
    std::vector<std::string> folders, files;
    if (DIR* d = opendir(m_sDir.GetData())) {
        const char* pattern = m_iFilter < static_cast<int>(m_options.filters.size())
            ? m_options.filters[m_iFilter].pattern.GetData()
            : "";
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == ".." || name[0] == '.')
                continue;
            if (IsDir(Join(m_sDir.str(), name)))
                folders.push_back(name);
            else if (m_options.kind != TFileDialogOptions::Folder
                && CFileDialog::MatchesPattern(name.c_str(), pattern))
                files.push_back(name);
        }
        closedir(d);
    }
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    if (m_sDir != "/")
        m_entries.emplace_back("..", true);
    for (const std::string& f : folders)
        m_entries.emplace_back(f.c_str(), true);
    for (const std::string& f : files)
        m_entries.emplace_back(f.c_str(), false);
    auto* list = static_cast<CListUI*>(m_PaintManager.FindControl("files"));
    if (list == nullptr)
        return;
    list->RemoveAll();
    for (const auto& entry : m_entries) {
        auto* row = new CListLabelElementUI;
        row->SetText(entry.second ? (entry.first + "/").GetData() : entry.first.GetData());
        row->SetTextPadding(RECT{6, 0, 0, 0});
        row->SetFixedHeight(22);
        list->Add(row);
    }
}

void CFileDialogWnd::Activate(int row)
{
    if (row < 0 || row >= static_cast<int>(m_entries.size()))
        return;
    const auto& entry = m_entries[static_cast<size_t>(row)];
    if (entry.second) {
        std::string dir
            = entry.first == ".." ? Join(m_sDir.str(), "..") : Join(m_sDir.str(), entry.first.str());
        SetCurrentDir(dir.c_str());
    } else {
        SetName(entry.first);
        Accept();
    }
}

bool CFileDialogWnd::Accept()
{
    CControlUI* status = m_PaintManager.FindControl("status");
    auto say = [&](const char* text) {
        if (status)
            status->SetText(text);
        return false;
    };
    if (m_options.kind == TFileDialogOptions::Folder) {
        auto* list = static_cast<CListUI*>(m_PaintManager.FindControl("files"));
        int row = list ? list->GetCurSel() : -1;
        std::string dir = m_sDir.str();
        if (row >= 0 && row < static_cast<int>(m_entries.size()) && m_entries[row].first != "..")
            dir = Join(dir, m_entries[static_cast<size_t>(row)].first.str());
        m_sResult = dir.c_str();
        Close(IDOK);
        return true;
    }
    CControlUI* edit = m_PaintManager.FindControl("name");
    std::string name = edit ? edit->GetText().str() : std::string();
    if (name.empty())
        return say("Type a file name.");
    std::string path = CFileDialog::ApplyDefaultExt(m_options, CDuiString(Join(m_sDir.str(), name))).str();
    if (IsDir(path)) {
        SetCurrentDir(path.c_str());
        SetName("");
        return false;
    }
    if (m_options.kind == TFileDialogOptions::Open && !Exists(path))
        return say("No such file.");
    if (m_options.kind == TFileDialogOptions::Save && m_options.overwritePrompt && Exists(path)
        && m_sConfirmed != path.c_str()) {
        m_sConfirmed = path.c_str();
        return say("The file exists: press Save again to replace it.");
    }
    m_sResult = path.c_str();
    Close(IDOK);
    return true;
}

LRESULT CFileDialogWnd::ResponseDefaultKeyEvent(WPARAM wParam)
{
    if (wParam == VK_RETURN) {
        auto* list = static_cast<CListUI*>(m_PaintManager.FindControl("files"));
        CControlUI* focus = m_PaintManager.GetFocus();
        if (list && focus && focus->GetParent() == list->GetList())
            Activate(list->GetCurSel());
        else
            Accept();
        return 1;
    }
    if (wParam == VK_ESCAPE) {
        Close(IDCANCEL);
        return 1;
    }
    return 0;
}

void CFileDialogWnd::Notify(TNotifyUI& msg)
{
    CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
    if (msg.sType == DUI_MSGTYPE_CLICK) {
        if (name == "okbtn") {
            Accept();
            return;
        }
        if (name == "cancelbtn" || name == "closebtn") {
            Close(IDCANCEL);
            return;
        }
    } else if (msg.sType == "itemactivate") {
        Activate(static_cast<int>(msg.wParam));
        return;
    } else if (msg.sType == DUI_MSGTYPE_ITEMSELECT) {
        if (name == "filter") {
            m_iFilter = static_cast<int>(msg.wParam);
            Fill();
        } else if (name == "files") {
            int row = static_cast<int>(msg.wParam);
            if (row >= 0 && row < static_cast<int>(m_entries.size()) && !m_entries[row].second)
                SetName(m_entries[static_cast<size_t>(row)].first);
        }
        return;
    }
    WindowImplBase::Notify(msg);
}

}  // namespace DuiLib
