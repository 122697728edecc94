#pragma once
// The sample skin of the toolkit tests, packed into a ZIP in memory the way
// the program ships its skin, and a window built from it that records what
// it receives. UI thread only.

#include "platform/duilib/UIlib.h"

#include <functional>
#include <string>
#include <vector>

namespace duilib_test {

// Folder of the sample skin sources (with trailing '/').
std::string SampleSkinDir();

// Packs every file below dir into a ZIP; names are stored upper-cased in
// their first folder ("XMLS/sample.xml") to exercise case-insensitive lookups.
std::vector<unsigned char> PackFolder(const std::string& dir);

// Installs the packed sample skin as the toolkit's resource archive.
void InstallSampleSkin();

class SampleWindow : public DuiLib::WindowImplBase
{
public:
    std::vector<std::string> notifications;  // "type:sender"
    std::vector<UINT> messages;  // every message seen, in order
    std::vector<UINT> timers;  // WM_TIMER ids

    DuiLib::CControlUI* Find(const char* name) { return m_PaintManager.FindControl(name); }

protected:
    DuiLib::CDuiString GetSkinFile() override { return "xmls\\sample.xml"; }
    const char* GetWindowClassName() const override { return "SampleWindow"; }
    void Notify(DuiLib::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
};

// Pumps the calling thread's loop until done() or timeoutMs passed.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);

}  // namespace duilib_test
