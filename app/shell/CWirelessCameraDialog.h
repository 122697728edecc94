#pragma once
// The wireless camera dialog ("xmls\dialog_wirelesscamera.xml"): while it
// is open the camera module scans for wireless cameras and the list
// "list_scan_devices" shows what it found (number, name, address), redone
// every 2 seconds; clicking a row puts its address into the edit
// "edt_wlcamera_ipaddress", and "okbtn" closes the dialog with 1 so the
// caller can read the address.
//
// Threads: UI thread only. The scan runs on the camera module's own thread
// from OnWindowInit until the window closes; the dialog only polls its
// result list on a timer.

#include "app/shell/CBaseDialog.h"
#include "camera_module/CMTypes.h"

#include <string>
#include <vector>

class CWirelessCameraDialog : public CBaseDialog, public DuiLib::IListCallbackUI
{
public:
    enum : UINT
    {
        TIMER_SCAN = 1000,
    };
    static constexpr UINT kScanIntervalMs = 2000;

    explicit CWirelessCameraDialog(HWND owner);
    ~CWirelessCameraDialog() override;

    // Creates, centres and runs the dialog: 1 after "okbtn", else 2.
    UINT ShowModalDialog();
    // The address typed or picked (UTF-8).
    std::string GetAddress() const { return m_address; }
    // Rows as last listed.
    const std::vector<_tag_VideoDeviceInfo>& GetDevices() const { return m_devices; }
    // Empties the list and fills it from the scan's results now.
    void RefreshList();

    std::string GetItemText(DuiLib::CControlUI* pList, int iItem, int iSubItem) override;
    void Notify(DuiLib::TNotifyUI& msg) override;

protected:
    void InitWindow() override;
    void OnOK() override;
    LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    void StopScan();

    std::vector<_tag_VideoDeviceInfo> m_devices;
    DuiLib::CListUI* m_pList = nullptr;
    DuiLib::CEditUI* m_pEdit = nullptr;
    std::string m_address;
    bool m_scanning = false;
};
