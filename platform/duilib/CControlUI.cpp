#include "platform/duilib/CControlUI.h"

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"
#include "platform/duilib/CResourceManager.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace DuiLib {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    if (m_pManager != nullptr)
        m_pManager->ReapObjects(this);
}

void CControlUI::SetName(const char* name)
{
    m_sName = name;
}

void* CControlUI::GetInterface(const char* name)
{
    return std::strcmp(name, "Control") == 0 ? this : nullptr;
}

bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    m_pManager = manager;
    m_pParent = parent;
    if (init && m_pParent)
        Init();
}

CDuiString CControlUI::GetText() const
{
    if (!m_bResourceText)
        return m_sText;
    return CResourceManager::GetInstance()->GetText(m_sText);
}

CDuiString CControlUI::GetToolTip() const
{
    if (!m_bResourceText || m_sToolTip.IsEmpty())
        return m_sToolTip;
    return CResourceManager::GetInstance()->GetText(m_sToolTip);
}

void CControlUI::SetText(const char* text)
{
    if (m_sText == text)
        return;
    m_sText = text;
    Invalidate();
}

void CControlUI::SetResourceText(bool resource)
{
    if (m_bResourceText == resource)
        return;
    m_bResourceText = resource;
    Invalidate();
}

void CControlUI::SetBkColor(DWORD argb)
{
    m_dwBackColor = argb;
    Invalidate();
}

void CControlUI::SetBkImage(const char* description)
{
    m_sBkImage = description;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD argb)
{
    m_dwBorderColor = argb;
    Invalidate();
}

void CControlUI::SetBorderSize(int size)
{
    m_nBorderSize = size;
    Invalidate();
}

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    const RECT old = m_rcItem;
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    if (bNeedInvalidate) {
        // A control that moved leaves its old place to be painted too.
        if (m_pManager && IsVisible()
            && (old.left != rc.left || old.top != rc.top || old.right != rc.right || old.bottom != rc.bottom))
            m_pManager->Invalidate(old);
        Invalidate();
    }
}

void CControlUI::SetPadding(RECT rc)
{
    m_rcPadding = rc;
    NeedParentUpdate();
}

void CControlUI::SetFixedXY(SIZE xy)
{
    m_cXY = xy;
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx)
{
    if (cx >= 0) {
        m_cxyMin.cx = cx;
        NeedParentUpdate();
    }
}

void CControlUI::SetMaxWidth(int cx)
{
    if (cx >= 0) {
        m_cxyMax.cx = cx;
        NeedParentUpdate();
    }
}

void CControlUI::SetMinHeight(int cy)
{
    if (cy >= 0) {
        m_cxyMin.cy = cy;
        NeedParentUpdate();
    }
}

void CControlUI::SetMaxHeight(int cy)
{
    if (cy >= 0) {
        m_cxyMax.cy = cy;
        NeedParentUpdate();
    }
}

void CControlUI::SetFloat(bool isFloat)
{
    m_bFloat = isFloat;
    NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE)
{
    return m_cxyFixed;
}

void CControlUI::SetVisible(bool visible)
{
    if (m_bVisible == visible)
        return;
    bool wasVisible = IsVisible();
    m_bVisible = visible;
    if (m_bFocused && !visible)
        m_bFocused = false;
    if (!visible && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible)
        NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible)
{
    m_bInternVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
}

void CControlUI::SetEnabled(bool enabled)
{
    if (m_bEnabled == enabled)
        return;
    m_bEnabled = enabled;
    if (!enabled && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    Invalidate();
}

void CControlUI::SetFocus()
{
    if (m_pManager)
        m_pManager->SetFocus(this);
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags)
{
    if ((flags & UIFIND_VISIBLE) && !IsVisible())
        return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled())
        return nullptr;
    if ((flags & UIFIND_HITTEST) && (!m_bMouseEnabled || !PtInRect(m_rcItem, *static_cast<POINT*>(data))))
        return nullptr;
    if ((flags & UIFIND_UPDATETEST) && !m_bUpdateNeeded)
        return nullptr;
    return proc(this, data);
}

void CControlUI::Invalidate()
{
    if (m_pManager && IsVisible())
        m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate()
{
    m_bUpdateNeeded = true;
    if (m_pManager)
        m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (m_pParent)
        m_pParent->NeedUpdate();
    else
        NeedUpdate();
    if (m_pManager)
        m_pManager->NeedUpdate();
}

void CControlUI::Init()
{
    DoInit();
}

void CControlUI::Event(TEventUI& event)
{
    DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        Invalidate();
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        Invalidate();
        return;
    }
    // Events a control does not handle go up to its parent.
    if (m_pParent != nullptr && event.Type != UIEVENT_MOUSEENTER && event.Type != UIEVENT_MOUSELEAVE
        && event.Type != UIEVENT_SETCURSOR && event.Type != UIEVENT_TIMER)
        m_pParent->DoEvent(event);
}

