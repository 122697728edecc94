#include "platform/duilib/CListUI.h"

#include "platform/duilib/CListHeaderUI.h"
#include "platform/duilib/CPaintManagerUI.h"

#include <algorithm>
#include <cstring>

namespace DuiLib {

CListUI::CListUI()
    : m_pHeader(new CListHeaderUI)
    , m_pList(new CVerticalLayoutUI)
{
    m_pList->EnableScrollBar(true);
    CVerticalLayoutUI::AddAt(m_pHeader, 0);
    CVerticalLayoutUI::AddAt(m_pList, 1);
    m_pHeader->SetVisible(false);
}

void* CListUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "List") == 0)
        return this;
    if (std::strcmp(name, "IList") == 0)
        return static_cast<IListUI*>(this);
    if (std::strcmp(name, "IListOwner") == 0)
        return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

CControlUI* CListUI::GetItemAt(int index) const
{
    return m_pList->GetItemAt(index);
}

int CListUI::GetItemIndex(CControlUI* control) const
{
    return m_pList->GetItemIndex(control);
}

bool CListUI::SetItemIndex(CControlUI* control, int index)
{
    int old = m_pList->GetItemIndex(control);
    if (!m_pList->SetItemIndex(control, index))
        return false;
    CControlUI* selected
        = m_iCurSel >= 0 ? m_pList->GetItemAt(old == m_iCurSel ? index : m_iCurSel) : nullptr;
    Reindex(std::min(old, index));
    if (IListItemUI* item = AsListItem(selected))
        m_iCurSel = item->GetIndex();
    return true;
}

int CListUI::GetCount() const
{
    return m_pList->GetCount();
}

bool CListUI::Add(CControlUI* control)
{
    if (control == nullptr)
        return false;
    if (control->GetInterface("ListHeader")) {
        // A header from the skin replaces the built-in one.
        auto* header = static_cast<CListHeaderUI*>(control->GetInterface("ListHeader"));
        if (header != m_pHeader) {
            CVerticalLayoutUI::Remove(m_pHeader);
            m_pHeader = header;
            CVerticalLayoutUI::AddAt(header, 0);
            m_pHeader->SetVisible(!m_bHeaderHidden && m_pHeader->GetCount() > 0);
        }
        return true;
    }
    if (control->GetInterface("ListHeaderItem")) {
        bool added = m_pHeader->Add(control);
        m_pHeader->SetVisible(!m_bHeaderHidden);
        return added;
    }
    return AddAt(control, GetCount());
}

bool CListUI::AddAt(CControlUI* control, int index)
{
    if (control == nullptr || control->GetInterface("ListHeader") || control->GetInterface("ListHeaderItem"))
        return Add(control);
    if (!m_pList->AddAt(control, index))
        return false;
    if (IListItemUI* item = AsListItem(control)) {
        item->SetOwner(this);
        item->SetIndex(index);
    }
    if (index < GetCount() - 1)
        Reindex(index + 1);
    if (m_iCurSel >= index && index < GetCount() - 1)
        ++m_iCurSel;
    return true;
}

bool CListUI::Remove(CControlUI* control)
{
    int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index);
}

bool CListUI::RemoveAt(int index)
{
    if (!m_pList->RemoveAt(index))
        return false;
    Reindex(index);
    if (index == m_iCurSel)
        m_iCurSel = -1;
    else if (index < m_iCurSel)
        --m_iCurSel;
    return true;
}

void CListUI::RemoveAll()
{
    m_iCurSel = -1;
    m_pList->RemoveAll();
    m_pList->SetScrollPos(SIZE{0, 0});
}

void CListUI::Reindex(int from)
{
    for (int i = std::max(0, from); i < GetCount(); ++i) {
        if (IListItemUI* item = AsListItem(GetItemAt(i)))
            item->SetIndex(i);
    }
}

void CListUI::SetTextCallback(IListCallbackUI* callback)
{
    m_pCallback = callback;
    Invalidate();
}

int CListUI::FindSelectable(int index, int step) const
{
    for (int i = index; i >= 0 && i < GetCount(); i += step) {
        CControlUI* control = GetItemAt(i);
        if (control->IsVisible() && control->IsEnabled() && AsListItem(control))
            return i;
    }
    return -1;
}

