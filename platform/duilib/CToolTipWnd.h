#pragma once
// The tooltip of a window: a small popup with a control's tooltip text near
// the pointer, kept on screen. Shown and hidden by the window's paint
// manager. UI thread only.

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CWindowWnd.h"

namespace DuiLib {

class CLabelUI;

class CToolTipWnd : public CWindowWnd
{
public:
    explicit CToolTipWnd(CPaintManagerUI* owner);
    ~CToolTipWnd() override;
    // Shows text with its top-left near the screen point.
    void ShowAt(POINT screen, const char* text);
    void Hide();
    CDuiString GetText() const;

protected:
    const char* GetWindowClassName() const override { return "ToolTipWnd"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    CPaintManagerUI* m_pOwner;
    CPaintManagerUI m_pm;
    CLabelUI* m_pLabel = nullptr;
};

}  // namespace DuiLib
