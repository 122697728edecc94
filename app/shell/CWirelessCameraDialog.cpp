#include "app/shell/CWirelessCameraDialog.h"

#include "app/shell/DialogFrame.h"

#include "app/shell/StringTable.h"
#include "camera_module/CMFactory.h"

#include <SFML/System/String.hpp>

#include <cstdio>

using namespace DuiLib;

namespace {

std::string Utf8(const wchar_t* text)
{
    std::basic_string<sf::Uint8> bytes = sf::String(text).toUtf8();
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

CWirelessCameraDialog::CWirelessCameraDialog(HWND owner)
    : CBaseDialog("xmls\\dialog_wirelesscamera.xml", owner)
{
}

CWirelessCameraDialog::~CWirelessCameraDialog()
{
    StopScan();
}

UINT CWirelessCameraDialog::ShowModalDialog()
{
    if (CreateDialogWindow() == nullptr)
        return IDCANCEL;
    return ShowModal();
}

void CWirelessCameraDialog::InitWindow()
{
    std::string caption = GetLangText("STR_CONNECT_WLCAMERA");
    SetControlText(FindControl("caption"), caption.c_str());
    SetWindowText(caption.c_str());
    m_pEdit = static_cast<CEditUI*>(FindControl("edt_wlcamera_ipaddress"));
    m_pList = static_cast<CListUI*>(FindControl("list_scan_devices"));
    if (m_pList)
        m_pList->SetTextCallback(this);
    m_scanning = CMFactory::StartDeviceScan(1);
    SetTimer(TIMER_SCAN, kScanIntervalMs);
}

void CWirelessCameraDialog::StopScan()
{
    if (!m_scanning)
        return;
    m_scanning = false;
    CMFactory::StopDeviceScan();
}

void CWirelessCameraDialog::RefreshList()
{
    m_devices.clear();
    if (m_pList == nullptr)
        return;
    m_pList->RemoveAll();
    CMFactory::GetDevicesList(&m_devices);
    for (size_t i = 0; i < m_devices.size(); ++i)
        m_pList->Add(new CListTextElementUI);
}

LRESULT CWirelessCameraDialog::OnTimer(UINT, WPARAM wParam, LPARAM, bool& bHandled)
{
    bHandled = wParam == TIMER_SCAN;
    if (bHandled)
        RefreshList();
    return 0;
}

std::string CWirelessCameraDialog::GetItemText(CControlUI*, int iItem, int iSubItem)
{
    // pList is the row asking; it keeps the answer as its cell text itself.
    if (iItem < 0 || iItem >= static_cast<int>(m_devices.size()))
        return std::string();
    const _tag_VideoDeviceInfo& device = m_devices[static_cast<size_t>(iItem)];
    std::string text;
    if (iSubItem == 0) {
        char number[16];
        std::snprintf(number, sizeof(number), "%d", device.number);
        text = number;
    } else if (iSubItem == 1) {
        text = Utf8(device.name);
    } else if (iSubItem == 2) {
        text = Utf8(device.address);
    }
    return text;
}

void CWirelessCameraDialog::Notify(TNotifyUI& msg)
{
    if (msg.sType == DUI_MSGTYPE_ITEMSELECT && msg.pSender && msg.pSender->GetName() == "list_scan_devices") {
        int row = static_cast<int>(msg.wParam);
        if (row >= 0 && row < static_cast<int>(m_devices.size()) && m_pEdit)
            m_pEdit->SetText(Utf8(m_devices[static_cast<size_t>(row)].address).c_str());
        return;
    }
    CBaseDialog::Notify(msg);
}

void CWirelessCameraDialog::OnOK()
{
    if (m_pEdit)
        m_address = m_pEdit->GetText().GetData();
    CBaseDialog::OnOK();
}

LRESULT CWirelessCameraDialog::OnClose(UINT, WPARAM, LPARAM, bool& bHandled)
{
    KillTimer(TIMER_SCAN);
    StopScan();
    bHandled = false;
    return 0;
}
