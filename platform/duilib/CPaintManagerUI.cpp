#include "platform/duilib/CPaintManagerUI.h"

#include "platform/duilib/CControlUI.h"
#include "platform/duilib/CFontCache.h"
#include "platform/duilib/CImageCache.h"
#include "platform/duilib/CMessageLoop.h"
#include "platform/duilib/CResourceLoader.h"
#include "platform/duilib/CToolTipWnd.h"
#include "platform/duilib/CWindowWnd.h"
#include "platform/duilib/CX11Connection.h"

#include "platform/system/ProgramDirectory.h"
#include "platform/system/Tick.h"

#include <algorithm>
#include <cstring>

namespace DuiLib {
namespace {

void* g_instance = nullptr;

CControlUI* FindByName(CControlUI* control, void* data)
{
    return control->GetName() == static_cast<const char*>(data) ? control : nullptr;
}

CControlUI* FindByPoint(CControlUI* control, void*)
{
    return control;
}

struct TabSearch
{
    CControlUI* focus;
    CControlUI* last = nullptr;
    bool passedFocus = false;
    bool forward;
};

CControlUI* FindTabStop(CControlUI* control, void* data)
{
    auto* search = static_cast<TabSearch*>(data);
    if (!(control->GetControlFlags() & UIFLAG_TABSTOP) || !control->IsKeyboardEnabled())
        return nullptr;
    if (search->forward) {
        if (search->focus == nullptr || search->passedFocus)
            return control;
        if (control == search->focus)
            search->passedFocus = true;
        return nullptr;
    }
    if (control == search->focus && search->last)
        return search->last;
    search->last = control;
    return nullptr;
}

}  // namespace

// ---- process-wide ----

void CPaintManagerUI::SetInstance(void* instance)
{
    g_instance = instance;
}

void* CPaintManagerUI::GetInstance()
{
    return g_instance;
}

void* CPaintManagerUI::GetResourceDll()
{
    return g_instance;
}

CDuiString CPaintManagerUI::GetInstancePath()
{
    return CDuiString(kelvara::GetProgramDirectory());
}

void CPaintManagerUI::SetResourceType(int type)
{
    CResourceLoader::SetResourceType(type);
}

int CPaintManagerUI::GetResourceType()
{
    return CResourceLoader::GetResourceType();
}

void CPaintManagerUI::SetResourcePath(const char* path)
{
    CResourceLoader::SetResourcePath(path ? path : "");
}

CDuiString CPaintManagerUI::GetResourcePath()
{
    return CDuiString(CResourceLoader::GetResourcePath());
}

bool CPaintManagerUI::SetResourceZip(const void* bytes, unsigned int size)
{
    CImageCache::RemoveAll();
    return CResourceLoader::SetResourceZip(bytes, size);
}

void CPaintManagerUI::DeletePtr(void* ptr)
{
    // Records handed out by the library are trivially destructible and come
    // from operator new.
    ::operator delete(ptr);
}

// ---- per window ----

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI()
{
    m_pToolTip.reset();
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;
}

void CPaintManagerUI::Init(HWND hWnd, const char*)
{
    m_hWndPaint = hWnd;
}

SIZE CPaintManagerUI::GetClientSize() const
{
    RECT rc{0, 0, 0, 0};
    if (CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint))
        window->GetClientRect(rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

void CPaintManagerUI::SetInitSize(int cx, int cy)
{
    m_szInitWindowSize = SIZE{cx, cy};
    if (m_pRoot == nullptr) {
        if (CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint))
            window->ResizeClient(cx, cy);
    }
}

HFONT CPaintManagerUI::AddFont(int id, const char* name, int size, bool bold, bool underline, bool italic)
{
    auto font = std::make_unique<TFontInfo>();
    font->id = id;
    font->sFontName = name;
    font->iSize = size > 0 ? size : 12;
    font->bBold = bold;
    font->bUnderline = underline;
    font->bItalic = italic;
    font->face = CFontCache::GetFace(font->sFontName.str(), bold, italic);
    TFontInfo* result = font.get();
    m_mFonts[id] = std::move(font);
    return result;
}

TFontInfo* CPaintManagerUI::GetDefaultFontInfo()
{
    if (!m_bDefaultFontSet && m_pResourceParent)
        return m_pResourceParent->GetDefaultFontInfo();
    if (!m_defaultFont) {
        m_defaultFont = std::make_unique<TFontInfo>();
        m_defaultFont->sFontName = "DejaVu Sans";
        m_defaultFont->iSize = 12;
        m_defaultFont->face = CFontCache::GetFace("DejaVu Sans", false, false);
    }
    return m_defaultFont.get();
}

void CPaintManagerUI::SetDefaultFont(const char* name, int size, bool bold, bool underline, bool italic)
{
    m_bDefaultFontSet = true;
    TFontInfo* font = GetDefaultFontInfo();
    font->sFontName = name;
    font->iSize = size > 0 ? size : 12;
    font->bBold = bold;
    font->bUnderline = underline;
    font->bItalic = italic;
    font->face = CFontCache::GetFace(font->sFontName.str(), bold, italic);
}

HFONT CPaintManagerUI::GetFont(int id)
{
    auto it = m_mFonts.find(id);
    if (it != m_mFonts.end())
        return it->second.get();
    return m_pResourceParent ? m_pResourceParent->GetFont(id) : GetDefaultFontInfo();
}

void CPaintManagerUI::AddDefaultAttributeList(const char* controlName, const char* list)
{
    m_mDefaultAttrs[controlName ? controlName : ""] = list ? list : "";
}

const char* CPaintManagerUI::GetDefaultAttributeList(const char* controlName) const
{
    auto it = m_mDefaultAttrs.find(controlName ? controlName : "");
    return it == m_mDefaultAttrs.end() ? nullptr : it->second.c_str();
}

void CPaintManagerUI::AddStyle(const char* name, const char* list)
{
    m_mStyles[name ? name : ""] = list ? list : "";
}

const char* CPaintManagerUI::GetStyle(const char* name) const
{
    auto it = m_mStyles.find(name ? name : "");
    return it == m_mStyles.end() ? nullptr : it->second.c_str();
}

const TImageInfo* CPaintManagerUI::GetImage(const char* file)
{
    return CImageCache::Get(file ? file : "");
}

bool CPaintManagerUI::AttachDialog(CControlUI* root)
{
    if (root == nullptr)
        return false;
    // A new tree replaces the old one.
    SetFocus(nullptr);
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    m_aAsyncNotify.clear();
    CControlUI* old = m_pRoot;
    m_pRoot = nullptr;
    delete old;
    m_mNameHash.RemoveAll();
    m_pRoot = root;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    Invalidate();
    return InitControls(root);
}

bool CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent)
{
    if (control == nullptr)
        return false;
    control->SetManager(this, parent ? parent : control->GetParent(), true);
    // Register every name of the subtree (the first control of a name wins).
    control->FindControl(
        [](CControlUI* c, void* data) -> CControlUI* {
            auto* map = static_cast<CStdStringPtrMap*>(data);
            if (!c->GetName().IsEmpty())
                map->Insert(c->GetName(), c);
            return nullptr;
        },
        &m_mNameHash, UIFIND_ALL);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* control)
{
    if (control == nullptr)
        return;
    // The whole subtree goes away with control.
    control->FindControl(
        [](CControlUI* c, void* data) -> CControlUI* {
            auto* pm = static_cast<CPaintManagerUI*>(data);
            if (pm->m_pFocus == c)
                pm->m_pFocus = nullptr;
            if (pm->m_pEventHover == c)
                pm->m_pEventHover = nullptr;
            if (pm->m_pToolTipControl == c)
                pm->HideToolTip();
            if (pm->m_pEventClick == c) {
                pm->m_pEventClick = nullptr;
                pm->ReleaseCapture();
            }
            if (!c->GetName().IsEmpty() && pm->m_mNameHash.Find(c->GetName()) == c)
                pm->m_mNameHash.Remove(c->GetName());
            pm->m_aAsyncNotify.erase(std::remove_if(pm->m_aAsyncNotify.begin(), pm->m_aAsyncNotify.end(),
                                         [c](const TNotifyUI& n) { return n.pSender == c; }),
                pm->m_aAsyncNotify.end());
            pm->KillTimer(c);
            return nullptr;
        },
        this, UIFIND_ALL);
    NeedUpdate();
    Invalidate();
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const
{
    if (m_pRoot == nullptr)
        return nullptr;
    return m_pRoot->FindControl(FindByPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindControl(const char* name) const
{
    return static_cast<CControlUI*>(m_mNameHash.Find(name));
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* parent, POINT pt) const
{
    if (parent == nullptr)
        parent = m_pRoot;
    return parent ? parent->FindControl(FindByPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST)
                  : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const char* name) const
{
    if (parent == nullptr)
        parent = m_pRoot;
    return parent && name ? parent->FindControl(FindByName, const_cast<char*>(name), UIFIND_ALL) : nullptr;
}

bool CPaintManagerUI::AddOptionGroup(const char* group, CControlUI* control)
{
    auto& members = m_mOptionGroups[group ? group : ""];
    if (!members)
        members = std::make_unique<CStdPtrArray>();
    if (members->Find(control) >= 0)
        return false;
    members->Add(control);
    return true;
}

CStdPtrArray* CPaintManagerUI::GetOptionGroup(const char* group)
{
    auto it = m_mOptionGroups.find(group ? group : "");
    return it == m_mOptionGroups.end() ? nullptr : it->second.get();
}

void CPaintManagerUI::RemoveOptionGroup(const char* group, CControlUI* control)
{
    CStdPtrArray* members = GetOptionGroup(group);
    if (members == nullptr)
        return;
    int index = members->Find(control);
    if (index >= 0)
        members->Remove(index);
}

void CPaintManagerUI::SetFocus(CControlUI* control)
{
    if (control == m_pFocus)
        return;
    if (m_pFocus != nullptr) {
        CControlUI* old = m_pFocus;
        m_pFocus = nullptr;
        TEventUI event;
        event.Type = UIEVENT_KILLFOCUS;
        event.pSender = control;
        event.dwTimestamp = kelvara::GetTickCount();
        std::weak_ptr<bool> alive = old->GetLifeToken();
        old->Event(event);
        if (!alive.expired())
            SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    }
    if (control == nullptr || control->GetManager() != this || !control->IsVisible() || !control->IsEnabled())
        return;
    m_pFocus = control;
    TEventUI event;
    event.Type = UIEVENT_SETFOCUS;
    event.pSender = control;
    event.dwTimestamp = kelvara::GetTickCount();
    std::weak_ptr<bool> alive = control->GetLifeToken();
    control->Event(event);
    if (!alive.expired())
        SendNotify(control, DUI_MSGTYPE_SETFOCUS);
}

bool CPaintManagerUI::SetNextTabControl(bool forward)
{
    if (m_pRoot == nullptr)
        return false;
    TabSearch search{m_pFocus, nullptr, false, forward};
    UINT flags = UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST;
    CControlUI* next = m_pRoot->FindControl(FindTabStop, &search, flags);
    if (next == nullptr) {
        // Wrap around.
        search = TabSearch{nullptr, nullptr, false, true};
        if (forward)
            next = m_pRoot->FindControl(FindTabStop, &search, flags);
        else if (m_pFocus == nullptr || search.last == nullptr) {
            search.forward = false;
            search.focus = nullptr;
            m_pRoot->FindControl(FindTabStop, &search, flags);
            next = search.last;
        }
    }
    if (next == nullptr)
        return false;
    SetFocus(next);
    return true;
}

void CPaintManagerUI::SetCapture()
{
    m_bMouseCapture = true;
}

void CPaintManagerUI::ReleaseCapture()
{
    m_bMouseCapture = false;
}

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT id, UINT elapseMs)
{
    CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint);
    if (window == nullptr || control == nullptr)
        return false;
    for (ControlTimer& t : m_aTimers) {
        if (t.control == control && t.localId == id)
            return window->SetTimer(t.windowId, elapseMs);
    }
    m_aTimers.push_back(ControlTimer{control, id, ++m_nextTimerId});
    return window->SetTimer(m_aTimers.back().windowId, elapseMs);
}

bool CPaintManagerUI::KillTimer(CControlUI* control, UINT id)
{
    for (auto it = m_aTimers.begin(); it != m_aTimers.end(); ++it) {
        if (it->control == control && it->localId == id) {
            if (CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint))
                window->KillTimer(it->windowId);
            m_aTimers.erase(it);
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* control)
{
    for (auto it = m_aTimers.begin(); it != m_aTimers.end();) {
        if (it->control == control) {
            if (CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint))
                window->KillTimer(it->windowId);
            it = m_aTimers.erase(it);
        } else {
            ++it;
        }
    }
}

void CPaintManagerUI::NeedUpdate()
{
    m_bUpdateNeeded = true;
    Invalidate();
}

void CPaintManagerUI::Invalidate()
{
    if (CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint))
        window->Invalidate();
}

