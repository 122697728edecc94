#pragma once
// A soft drop shadow around a top-level window: a layered window (see
// DuiLib::CLayeredWindow) placed size pixels out from the owner, moved by
// the offsets, stacked directly below it and showing MakeShadowImage of the
// owner's shape. It follows the owner's moves, size changes, showing,
// hiding, minimising and destruction; the owner hands it every message it
// receives through OnOwnerMessage (the toolkit has no subclassing). Shadows
// are only made while a compositing manager runs; without one Initialize
// answers false and Create makes nothing, as on a system without layered
// windows.
//
// UI thread only (the process-wide owner map included).

#include "app/shell/ShadowImage.h"
#include "platform/duilib/CLayeredWindow.h"
#include "platform/duilib/UIDefs.h"

#include <cstdint>
#include <memory>

class CWndShadow
{
public:
    CWndShadow() = default;
    ~CWndShadow();
    CWndShadow(const CWndShadow&) = delete;
    CWndShadow& operator=(const CWndShadow&) = delete;

    // Whether shadows can be shown now (a compositor runs); Create does
    // nothing until this answered true.
    static bool Initialize();
    // The shadow attached to an owner, or null.
    static CWndShadow* FromOwner(HWND owner);

    // Attaches to owner (a toolkit window). cornerWidth/Height give the
    // owner's rounded corners for its shape.
    void Create(HWND owner, int cornerWidth = 0, int cornerHeight = 0);
    // The owner's messages, before it handles them itself.
    void OnOwnerMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    bool SetSize(int size);
    bool SetSharpness(unsigned sharpness);
    bool SetDarkness(unsigned darkness);
    bool SetPosition(int x, int y);
    bool SetColor(uint32_t colorRef);

    bool IsShadowVisible() const { return (m_status & SS_VISABLE) != 0; }
    const DuiLib::CLayeredWindow* GetLayeredWindow() const { return m_window.get(); }
    ShadowParams GetParams() const;

private:
    enum : uint8_t
    {
        SS_ENABLED = 1,
        SS_VISABLE = 2,
        SS_PARENTVISIBLE = 4,
    };
    void Update();
    void Show(bool show);
    void Detach();

    std::unique_ptr<DuiLib::CLayeredWindow> m_window;
    HWND m_owner = nullptr;
    uint8_t m_status = 0;
    uint8_t m_darkness = 150;
    uint8_t m_sharpness = 5;
    int8_t m_size = 0;
    int8_t m_xOffset = 0;
    int8_t m_yOffset = 5;
    uint16_t m_width = 0;  // the owner's last client size
    uint16_t m_height = 0;
    bool m_updatePending = false;
    uint32_t m_color = 0;
    int m_cornerWidth = 0;
    int m_cornerHeight = 0;
};
