#pragma once
// The base of every control: name, text, tag, visibility, enabled state,
// colours, background image, border, position and size rules, tooltip text.
// A control belongs to one paint manager (one window) and is used on that
// window's thread only.

#include "platform/duilib/UIDefs.h"

#include <SFML/Graphics/RenderTarget.hpp>

#include <memory>

namespace DuiLib {

class CPaintManagerUI;
class CControlUI;

typedef uintptr_t UINT_PTR;
typedef CControlUI*(FINDCONTROLPROC)(CControlUI*, void*);

class CControlUI
{
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual CDuiString GetName() const { return m_sName; }
    virtual void SetName(const char* name);
    virtual const char* GetClass() const { return "ControlUI"; }
    // This object as the interface of that name ("Control", "Label", ...), or null.
    virtual void* GetInterface(const char* name);
    virtual UINT GetControlFlags() const { return 0; }
    // What a click or the keyboard does; false when disabled or hidden.
    virtual bool Activate();

    CPaintManagerUI* GetManager() const { return m_pManager; }
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    CControlUI* GetParent() const { return m_pParent; }

    // With resourcetext the stored text is an identifier and GetText answers
    // the text the resource manager's query gives for it.
    virtual CDuiString GetText() const;
    virtual void SetText(const char* text);
    bool IsResourceText() const { return m_bResourceText; }
    void SetResourceText(bool resource);

    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD argb);
    CDuiString GetBkImage() const { return m_sBkImage; }
    void SetBkImage(const char* description);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD argb);
    int GetBorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int size);

    const RECT& GetPos() const { return m_rcItem; }
    // Places the control at rc (window coordinates); containers lay out their children here.
    virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
    int GetWidth() const { return m_rcItem.right - m_rcItem.left; }
    int GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
    RECT GetPadding() const { return m_rcPadding; }
    void SetPadding(RECT rc);
    SIZE GetFixedXY() const { return m_cXY; }
    void SetFixedXY(SIZE xy);
    int GetFixedWidth() const { return m_cxyFixed.cx; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return m_cxyFixed.cy; }
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return m_cxyMin.cx; }
    void SetMinWidth(int cx);
    int GetMaxWidth() const { return m_cxyMax.cx; }
    void SetMaxWidth(int cx);
    int GetMinHeight() const { return m_cxyMin.cy; }
    void SetMinHeight(int cy);
    int GetMaxHeight() const { return m_cxyMax.cy; }
    void SetMaxHeight(int cy);
    bool IsFloat() const { return m_bFloat; }
    void SetFloat(bool isFloat);
    // The size the control wants; 0 in a direction means "share the rest".
    virtual SIZE EstimateSize(SIZE szAvailable);

    // With resourcetext the tooltip is an identifier too and answers its text.
    CDuiString GetToolTip() const;
    void SetToolTip(const char* text) { m_sToolTip = text; }
    UINT_PTR GetTag() const { return m_pTag; }
    void SetTag(UINT_PTR tag) { m_pTag = tag; }
    CDuiString GetUserData() const { return m_sUserData; }
    void SetUserData(const char* text) { m_sUserData = text; }

    // Visible when set visible and every parent is shown.
    virtual bool IsVisible() const { return m_bVisible && m_bInternVisible; }
    bool IsOwnVisible() const { return m_bVisible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const { return m_bEnabled; }
    virtual void SetEnabled(bool enabled = true);
    bool IsMouseEnabled() const { return m_bMouseEnabled; }
    void SetMouseEnabled(bool enabled) { m_bMouseEnabled = enabled; }
    bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
    void SetKeyboardEnabled(bool enabled) { m_bKeyboardEnabled = enabled; }
    bool IsFocused() const { return m_bFocused; }
    virtual void SetFocus();

    // Depth-first search calling proc until it answers non-null.
    virtual CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags);

    void Invalidate();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    void NeedUpdate();
    void NeedParentUpdate();

    virtual void Init();
    virtual void DoInit() { }
    // Entry of events from the paint manager; DoEvent does the work.
    void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);

    virtual void SetAttribute(const char* name, const char* value);
    // Applies "name=\"value\" name2=\"value2\"" in order.
    CControlUI* ApplyAttributeList(const char* list);

    virtual void DoPaint(sf::RenderTarget& target, const RECT& rcPaint);
    virtual void PaintBkColor(sf::RenderTarget& target);
    virtual void PaintBkImage(sf::RenderTarget& target);
    virtual void PaintStatusImage(sf::RenderTarget& target) { (void)target; }
    virtual void PaintText(sf::RenderTarget& target) { (void)target; }
    virtual void PaintBorder(sf::RenderTarget& target);

    // False once the control is deleted; lets code that sent a notification
    // (whose handler may delete the sender) know whether it may go on.
    std::weak_ptr<bool> GetLifeToken() const { return m_alive; }

protected:
    // Draws an image description over the control, clipped to the paint area.
    bool DrawImage(sf::RenderTarget& target, const char* description);

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    CDuiString m_sName;
    CDuiString m_sText;
    CDuiString m_sToolTip;
    CDuiString m_sUserData;
    CDuiString m_sBkImage;
    UINT_PTR m_pTag = 0;
    RECT m_rcItem{0, 0, 0, 0};
    RECT m_rcPaint{0, 0, 0, 0};  // the part being painted now
    RECT m_rcPadding{0, 0, 0, 0};
    SIZE m_cXY{0, 0};
    SIZE m_cxyFixed{0, 0};
    SIZE m_cxyMin{0, 0};
    SIZE m_cxyMax{9999, 9999};
    DWORD m_dwBackColor = 0;
    DWORD m_dwBorderColor = 0;
    int m_nBorderSize = 0;
    bool m_bResourceText = false;
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    bool m_bUpdateNeeded = true;

private:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace DuiLib