void CControlUI::SetAttribute(const char* name, const char* value)
{
    std::string n = name;
    if (n == "pos") {
        RECT rc = ParseRect(value);
        SetFixedXY(SIZE{rc.left >= 0 ? rc.left : rc.right, rc.top >= 0 ? rc.top : rc.bottom});
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (n == "padding") {
        SetPadding(ParseRect(value));
    } else if (n == "bkcolor" || n == "bkcolor1") {
        SetBkColor(ParseColor(value));
    } else if (n == "bordercolor") {
        SetBorderColor(ParseColor(value));
    } else if (n == "bordersize") {
        SetBorderSize(std::atoi(value));
    } else if (n == "bkimage") {
        SetBkImage(value);
    } else if (n == "width") {
        SetFixedWidth(std::atoi(value));
    } else if (n == "height") {
        SetFixedHeight(std::atoi(value));
    } else if (n == "minwidth") {
        SetMinWidth(std::atoi(value));
    } else if (n == "minheight") {
        SetMinHeight(std::atoi(value));
    } else if (n == "maxwidth") {
        SetMaxWidth(std::atoi(value));
    } else if (n == "maxheight") {
        SetMaxHeight(std::atoi(value));
    } else if (n == "name") {
        SetName(value);
    } else if (n == "text") {
        SetText(value);
    } else if (n == "resourcetext") {
        SetResourceText(ParseBool(value));
    } else if (n == "tooltip") {
        SetToolTip(value);
    } else if (n == "userdata") {
        SetUserData(value);
    } else if (n == "tag") {
        SetTag(static_cast<UINT_PTR>(std::strtoull(value, nullptr, 10)));
    } else if (n == "enabled") {
        SetEnabled(ParseBool(value));
    } else if (n == "mouse") {
        SetMouseEnabled(ParseBool(value));
    } else if (n == "keyboard") {
        SetKeyboardEnabled(ParseBool(value));
    } else if (n == "visible") {
        SetVisible(ParseBool(value));
    } else if (n == "float") {
        SetFloat(ParseBool(value));
    } else if (n == "style") {
        if (m_pManager) {
            if (const char* style = m_pManager->GetStyle(value))
                ApplyAttributeList(style);
        }
    }
}

CControlUI* CControlUI::ApplyAttributeList(const char* list)
{
    // name="value" pairs; values may hold single quotes and &quot; was decoded by XML.
    const char* p = list ? list : "";
    while (*p) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            ++p;
        const char* nameStart = p;
        while (*p && *p != '=' && *p != ' ')
            ++p;
        std::string name(nameStart, static_cast<size_t>(p - nameStart));
        while (*p == ' ')
            ++p;
        if (*p != '=')
            break;
        ++p;
        while (*p == ' ')
            ++p;
        if (*p != '"' && *p != '\'')
            break;
        char quote = *p++;
        const char* valueStart = p;
        while (*p && *p != quote)
            ++p;
        std::string value(valueStart, static_cast<size_t>(p - valueStart));
        if (*p)
            ++p;
        SetAttribute(name.c_str(), value.c_str());
    }
    return this;
}

bool CControlUI::DrawImage(sf::RenderTarget& target, const char* description)
{
    return CRenderEngine::DrawImageString(target, m_rcItem, m_rcPaint, description);
}

void CControlUI::DoPaint(sf::RenderTarget& target, const RECT& rcPaint)
{
    if (!IntersectRect(m_rcPaint, rcPaint, m_rcItem))
        return;
    PaintBkColor(target);
    PaintBkImage(target);
    PaintStatusImage(target);
    PaintText(target);
    PaintBorder(target);
}

void CControlUI::PaintBkColor(sf::RenderTarget& target)
{
    RECT rc;
    if (IntersectRect(rc, m_rcItem, m_rcPaint))
        CRenderEngine::DrawColor(target, rc, m_dwBackColor);
}

void CControlUI::PaintBkImage(sf::RenderTarget& target)
{
    if (!m_sBkImage.IsEmpty())
        DrawImage(target, m_sBkImage);
}

void CControlUI::PaintBorder(sf::RenderTarget& target)
{
    if (m_nBorderSize > 0 && m_dwBorderColor != 0) {
        CRenderEngine::ClipScope scope(target, m_rcPaint);
        if (!scope.IsEmpty())
            CRenderEngine::DrawRect(target, m_rcItem, m_nBorderSize, m_dwBorderColor);
    }
}

}  // namespace DuiLib
