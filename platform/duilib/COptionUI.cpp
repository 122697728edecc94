#include "platform/duilib/COptionUI.h"

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"

#include <cstring>
#include <string>

namespace DuiLib {

COptionUI::~COptionUI()
{
    if (!m_sGroupName.IsEmpty() && m_pManager)
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

void* COptionUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Option") == 0)
        return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    if (m_pManager && m_pManager != manager && !m_sGroupName.IsEmpty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    CButtonUI::SetManager(manager, parent, init);
    if (manager && !m_sGroupName.IsEmpty())
        manager->AddOptionGroup(m_sGroupName, this);
    // A selected member of a group deselects the others as it joins.
    if (m_bSelected && manager && !m_sGroupName.IsEmpty()) {
        m_bSelected = false;
        Selected(true, false);
    }
}

void COptionUI::SetGroup(const char* group)
{
    CDuiString name = group;
    if (name == m_sGroupName)
        return;
    if (m_pManager && !m_sGroupName.IsEmpty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = name;
    if (m_pManager && !m_sGroupName.IsEmpty())
        m_pManager->AddOptionGroup(m_sGroupName, this);
    Selected(m_bSelected, false);
}

void COptionUI::Selected(bool selected, bool bTriggerEvent)
{
    if (m_bSelected == selected)
        return;
    m_bSelected = selected;
    if (m_bSelected)
        m_uButtonState |= UISTATE_SELECTED;
    else
        m_uButtonState &= ~UISTATE_SELECTED;
    Invalidate();
    if (m_pManager == nullptr)
        return;
    if (!m_sGroupName.IsEmpty()) {
        if (!m_bSelected)
            return;  // only the newly selected member of a group reports
        if (CStdPtrArray* group = m_pManager->GetOptionGroup(m_sGroupName)) {
            for (int i = 0; i < group->GetSize(); ++i) {
                auto* other = static_cast<COptionUI*>(group->GetAt(i));
                if (other != this)
                    other->Selected(false, bTriggerEvent);
            }
        }
    }
    if (bTriggerEvent)
        m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED, m_bSelected ? 1 : 0, 0);
}

bool COptionUI::Activate()
{
    std::weak_ptr<bool> alive = GetLifeToken();
    if (!CButtonUI::Activate())
        return false;
    // The "click" handler may have deleted this option.
    if (alive.expired())
        return true;
    if (!m_sGroupName.IsEmpty())
        Selected(true);
    else
        Selected(!m_bSelected);
    return true;
}

void COptionUI::SetEnabled(bool enabled)
{
    CButtonUI::SetEnabled(enabled);
    if (!enabled && m_bSelected)
        m_uButtonState = UISTATE_SELECTED;
}

void COptionUI::SetSelectedImage(const char* d)
{
    m_sSelectedImage = d;
    Invalidate();
}

void COptionUI::SetSelectedHotImage(const char* d)
{
    m_sSelectedHotImage = d;
    Invalidate();
}

void COptionUI::SetSelectedTextColor(DWORD argb)
{
    m_dwSelectedTextColor = argb;
    Invalidate();
}

void COptionUI::SetSelectedBkColor(DWORD argb)
{
    m_dwSelectedBkColor = argb;
    Invalidate();
}

void COptionUI::SetAttribute(const char* name, const char* value)
{
    std::string n = name;
    if (n == "group")
        SetGroup(value);
    else if (n == "selected")
        Selected(ParseBool(value), false);
    else if (n == "selectedimage")
        SetSelectedImage(value);
    else if (n == "selectedhotimage")
        SetSelectedHotImage(value);
    else if (n == "selectedforeimage")
        m_sSelectedForeImage = value;
    else if (n == "selectedtextcolor")
        SetSelectedTextColor(ParseColor(value));
    else if (n == "selectedbkcolor")
        SetSelectedBkColor(ParseColor(value));
    else
        CButtonUI::SetAttribute(name, value);
}

void COptionUI::PaintBkColor(sf::RenderTarget& target)
{
    if (m_bSelected && m_dwSelectedBkColor) {
        RECT rc;
        if (IntersectRect(rc, m_rcItem, m_rcPaint))
            CRenderEngine::DrawColor(target, rc, m_dwSelectedBkColor);
        return;
    }
    CButtonUI::PaintBkColor(target);
}

void COptionUI::PaintStatusImage(sf::RenderTarget& target)
{
    if (m_bSelected) {
        const CDuiString& image = ((m_uButtonState & UISTATE_HOT) && !m_sSelectedHotImage.IsEmpty())
            ? m_sSelectedHotImage
            : m_sSelectedImage;
        if (!image.IsEmpty()) {
            DrawImage(target, image);
            if (!m_sSelectedForeImage.IsEmpty())
                DrawImage(target, m_sSelectedForeImage);
            return;
        }
    }
    CButtonUI::PaintStatusImage(target);
}

void COptionUI::PaintText(sf::RenderTarget& target)
{
    if (m_bSelected && m_dwSelectedTextColor && IsEnabled()) {
        PaintTextWithColor(target, m_dwSelectedTextColor);
        return;
    }
    CButtonUI::PaintText(target);
}

}  // namespace DuiLib
