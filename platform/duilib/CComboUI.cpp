#include "platform/duilib/CComboUI.h"

#include "platform/duilib/CComboWnd.h"
#include "platform/duilib/CHtmlText.h"
#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <SFML/Graphics/ConvexShape.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DuiLib {

CComboUI::CComboUI()
{
    m_dwBackColor = 0xFFFFFFFF;
    m_dwBorderColor = 0xFFABADB3;
    m_nBorderSize = 1;
}

CComboUI::~CComboUI()
{
    // The items must be back with us before the container deletes them.
    CloseDropDown();
}

void* CComboUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Combo") == 0)
        return this;
    if (std::strcmp(name, "IListOwner") == 0)
        return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CComboUI::GetControlFlags() const
{
    return IsEnabled() ? UIFLAG_TABSTOP : 0;
}

void CComboUI::CloseDropDown()
{
    if (m_pWindow) {
        CComboWnd* window = m_pWindow;
        m_pWindow = nullptr;
        window->CloseNow();
    }
}

bool CComboUI::Add(CControlUI* control)
{
    return AddAt(control, GetCount());
}

bool CComboUI::AddAt(CControlUI* control, int index)
{
    CloseDropDown();
    if (!CContainerUI::AddAt(control, index))
        return false;
    if (IListItemUI* item = AsListItem(control))
        item->SetOwner(this);
    Reindex(index);
    if (m_iCurSel >= index && index < GetCount() - 1)
        ++m_iCurSel;
    return true;
}

bool CComboUI::Remove(CControlUI* control)
{
    int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index);
}

bool CComboUI::RemoveAt(int index)
{
    CloseDropDown();
    if (!CContainerUI::RemoveAt(index))
        return false;
    Reindex(index);
    if (index == m_iCurSel)
        m_iCurSel = -1;
    else if (index < m_iCurSel)
        --m_iCurSel;
    Invalidate();
    return true;
}

void CComboUI::RemoveAll()
{
    CloseDropDown();
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    Invalidate();
}

void CComboUI::Reindex(int from)
{
    for (int i = std::max(0, from); i < GetCount(); ++i) {
        if (IListItemUI* item = AsListItem(GetItemAt(i)))
            item->SetIndex(i);
    }
}

int CComboUI::FindSelectable(int index, int step) const
{
    for (int i = index; i >= 0 && i < GetCount(); i += step) {
        CControlUI* control = GetItemAt(i);
        if (control->IsOwnVisible() && control->IsEnabled() && AsListItem(control))
            return i;
    }
    return -1;
}

bool CComboUI::SelectItem(int index, bool bTakeFocus)
{
    if (index == m_iCurSel)
        return true;
    int old = m_iCurSel;
    if (index < 0) {
        if (IListItemUI* item = AsListItem(GetItemAt(old)))
            item->Select(false);
        m_iCurSel = -1;
        Invalidate();
        return true;
    }
    CControlUI* control = GetItemAt(index);
    IListItemUI* item = AsListItem(control);
    if (item == nullptr || !control->IsOwnVisible() || !control->IsEnabled())
        return false;
    if (IListItemUI* previous = AsListItem(GetItemAt(old)))
        previous->Select(false);
    item->Select(true);
    m_iCurSel = index;
    Invalidate();
    if (bTakeFocus) {
        if (m_pWindow)
            control->SetFocus();
        else
            SetFocus();
    }
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
    return true;
}

bool CComboUI::Activate()
{
    if (!CControlUI::Activate() || m_pWindow)
        return false;
    auto* window = new CComboWnd(this);
    m_pWindow = window;
    if (!window->Open()) {
        m_pWindow = nullptr;
        delete window;
        return false;
    }
    Invalidate();
    return true;
}

void CComboUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    // The items live in the drop-down, not in the combo's own rectangle.
    CControlUI::SetPos(rc, bNeedInvalidate);
}

void CComboUI::SetEnabled(bool enabled)
{
    CContainerUI::SetEnabled(enabled);
    if (!enabled)
        CloseDropDown();
}

