#pragma once
// A clickable label: normal, hot, pushed, focused and disabled images and
// colours. A left click released over the button (or Space/Enter while it
// has the focus) sends "click". UI thread only.

#include "platform/duilib/CLabelUI.h"

namespace DuiLib {

class CButtonUI : public CLabelUI
{
public:
    CButtonUI();
    const char* GetClass() const override { return "ButtonUI"; }
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override;

    // Sends "click"; false when the button is disabled or hidden.
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void DoEvent(TEventUI& event) override;
    UINT GetButtonState() const { return m_uButtonState; }

    void SetNormalImage(const char* description);
    void SetHotImage(const char* description);
    void SetPushedImage(const char* description);
    void SetFocusedImage(const char* description);
    void SetDisabledImage(const char* description);
    void SetForeImage(const char* description);
    void SetHotBkColor(DWORD argb) { m_dwHotBkColor = argb; }
    void SetPushedBkColor(DWORD argb) { m_dwPushedBkColor = argb; }
    void SetHotTextColor(DWORD argb) { m_dwHotTextColor = argb; }
    void SetPushedTextColor(DWORD argb) { m_dwPushedTextColor = argb; }
    void SetFocusedTextColor(DWORD argb) { m_dwFocusedTextColor = argb; }

    void SetAttribute(const char* name, const char* value) override;
    void PaintBkColor(sf::RenderTarget& target) override;
    void PaintText(sf::RenderTarget& target) override;
    void PaintStatusImage(sf::RenderTarget& target) override;

protected:
    UINT m_uButtonState = 0;
    CDuiString m_sNormalImage;
    CDuiString m_sHotImage;
    CDuiString m_sPushedImage;
    CDuiString m_sFocusedImage;
    CDuiString m_sDisabledImage;
    CDuiString m_sForeImage;
    CDuiString m_sHotForeImage;
    DWORD m_dwHotBkColor = 0;
    DWORD m_dwPushedBkColor = 0;
    DWORD m_dwDisabledBkColor = 0;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwFocusedTextColor = 0;
};

}  // namespace DuiLib
