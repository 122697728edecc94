#pragma once
// File and folder choosers. Show picks, in order: a chooser installed with
// SetChooser (tests, embedders), the desktop's own dialog through zenity or
// kdialog when one is installed (and KELVARA_BUILTIN_CHOOSER is unset), or
// the built-in CFileDialogWnd drawn by the toolkit. The owner keeps
// repainting meanwhile but takes no input. Cancel gives false and an empty
// path. A saved name without extension gets the default extension; an
// existing file is only overwritten after a confirmation when asked for.
// UI thread only.

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/WindowImplBase.h"

#include <functional>
#include <string>
#include <vector>

namespace DuiLib {

struct TFileFilter
{
    CDuiString description;  // "PNG image (*.png)"
    CDuiString pattern;  // "*.png", several separated by ';'
};

struct TFileDialogOptions
{
    enum Kind
    {
        Open,
        Save,
        Folder,
    };
    Kind kind = Open;
    CDuiString title;
    std::vector<TFileFilter> filters;
    CDuiString fileName;  // prefilled name (may carry a folder)
    CDuiString defaultExt;  // without the dot: "png"
    CDuiString initialDir;
    bool overwritePrompt = false;
};

using FileChooser = std::function<bool(HWND owner, const TFileDialogOptions& options, CDuiString& path)>;

class CFileDialog
{
public:
    static bool Show(HWND owner, const TFileDialogOptions& options, CDuiString& path);
    // Replaces every other chooser while set (an empty function removes it).
    static void SetChooser(FileChooser chooser);
    // The built-in dialog, modal over owner.
    static bool ShowBuiltIn(HWND owner, const TFileDialogOptions& options, CDuiString& path);
    // The path as the options want it: default extension added to a save name without one.
    static CDuiString ApplyDefaultExt(const TFileDialogOptions& options, const CDuiString& path);
    // True when name matches one of the ';'-separated patterns (case ignored).
    static bool MatchesPattern(const char* name, const char* patterns);

private:
    static bool ShowDesktop(HWND owner, const TFileDialogOptions& options, CDuiString& path, bool& available);
};

// The built-in chooser: folders and matching files of one folder, a name
// field, a filter list, OK and Cancel.
class CFileDialogWnd : public WindowImplBase
{
public:
    explicit CFileDialogWnd(const TFileDialogOptions& options);
    // The built-in dialog that is open now, or null.
    static CFileDialogWnd* Current();
    CDuiString GetCurrentDir() const { return m_sDir; }
    void SetCurrentDir(const char* dir);
    // As pressing OK: true (and the window closing) when the choice is valid.
    bool Accept();
    CDuiString GetResult() const { return m_sResult; }
    CDuiString GetStatus() const;
    void SetName(const char* name);

protected:
    CDuiString GetSkinFile() override;
    const char* GetWindowClassName() const override { return "UIFileDialog"; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void Fill();
    void Activate(int row);

    TFileDialogOptions m_options;
    CDuiString m_sDir;
    CDuiString m_sResult;
    CDuiString m_sConfirmed;  // an existing file the user agreed to replace
    std::vector<std::pair<CDuiString, bool>> m_entries;  // name, is folder
    int m_iFilter = 0;
};

}  // namespace DuiLib