void CPaintManagerUI::Invalidate(const RECT& rc)
{
    if (CWindowWnd* window = CWindowWnd::FromHandle(m_hWndPaint))
        window->InvalidateRect(rc);
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier)
{
    if (std::find(m_aNotifiers.begin(), m_aNotifiers.end(), notifier) != m_aNotifiers.end())
        return false;
    m_aNotifiers.push_back(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier)
{
    auto it = std::find(m_aNotifiers.begin(), m_aNotifiers.end(), notifier);
    if (it == m_aNotifiers.end())
        return false;
    m_aNotifiers.erase(it);
    return true;
}

void CPaintManagerUI::SendNotify(
    CControlUI* control, const char* type, WPARAM wParam, LPARAM lParam, bool async)
{
    TNotifyUI msg;
    msg.pSender = control;
    msg.sType = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async)
{
    msg.ptMouse = m_ptLastMouse;
    msg.dwTimestamp = kelvara::GetTickCount();
    if (async) {
        m_aAsyncNotify.push_back(msg);
        PostMessage(m_hWndPaint, WM_APP + 1, 0, 0);
        return;
    }
    // A copy: notifiers may add or remove notifiers while being called.
    std::vector<INotifyUI*> notifiers = m_aNotifiers;
    for (INotifyUI* notifier : notifiers) {
        if (std::find(m_aNotifiers.begin(), m_aNotifiers.end(), notifier) != m_aNotifiers.end())
            notifier->Notify(msg);
    }
}

void CPaintManagerUI::DispatchAsyncNotifications()
{
    while (!m_aAsyncNotify.empty()) {
        TNotifyUI msg = m_aAsyncNotify.front();
        m_aAsyncNotify.erase(m_aAsyncNotify.begin());
        SendNotify(msg, false);
    }
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* filter)
{
    if (std::find(m_aPreMessageFilters.begin(), m_aPreMessageFilters.end(), filter)
        != m_aPreMessageFilters.end())
        return false;
    m_aPreMessageFilters.push_back(filter);
    return true;
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter)
{
    auto it = std::find(m_aPreMessageFilters.begin(), m_aPreMessageFilters.end(), filter);
    if (it == m_aPreMessageFilters.end())
        return false;
    m_aPreMessageFilters.erase(it);
    return true;
}

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter)
{
    if (std::find(m_aMessageFilters.begin(), m_aMessageFilters.end(), filter) != m_aMessageFilters.end())
        return false;
    m_aMessageFilters.push_back(filter);
    return true;
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter)
{
    auto it = std::find(m_aMessageFilters.begin(), m_aMessageFilters.end(), filter);
    if (it == m_aMessageFilters.end())
        return false;
    m_aMessageFilters.erase(it);
    return true;
}

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    std::vector<IMessageFilterUI*> filters = m_aPreMessageFilters;
    for (IMessageFilterUI* filter : filters) {
        bool handled = false;
        LRESULT result = filter->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = result;
            return true;
        }
    }
    // Tab and Shift+Tab move the focus between tab stops.
    if (uMsg == WM_KEYDOWN && wParam == VK_TAB) {
        SetNextTabControl((static_cast<WPARAM>(lParam) & MK_SHIFT) == 0);
        lRes = 0;
        return true;
    }
    return false;
}

}  // namespace DuiLib
