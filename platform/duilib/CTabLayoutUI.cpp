#include "platform/duilib/CTabLayoutUI.h"

#include "platform/duilib/CPaintManagerUI.h"

#include <cstdlib>
#include <cstring>

namespace DuiLib {

void* CTabLayoutUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "TabLayout") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control)
{
    return AddAt(control, GetCount());
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index)
{
    if (!CContainerUI::AddAt(control, index))
        return false;
    if (m_iCurSel == -1 && control->IsOwnVisible()) {
        m_iCurSel = GetItemIndex(control);
    } else {
        if (index <= m_iCurSel && GetCount() > 1 && GetItemAt(m_iCurSel) != control)
            ++m_iCurSel;
        control->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::RemoveAt(int index)
{
    if (!CContainerUI::RemoveAt(index))
        return false;
    if (index < m_iCurSel) {
        --m_iCurSel;
    } else if (index == m_iCurSel) {
        m_iCurSel = -1;
        if (GetCount() > 0)
            SelectItem(index < GetCount() ? index : GetCount() - 1);
    }
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    if (index == m_iCurSel && GetItemAt(index)->IsOwnVisible())
        return true;
    m_iCurSel = index;
    for (int i = 0; i < GetCount(); ++i)
        GetItemAt(i)->SetVisible(i == index);
    NeedUpdate();
    Invalidate();
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control)
{
    return SelectItem(GetItemIndex(control));
}

void CTabLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    RECT inner = InsetRect();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (!page->IsVisible())
            continue;
        if (page->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT pad = page->GetPadding();
        page->SetPos(RECT{inner.left + pad.left, inner.top + pad.top, inner.right - pad.right,
                         inner.bottom - pad.bottom},
            false);
    }
}

void CTabLayoutUI::SetAttribute(const char* name, const char* value)
{
    if (std::strcmp(name, "selectedid") == 0)
        SelectItem(std::atoi(value));
    else
        CContainerUI::SetAttribute(name, value);
}

}  // namespace DuiLib
