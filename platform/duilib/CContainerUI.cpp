#include "platform/duilib/CContainerUI.h"

#include "platform/duilib/CPaintManagerUI.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DuiLib {

CContainerUI::~CContainerUI()
{
    RemoveAll();
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
    CControlUI* control = GetItemAt(index);
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
    while (GetCount() > 0)
        RemoveAt(GetCount() - 1);
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
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* found = GetItemAt(i)->FindControl(FindByName, const_cast<char*>(name), UIFIND_ALL);
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
    for (int i = 0; i < GetCount(); ++i)
        GetItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible)
{
    CControlUI::SetInternVisible(visible);
    for (int i = 0; i < GetCount(); ++i)
        GetItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    for (int i = 0; i < GetCount(); ++i)
        GetItemAt(i)->SetManager(manager, this, init);
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
    if (flags & UIFIND_ME_FIRST) {
        if (CControlUI* me = CControlUI::FindControl(proc, data, flags))
            return me;
    }
    if (flags & UIFIND_TOP_FIRST) {
        // Later children are drawn on top, so they are hit first.
        for (int i = GetCount() - 1; i >= 0; --i) {
            if (CControlUI* found = GetItemAt(i)->FindControl(proc, data, flags))
                return found;
        }
    } else {
        for (int i = 0; i < GetCount(); ++i) {
            if (CControlUI* found = GetItemAt(i)->FindControl(proc, data, flags))
                return found;
        }
    }
    if (!(flags & UIFIND_ME_FIRST))
        return CControlUI::FindControl(proc, data, flags);
    return nullptr;
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
    CControlUI* control = GetItemAt(index);
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
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* control = GetItemAt(i);
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
    auto mainOf = [vertical](SIZE s) { return vertical ? s.cy : s.cx; };
    auto mainMin = [vertical](CControlUI* c) { return vertical ? c->GetMinHeight() : c->GetMinWidth(); };
    auto mainMax = [vertical](CControlUI* c) { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); };
    auto clampMain
        = [&](CControlUI* c, long v) { return std::max<long>(mainMin(c), std::min<long>(mainMax(c), v)); };

    // First pass: what the fixed children take.
    long fixedTotal = 0;
    int adjustables = 0;
    int shown = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* c = GetItemAt(i);
        if (!c->IsVisible() || c->IsFloat())
            continue;
        RECT pad = c->GetPadding();
        long want = mainOf(c->EstimateSize(available));
        if (want == 0)
            ++adjustables;
        else
            fixedTotal += clampMain(c, want);
        fixedTotal += vertical ? pad.top + pad.bottom : pad.left + pad.right;
        ++shown;
    }
    if (shown > 1)
        fixedTotal += static_cast<long>(shown - 1) * m_iChildPadding;
    long remaining = std::max<long>(0, mainSize - fixedTotal);
    long share = adjustables > 0 ? remaining / adjustables : 0;

    // Second pass: place them; the last stretching child takes the rounding rest.
    long pos = vertical ? inner.top : inner.left;
    int adjusted = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* c = GetItemAt(i);
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
    IntersectRect(inner, clip, InsetRect());
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* control = GetItemAt(i);
        if (!control->IsVisible())
            continue;
        const RECT& area = control->IsFloat() ? clip : inner;
        RECT rc;
        if (IntersectRect(rc, area, control->GetPos()))
            control->DoPaint(target, area);
    }
}

void CContainerUI::SetAttribute(const char* name, const char* value)
{
    if (std::strcmp(name, "inset") == 0)
        SetInset(ParseRect(value));
    else if (std::strcmp(name, "childpadding") == 0)
        SetChildPadding(std::atoi(value));
    else
        CControlUI::SetAttribute(name, value);
}

}  // namespace DuiLib
