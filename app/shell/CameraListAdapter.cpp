#include "app/shell/CameraListAdapter.h"

#include "app/shell/StringTable.h"
#include "platform/system/Utf8.h"

namespace kelvara {

namespace {

constexpr const char* kEntryLayout = "xmls\\listadapter_camera.xml";

DuiLib::CLabelUI* EntryLabel(DuiLib::CControlUI* entry)
{
    auto* container = static_cast<DuiLib::CContainerUI*>(entry->GetInterface("Container"));
    if (container == nullptr)
        return nullptr;
    DuiLib::CControlUI* label = container->FindSubControl("camera_name");
    return label ? static_cast<DuiLib::CLabelUI*>(label->GetInterface("Label")) : nullptr;
}

}  // namespace

CameraListAdapter::CameraListAdapter(DuiLib::CListUI* list)
    : m_list(list)
{
}

bool CameraListAdapter::IsDenied(int row) const
{
    for (int denied : m_denied) {
        if (denied == row)
            return true;
    }
    return false;
}

int CameraListAdapter::GetCount() const
{
    return m_list ? m_list->GetCount() : 0;
}

uintptr_t CameraListAdapter::MakeTag(int row, int group, int index)
{
    return static_cast<uintptr_t>(row) * 65536u + static_cast<uintptr_t>(group & 0xFF) * 256u
        + static_cast<uintptr_t>(index & 0xFF);
}

bool CameraListAdapter::SplitTag(uintptr_t tag, int* group, int* index)
{
    if (IsWirelessTag(tag))
        return false;
    *group = static_cast<int>((tag >> 8) & 0xFF);
    *index = static_cast<int>(tag & 0xFF);
    return true;
}

DuiLib::CControlUI* CameraListAdapter::AddEntry(const std::string& name, uintptr_t lowTag)
{
    DuiLib::CDialogBuilder builder;
    DuiLib::CControlUI* entry = builder.Create(kEntryLayout, nullptr, nullptr, m_list->GetManager());
    if (entry == nullptr) {
        // Without the entry layout the list still works with a plain row.
        auto* row = new DuiLib::CListContainerElementUI;
        row->SetFixedHeight(20);
        auto* label = new DuiLib::CLabelUI;
        label->SetName("camera_name");
        label->SetShowHtml(true);
        row->Add(label);
        entry = row;
    }
    int row = m_list->GetCount();
    entry->SetTag(static_cast<uintptr_t>(row) * 65536u + lowTag);
    if (DuiLib::CLabelUI* label = EntryLabel(entry)) {
        label->SetText(("{a}" + name + "{/a}").c_str());
        label->SetToolTip(name.c_str());
    }
    m_list->Add(entry);
    return entry;
}

int CameraListAdapter::Rebuild(const std::vector<_tag_VideoDeviceList>& groups, int openVid, int openPid)
{
    if (m_list == nullptr)
        return -1;
    m_list->RemoveAll();
    m_denied.clear();
    int match = -1;
    for (size_t g = 0; g < groups.size() && g < 256; ++g) {
        const std::vector<_tag_VideoDeviceInfo>& devices = groups[g].devices;
        for (size_t d = 0; d < devices.size() && d < 256; ++d) {
            const _tag_VideoDeviceInfo& info = devices[d];
            std::string name = WideToUtf8(std::wstring(info.name, wcsnlen(info.name, 32)));
            DuiLib::CControlUI* entry = AddEntry(name, static_cast<uintptr_t>(g) * 256u + d);
            if (info.status == CM_DEVICE_NO_PERMISSION) {
                // Listed, greyed, and the tooltip says why and what to do.
                m_denied.push_back(m_list->GetCount() - 1);
                if (DuiLib::CLabelUI* label = EntryLabel(entry))
                    label->SetToolTip((name + "\n" + GetLangText("STR_CAMERA_NO_PERMISSION")).c_str());
            }
            if (info.vid == openVid && info.pid == openPid)
                match = m_list->GetCount() - 1;
        }
    }
    AddEntry(GetLangText("STR_WIRELESS_CAMERA"), kWirelessIndex);
    if (openVid == 0xFFFF && openPid == 0xFFFF)
        match = m_list->GetCount() - 1;
    Highlight(match);
    return match;
}

void CameraListAdapter::Highlight(int row)
{
    if (m_list == nullptr)
        return;
    m_highlight = row >= 0 && row < m_list->GetCount() ? row : -1;
    for (int i = 0; i < m_list->GetCount(); ++i) {
        DuiLib::CControlUI* entry = m_list->GetItemAt(i);
        bool lit = i == m_highlight;
        bool denied = IsDenied(i);
        entry->SetBkColor(lit ? kHighlightBkColor : kNormalBkColor);
        entry->SetEnabled(!lit && !denied);
        if (DuiLib::CLabelUI* label = EntryLabel(entry)) {
            label->SetFont(lit ? 3 : 2);
            label->SetTextColor(lit ? kHighlightTextColor : denied ? kDeniedTextColor : kNormalTextColor);
        }
    }
}

}  // namespace kelvara