bool CListUI::SelectItem(int index, bool bTakeFocus)
{
    if (index == m_iCurSel) {
        if (bTakeFocus && index >= 0)
            GetItemAt(index)->SetFocus();
        return true;
    }
    int old = m_iCurSel;
    if (index < 0) {
        if (IListItemUI* item = AsListItem(GetItemAt(old)))
            item->Select(false);
        m_iCurSel = -1;
        return true;
    }
    CControlUI* control = GetItemAt(index);
    IListItemUI* item = AsListItem(control);
    // The row's own flag: a list in a hidden panel still keeps its selection.
    if (item == nullptr || !control->IsOwnVisible() || !control->IsEnabled())
        return false;
    if (IListItemUI* previous = AsListItem(GetItemAt(old)))
        previous->Select(false);
    item->Select(true);
    m_iCurSel = index;
    EnsureVisible(index);
    if (bTakeFocus)
        control->SetFocus();
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
    return true;
}

void CListUI::EnsureVisible(int index)
{
    if (index < 0 || index >= GetCount())
        return;
    // Where the row lies in the content, from the rows above it.
    SIZE available{m_pList->GetWidth(), 0};
    long top = 0;
    for (int i = 0; i < index; ++i) {
        // A row's own flag: while a parent is hidden every row reports
        // itself invisible, and the position must not collapse to the top.
        CControlUI* c = GetItemAt(i);
        if (!c->IsOwnVisible() || c->IsFloat())
            continue;
        RECT pad = c->GetPadding();
        top += std::max<long>(c->GetMinHeight(), c->EstimateSize(available).cy) + pad.top + pad.bottom
            + m_pList->GetChildPadding();
    }
    CControlUI* row = GetItemAt(index);
    long height = row->EstimateSize(available).cy;
    RECT inset = m_pList->GetInset();
    long view = m_pList->GetHeight() - inset.top - inset.bottom;
    if (view <= 0)
        return;
    long pos = m_pList->GetScrollPos().cy;
    if (top < pos)
        m_pList->SetScrollPos(SIZE{0, top});
    else if (top + height > pos + view)
        m_pList->SetScrollPos(SIZE{0, top + height - view});
}

SIZE CListUI::GetScrollPos() const
{
    return m_pList->GetScrollPos();
}

void CListUI::SetScrollPos(SIZE pos)
{
    m_pList->SetScrollPos(pos);
}

void CListUI::UpdateColumns()
{
    m_ListInfo.nColumns = 0;
    if (!m_pHeader->IsVisible())
        return;
    for (int i = 0; i < m_pHeader->GetCount() && m_ListInfo.nColumns < UILIST_MAX_COLUMNS; ++i) {
        CControlUI* column = m_pHeader->GetItemAt(i);
        if (!column->IsVisible())
            continue;
        m_ListInfo.rcColumn[m_ListInfo.nColumns++] = column->GetPos();
    }
}

void CListUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CVerticalLayoutUI::SetPos(rc, bNeedInvalidate);
    UpdateColumns();
}

void CListUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_KEYDOWN && IsEnabled()) {
        int page = 1;
        if (GetCount() > 0) {
            long rowHeight = std::max<long>(1, GetItemAt(0)->EstimateSize(SIZE{0, 0}).cy);
            page = std::max(1, static_cast<int>(m_pList->GetHeight() / rowHeight) - 1);
        }
        int target = -2;
        switch (event.wParam) {
        case VK_UP:
            target = FindSelectable(m_iCurSel - 1, -1);
            break;
        case VK_DOWN:
            target = FindSelectable(m_iCurSel + 1, 1);
            break;
        case VK_HOME:
            target = FindSelectable(0, 1);
            break;
        case VK_END:
            target = FindSelectable(GetCount() - 1, -1);
            break;
        case VK_PRIOR:
            target = FindSelectable(std::max(0, m_iCurSel - page), 1);
            break;
        case VK_NEXT:
            target = FindSelectable(std::min(GetCount() - 1, m_iCurSel + page), -1);
            break;
        default:
            break;
        }
        if (target >= 0) {
            SelectItem(target, true);
            return;
        }
        if (target == -1)
            return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::SetAttribute(const char* name, const char* value)
{
    if (m_ListInfo.SetAttribute(name, value)) {
        Invalidate();
    } else if (std::strcmp(name, "header") == 0) {
        m_bHeaderHidden = std::strcmp(value, "hidden") == 0 || std::strcmp(value, "false") == 0;
        m_pHeader->SetVisible(!m_bHeaderHidden && m_pHeader->GetCount() > 0);
    } else if (std::strcmp(name, "headerbkimage") == 0) {
        m_pHeader->SetBkImage(value);
    } else if (std::strcmp(name, "vscrollbar") == 0) {
        m_pList->EnableScrollBar(ParseBool(value));
    } else if (std::strcmp(name, "bodyinset") == 0) {
        m_pList->SetInset(ParseRect(value));
    } else if (std::strcmp(name, "bodypadding") == 0 || std::strcmp(name, "childpadding") == 0) {
        m_pList->SetChildPadding(std::atoi(value));
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

}  // namespace DuiLib
