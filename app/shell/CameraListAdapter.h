#pragma once
// Fills the main window's camera list: one entry per attached camera, built
// from "xmls\listadapter_camera.xml" (a row holding the html label
// "camera_name" with the camera's name as a link), then the entry that opens
// the wireless camera dialog. The entry of the open camera is highlighted and
// cannot be clicked.
//
// An entry's tag is row * 65536 + group * 256 + index within the group; the
// wireless entry has 0xFFFF in the low 16 bits.
//
// UI thread only.

#include "camera_module/CMTypes.h"
#include "platform/duilib/UIlib.h"

#include <string>
#include <vector>

namespace kelvara {

class CameraListAdapter
{
public:
    static constexpr uintptr_t kWirelessIndex = 0xFFFF;
    static constexpr DWORD kHighlightBkColor = 0xFFF0F0F0;
    static constexpr DWORD kHighlightTextColor = 0xFF101010;
    static constexpr DWORD kNormalBkColor = 0x00808080;
    static constexpr DWORD kNormalTextColor = 0xFFA4A4A4;
    static constexpr DWORD kDeniedTextColor = 0xFF5F5F5F;

    // Borrows the list, which must outlive the adapter.
    explicit CameraListAdapter(DuiLib::CListUI* list);

    // Removes every entry and lists groups, then the wireless entry (its text
    // the translated STR_WIRELESS_CAMERA). The entry whose device has
    // openVid/openPid (the last such one; 0xFFFF/0xFFFF is the wireless
    // entry) is highlighted; -1/-1 highlights none. Returns that row or -1.
    int Rebuild(const std::vector<_tag_VideoDeviceList>& groups, int openVid, int openPid);
    // Highlights row (font 3, light background, dark text, disabled) and
    // shows the others plainly; -1 highlights none.
    void Highlight(int row);
    int GetHighlight() const { return m_highlight; }
    // True for the entry of a camera the user may not open (greyed, not
    // clickable, its tooltip saying why).
    bool IsDenied(int row) const;
    int GetCount() const;

    static uintptr_t MakeTag(int row, int group, int index);
    // Group and index of an entry's tag; false for the wireless entry.
    static bool SplitTag(uintptr_t tag, int* group, int* index);
    static bool IsWirelessTag(uintptr_t tag) { return (tag & 0xFFFF) == kWirelessIndex; }

private:
    DuiLib::CControlUI* AddEntry(const std::string& name, uintptr_t lowTag);

    DuiLib::CListUI* m_list;
    int m_highlight = -1;
    std::vector<int> m_denied;  // rows of cameras the user may not open
};

}  // namespace kelvara