CControlUI* CComboUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags)
{
    if (flags & UIFIND_HITTEST)
        return CControlUI::FindControl(proc, data, flags);
    return CContainerUI::FindControl(proc, data, flags);
}

void CComboUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            if (m_pWindow)
                CloseDropDown();
            else
                Activate();
        }
        return;
    case UIEVENT_KEYDOWN:
        if (!IsEnabled())
            break;
        if (event.wParam == VK_UP || event.wParam == VK_DOWN) {
            int step = event.wParam == VK_UP ? -1 : 1;
            int next = FindSelectable(m_iCurSel + step, step);
            if (next >= 0)
                SelectItem(next, false);
            return;
        }
        if (event.wParam == VK_SPACE || event.wParam == VK_F4) {
            Activate();
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
        m_bHot = true;
        Invalidate();
        return;
    case UIEVENT_MOUSELEAVE:
        m_bHot = false;
        Invalidate();
        return;
    case UIEVENT_SCROLLWHEEL:
        CControlUI::DoEvent(event);  // to the container around us
        return;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

void CComboUI::SetAttribute(const char* name, const char* value)
{
    std::string n = name;
    if (m_ListInfo.SetAttribute(name, value))
        Invalidate();
    else if (n == "dropboxsize")
        SetDropBoxSize(ParseSize(value));
    else if (n == "textpadding")
        m_rcTextPadding = ParseRect(value);
    else if (n == "font")
        m_iFont = std::atoi(value);
    else if (n == "textcolor")
        m_dwTextColor = ParseColor(value);
    else if (n == "normalimage")
        m_sNormalImage = value;
    else if (n == "hotimage")
        m_sHotImage = value;
    else if (n == "pushedimage")
        m_sPushedImage = value;
    else if (n == "disabledimage")
        m_sDisabledImage = value;
    else
        CContainerUI::SetAttribute(name, value);
}

void CComboUI::DoPaint(sf::RenderTarget& target, const RECT& rcPaint)
{
    if (!IntersectRect(m_rcPaint, rcPaint, m_rcItem))
        return;
    PaintBkColor(target);
    PaintBkImage(target);
    const CDuiString& image = !IsEnabled() && !m_sDisabledImage.IsEmpty() ? m_sDisabledImage
        : m_pWindow && !m_sPushedImage.IsEmpty()                          ? m_sPushedImage
        : m_bHot && !m_sHotImage.IsEmpty()                                ? m_sHotImage
                                                                          : m_sNormalImage;
    if (!image.IsEmpty()) {
        DrawImage(target, image);
    } else {
        // A plain arrow on the right.
        CRenderEngine::ClipScope scope(target, m_rcPaint);
        if (!scope.IsEmpty()) {
            float cx = static_cast<float>(m_rcItem.right - 10);
            float cy = static_cast<float>((m_rcItem.top + m_rcItem.bottom) / 2);
            sf::ConvexShape arrow(3);
            arrow.setPoint(0, {cx - 4, cy - 2});
            arrow.setPoint(1, {cx + 4, cy - 2});
            arrow.setPoint(2, {cx, cy + 3});
            arrow.setFillColor(CRenderEngine::ToColor(IsEnabled() ? 0xFF404040 : 0xFFA0A0A0));
            target.draw(arrow);
        }
    }
    if (m_iCurSel >= 0 && m_pManager) {
        CControlUI* item = GetItemAt(m_iCurSel);
        RECT rc{m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
            m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
        DWORD color = m_dwTextColor ? m_dwTextColor : m_pManager->GetDefaultFontColor();
        if (!IsEnabled())
            color = m_pManager->GetDefaultDisabledColor();
        RECT clip;
        if (item && IntersectRect(clip, rc, m_rcPaint)) {
            CRenderEngine::ClipScope scope(target, clip);
            if (!scope.IsEmpty())
                CRenderEngine::DrawText(&target, rc, CHtmlText::StripTags(item->GetText()), color,
                    m_pManager->GetFont(m_iFont), DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        }
    }
    PaintBorder(target);
}

}  // namespace DuiLib
