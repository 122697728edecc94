#pragma once
// A soft drop shadow around a top-level window where the desktop composites
// windows: a translucent, click-through popup that follows the window's
// moves and size changes. Without a compositor (or a 32-bit visual) it does
// nothing and reports no error. Create it after the window; it watches the
// window's messages through the paint manager. UI thread only.

#include "platform/duilib/CPaintManagerUI.h"

#include <vector>

namespace DuiLib {

class CShadowUI : public IMessageFilterUI
{
public:
    CShadowUI() = default;
    ~CShadowUI() override;
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;

    // Attaches to the window of manager; false when no shadow can be shown.
    bool Create(CPaintManagerUI* manager);
    void ShowShadow(bool show);
    bool IsShowShadow() const { return m_bShow; }
    // True once a shadow window exists (the desktop composites).
    bool IsActive() const { return m_xid != 0; }
    void SetSize(int size) { m_nSize = size; }
    void SetSharpness(int sharpness) { m_nSharpness = sharpness; }
    void SetDarkness(int darkness) { m_nDarkness = darkness; }
    void SetPosition(int x, int y) { m_ptOffset = POINT{x, y}; }
    void SetColor(DWORD rgb) { m_dwColor = rgb; }

    // The shadow's premultiplied B,G,R,A pixels for a w x h window: alpha
    // darkness at the window's edge falling to 0 over size pixels (sooner
    // with more sharpness); 0 under the window itself.
    static std::vector<uint8_t> MakeShadow(
        int w, int h, int size, int sharpness, int darkness, DWORD rgb, POINT offset);

    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    void Update();

    CPaintManagerUI* m_pManager = nullptr;
    unsigned long m_xid = 0;
    bool m_bShow = true;
    int m_nSize = 4;
    int m_nSharpness = 5;
    int m_nDarkness = 150;
    POINT m_ptOffset{1, 1};
    DWORD m_dwColor = 0;
};

}  // namespace DuiLib
