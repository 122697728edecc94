#pragma once
// The popup of an open CComboUI: shows the combo's items in a scrolling
// column, holding the input grab while open. Created by the combo; deletes
// itself when its window is gone. UI thread only.

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CWindowWnd.h"

namespace DuiLib {

class CComboUI;
class CVerticalLayoutUI;

class CComboWnd : public CWindowWnd
{
public:
    explicit CComboWnd(CComboUI* owner);
    // Opens below (or above) the combo; false when no window could be made.
    bool Open();
    CPaintManagerUI* GetPaintManager() { return &m_pm; }
    // Hands the items back to the combo and destroys the window.
    void CloseNow();

protected:
    const char* GetWindowClassName() const override { return "ComboWnd"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void ReturnItems();

    CComboUI* m_pOwner;
    CPaintManagerUI m_pm;
    CVerticalLayoutUI* m_pLayout = nullptr;  // the root of m_pm
};

}  // namespace DuiLib
