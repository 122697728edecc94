#include "platform/duilib/CContainerUI.h"

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CScrollBarUI.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DuiLib {

CContainerUI::~CContainerUI()
{
    CContainerUI::RemoveAll();
    delete m_pVerticalScrollBar;
}

void CContainerUI::EnableScrollBar(bool enableVertical, bool)
{
    if (enableVertical && m_pVerticalScrollBar == nullptr) {
        m_pVerticalScrollBar = new CScrollBarUI;
        m_pVerticalScrollBar->SetOwner(this);
        m_pVerticalScrollBar->SetManager(m_pManager, this, false);
        m_pVerticalScrollBar->SetVisible(false);
    } else if (!enableVertical && m_pVerticalScrollBar) {
        if (m_pManager)
            m_pManager->ReapObjects(m_pVerticalScrollBar);
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
        m_nScrollY = 0;
    }
    NeedUpdate();
}

SIZE CContainerUI::GetScrollPos() const
{
    return SIZE{0, m_pVerticalScrollBar ? m_pVerticalScrollBar->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const
{
    return SIZE{0, m_pVerticalScrollBar ? m_pVerticalScrollBar->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(SIZE pos)
{
    if (m_pVerticalScrollBar == nullptr)
        return;
    int wanted = std::max<int>(0, pos.cy);
    if (wanted == m_nScrollY && wanted == m_pVerticalScrollBar->GetScrollPos())
        return;
    m_nScrollY = wanted;
    // The layout applies (and clamps) it before the next paint.
    NeedUpdate();
}

void CContainerUI::LineUp()
{
    if (m_pVerticalScrollBar)
        SetScrollPos(SIZE{0, GetScrollPos().cy - m_pVerticalScrollBar->GetLineSize()});
}

void CContainerUI::LineDown()
{
    if (m_pVerticalScrollBar)
        SetScrollPos(
            SIZE{0, std::min(GetScrollPos().cy + m_pVerticalScrollBar->GetLineSize(), GetScrollRange().cy)});
}

void CContainerUI::PageUp()
{
    RECT rc = ContentRect();
    SetScrollPos(SIZE{0, GetScrollPos().cy - (rc.bottom - rc.top)});
}

void CContainerUI::PageDown()
{
    RECT rc = ContentRect();
    SetScrollPos(SIZE{0, std::min<long>(GetScrollPos().cy + (rc.bottom - rc.top), GetScrollRange().cy)});
}

void CContainerUI::HomeUp()
{
    SetScrollPos(SIZE{0, 0});
}

void CContainerUI::EndDown()
{
    SetScrollPos(SIZE{0, GetScrollRange().cy});
}

void CContainerUI::ScrollIntoView(const RECT& rc)
{
    if (m_pVerticalScrollBar == nullptr)
        return;
    RECT view = ContentRect();
    long pos = GetScrollPos().cy;
    if (rc.top < view.top)
        SetScrollPos(SIZE{0, pos - (view.top - rc.top)});
    else if (rc.bottom > view.bottom)
        SetScrollPos(SIZE{0, pos + std::min(rc.bottom - view.bottom, rc.top - view.top)});
}

void CContainerUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_SCROLLWHEEL && m_pVerticalScrollBar && GetScrollRange().cy > 0) {
        if (event.wParam == 0)
            for (int i = 0; i < 3; ++i)
                LineUp();
        else
            for (int i = 0; i < 3; ++i)
                LineDown();
        return;
    }
    CControlUI::DoEvent(event);
}

void* CContainerUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Container") == 0)
        return this;
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const
{
    return static_cast<CControlUI*>(m_items.GetAt(index));
}

int CContainerUI::GetItemIndex(CControlUI* control) const
{
    return m_items.Find(control);
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index)
{
    int current = m_items.Find(control);
    if (current < 0 || index < 0 || index >= m_items.GetSize())
        return false;
    m_items.Remove(current);
    m_items.InsertAt(index, control);
    NeedUpdate();
    return true;
}

int CContainerUI::GetCount() const
{
    return m_items.GetSize();
}

bool CContainerUI::Add(CControlUI* control)
{
    return AddAt(control, m_items.GetSize());
}

bool CContainerUI::AddAt(CControlUI* control, int index)
{
    if (control == nullptr || !m_items.InsertAt(index, control))
        return false;
    if (m_pManager)
        m_pManager->InitControls(control, this);
    else
        control->SetManager(nullptr, this, false);
    control->SetInternVisible(IsVisible());
    NeedUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control)
{
    int index = m_items.Find(control);
    return index >= 0 && RemoveAt(index);
}

bool CContainerUI::RemoveAt(int index)
{
    CControlUI* control = ItemAt(index);
    if (control == nullptr)
        return false;
    m_items.Remove(index);
    if (m_pManager)
        m_pManager->ReapObjects(control);
    if (m_bAutoDestroy)
        delete control;
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll()
{
    while (m_items.GetSize() > 0)
        CContainerUI::RemoveAt(m_items.GetSize() - 1);
}

void CContainerUI::SetInset(RECT rc)
{
    m_rcInset = rc;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding)
{
    m_iChildPadding = padding;
    NeedUpdate();
}

namespace {
CControlUI* FindByName(CControlUI* control, void* data)
{
    return control->GetName() == static_cast<const char*>(data) ? control : nullptr;
}
}  // namespace

CControlUI* CContainerUI::FindSubControl(const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* found = ItemAt(i)->FindControl(FindByName, const_cast<char*>(name), UIFIND_ALL);
        if (found)
            return found;
    }
    return nullptr;
}

void CContainerUI::SetVisible(bool visible)
{
    if (m_bVisible == visible)
        return;
    CControlUI::SetVisible(visible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        ItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible)
{
    CControlUI::SetInternVisible(visible);
    for (int i = 0; i < m_items.GetSize(); ++i)
        ItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    for (int i = 0; i < m_items.GetSize(); ++i)
        ItemAt(i)->SetManager(manager, this, init);
    if (m_pVerticalScrollBar)
        m_pVerticalScrollBar->SetManager(manager, this, false);
    CControlUI::SetManager(manager, parent, init);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags)
{
    if ((flags & UIFIND_VISIBLE) && !IsVisible())
        return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled())
        return nullptr;
    if ((flags & UIFIND_HITTEST) && !PtInRect(m_rcItem, *static_cast<POINT*>(data)))
        return nullptr;
    if (flags & UIFIND_HITTEST) {
        if (!IsEnabled())
            return CControlUI::FindControl(proc, data, flags);
        if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
            if (CControlUI* bar = m_pVerticalScrollBar->FindControl(proc, data, flags))
                return bar;
        }
        // Children scrolled out of the content area cannot be hit.
        if (!PtInRect(ContentRect(), *static_cast<POINT*>(data)) && m_pVerticalScrollBar)
            return CControlUI::FindControl(proc, data, flags);
    }
    if (flags & UIFIND_ME_FIRST) {
        if (CControlUI* me = CControlUI::FindControl(proc, data, flags))
            return me;
    }
    if (flags & UIFIND_TOP_FIRST) {
        // Later children are drawn on top, so they are hit first.
        for (int i = m_items.GetSize() - 1; i >= 0; --i) {
            if (CControlUI* found = ItemAt(i)->FindControl(proc, data, flags))
                return found;
        }
    } else {
        for (int i = 0; i < m_items.GetSize(); ++i) {
            if (CControlUI* found = ItemAt(i)->FindControl(proc, data, flags))
                return found;
        }
    }
    if (!(flags & UIFIND_ME_FIRST))
        return CControlUI::FindControl(proc, data, flags);
    return nullptr;
}

RECT CContainerUI::ContentRect() const
{
    RECT rc = InsetRect();
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible())
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    return rc;
}

RECT CContainerUI::InsetRect() const
{
    RECT rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    return rc;
}

void CContainerUI::SetFloatPos(int index)
{
    CControlUI* control = ItemAt(index);
    SIZE xy = control->GetFixedXY();
    SIZE size{control->GetFixedWidth(), control->GetFixedHeight()};
    RECT rc;
    if (xy.cx >= 0) {
        rc.left = m_rcItem.left + xy.cx;
        rc.right = rc.left + size.cx;
    } else {
        rc.right = m_rcItem.right + xy.cx;
        rc.left = rc.right - size.cx;
    }
    if (xy.cy >= 0) {
        rc.top = m_rcItem.top + xy.cy;
        rc.bottom = rc.top + size.cy;
    } else {
        rc.bottom = m_rcItem.bottom + xy.cy;
        rc.top = rc.bottom - size.cy;
    }
    control->SetPos(rc, false);
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    RECT inner = InsetRect();
    // A plain container stacks its children on top of each other.
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* control = ItemAt(i);
        if (!control->IsVisible())
            continue;
        if (control->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT pad = control->GetPadding();
        control->SetPos(RECT{inner.left + pad.left, inner.top + pad.top, inner.right - pad.right,
                            inner.bottom - pad.bottom},
            false);
    }
}

void CContainerUI::LayoutLinear(bool vertical)
{
    RECT inner = InsetRect();
    long mainSize = vertical ? inner.bottom - inner.top : inner.right - inner.left;
    long crossSize = vertical ? inner.right - inner.left : inner.bottom - inner.top;
    SIZE available{inner.right - inner.left, inner.bottom - inner.top};
    bool scrolling = vertical && m_pVerticalScrollBar != nullptr;
    auto mainOf = [vertical](SIZE s) { return vertical ? s.cy : s.cx; };
    auto mainMin = [vertical](CControlUI* c) { return vertical ? c->GetMinHeight() : c->GetMinWidth(); };
    auto mainMax = [vertical](CControlUI* c) { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); };
    auto clampMain
        = [&](CControlUI* c, long v) { return std::max<long>(mainMin(c), std::min<long>(mainMax(c), v)); };

    // First pass: what the fixed children take.
    long fixedTotal = 0;
    long minAdjustTotal = 0;
    int adjustables = 0;
    int shown = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* c = ItemAt(i);
        if (!c->IsVisible() || c->IsFloat())
            continue;
        RECT pad = c->GetPadding();
        long want = mainOf(c->EstimateSize(available));
        if (want == 0) {
            ++adjustables;
            minAdjustTotal += mainMin(c);
        } else {
            fixedTotal += clampMain(c, want);
        }
        fixedTotal += vertical ? pad.top + pad.bottom : pad.left + pad.right;
        ++shown;
    }
    if (shown > 1)
        fixedTotal += static_cast<long>(shown - 1) * m_iChildPadding;
    long scrollOffset = 0;
    if (scrolling) {
        // Content taller than the view: stretching children keep their
        // minimum height, the bar shows and takes its column.
        long required = fixedTotal + minAdjustTotal;
        long range = std::max<long>(0, required - mainSize);
        m_pVerticalScrollBar->SetVisible(range > 0);
        if (range > 0) {
            long barWidth = m_pVerticalScrollBar->GetFixedWidth();
            m_pVerticalScrollBar->SetPos(
                RECT{inner.right - barWidth, inner.top, inner.right, inner.bottom}, false);
            inner.right -= barWidth;
            crossSize -= barWidth;
            available.cx -= barWidth;
            mainSize = required;
        }
        m_pVerticalScrollBar->SetScrollRange(static_cast<int>(range));
        m_pVerticalScrollBar->SetScrollPos(m_nScrollY);
        m_nScrollY = m_pVerticalScrollBar->GetScrollPos();
        scrollOffset = m_nScrollY;
    }
    long remaining = std::max<long>(0, mainSize - fixedTotal);
    long share = adjustables > 0 ? remaining / adjustables : 0;

    // Second pass: place them; the last stretching child takes the rounding rest.
    long pos = (vertical ? inner.top : inner.left) - scrollOffset;
    int adjusted = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* c = ItemAt(i);
        if (!c->IsVisible())
            continue;
        if (c->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT pad = c->GetPadding();
        SIZE want = c->EstimateSize(available);
        long main = mainOf(want);
        if (main == 0) {
            ++adjusted;
            main = adjusted == adjustables ? remaining - share * (adjustables - 1) : share;
            main = clampMain(c, main);
        } else {
            main = clampMain(c, main);
        }
        long cross = vertical ? want.cx : want.cy;
        long crossPad = vertical ? pad.left + pad.right : pad.top + pad.bottom;
        if (cross == 0)
            cross = crossSize - crossPad;
        if (vertical)
            cross = std::max<long>(c->GetMinWidth(), std::min<long>(c->GetMaxWidth(), cross));
        else
            cross = std::max<long>(c->GetMinHeight(), std::min<long>(c->GetMaxHeight(), cross));
        RECT rc;
        if (vertical) {
            rc.left = inner.left + pad.left;
            rc.right = rc.left + cross;
            rc.top = pos + pad.top;
            rc.bottom = rc.top + main;
            pos = rc.bottom + pad.bottom + m_iChildPadding;
        } else {
            rc.top = inner.top + pad.top;
            rc.bottom = rc.top + cross;
            rc.left = pos + pad.left;
            rc.right = rc.left + main;
            pos = rc.right + pad.right + m_iChildPadding;
        }
        c->SetPos(rc, false);
    }
}

void CContainerUI::DoPaint(sf::RenderTarget& target, const RECT& rcPaint)
{
    RECT clip;
    if (!IntersectRect(clip, rcPaint, m_rcItem))
        return;
    CControlUI::DoPaint(target, rcPaint);
    RECT inner;
    IntersectRect(inner, clip, ContentRect());
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* control = ItemAt(i);
        if (!control->IsVisible())
            continue;
        const RECT& area = control->IsFloat() ? clip : inner;
        RECT rc;
        if (IntersectRect(rc, area, control->GetPos()))
            control->DoPaint(target, area);
    }
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible())
        m_pVerticalScrollBar->DoPaint(target, clip);
}

void CContainerUI::SetAttribute(const char* name, const char* value)
{
    if (std::strcmp(name, "inset") == 0)
        SetInset(ParseRect(value));
    else if (std::strcmp(name, "childpadding") == 0)
        SetChildPadding(std::atoi(value));
    else if (std::strcmp(name, "vscrollbar") == 0)
        EnableScrollBar(ParseBool(value));
    else
        CControlUI::SetAttribute(name, value);
}

}  // namespace DuiLib
