#include "platform/duilib/CEditUI.h"

#include "platform/duilib/CPaintManagerUI.h"
#include "platform/duilib/CRenderEngine.h"
#include "platform/duilib/CWindowWnd.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace DuiLib {
namespace {

constexpr UINT kCaretTimer = 20;
constexpr UINT kCaretBlinkMs = 530;

std::string ToUtf8(const sf::String& s)
{
    std::basic_string<sf::Uint8> bytes = s.toUtf8();
    return std::string(bytes.begin(), bytes.end());
}

sf::String FromUtf8(const char* text)
{
    std::string s = text ? text : "";
    return sf::String::fromUtf8(s.begin(), s.end());
}

// Keeps what can be typed into one line: no control characters.
sf::String Printable(const sf::String& s)
{
    sf::String out;
    for (sf::Uint32 cp : s) {
        if (cp == '\t')
            cp = ' ';
        if (cp >= 0x20 && cp != 0x7F)
            out += cp;
    }
    return out;
}

}  // namespace

CEditUI::CEditUI()
{
    m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    m_rcTextPadding = RECT{4, 0, 4, 0};
    m_dwBorderColor = 0xFFABADB3;
    m_nBorderSize = 1;
}

void* CEditUI::GetInterface(const char* name)
{
    if (std::strcmp(name, "Edit") == 0)
        return this;
    return CLabelUI::GetInterface(name);
}

UINT CEditUI::GetControlFlags() const
{
    return IsEnabled() ? (UIFLAG_TABSTOP | UIFLAG_SETCURSOR) : 0;
}

sf::String CEditUI::Chars() const
{
    return FromUtf8(m_sText);
}

void CEditUI::SetChars(const sf::String& chars, bool notify)
{
    std::string utf8 = ToUtf8(chars);
    if (m_sText == utf8.c_str())
        return;
    m_sText = utf8;
    Invalidate();
    if (notify && m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
}

void CEditUI::SetText(const char* text)
{
    sf::String chars = Printable(FromUtf8(text));
    if (chars.getSize() > m_uMaxChar)
        chars = chars.substring(0, m_uMaxChar);
    m_nCaret = m_nAnchor = static_cast<long>(chars.getSize());
    m_fScrollX = 0;
    SetChars(chars, false);
}

void CEditUI::SetMaxChar(UINT max)
{
    m_uMaxChar = max;
    sf::String chars = Chars();
    if (chars.getSize() > max) {
        chars = chars.substring(0, max);
        m_nCaret = std::min<long>(m_nCaret, static_cast<long>(max));
        m_nAnchor = std::min<long>(m_nAnchor, static_cast<long>(max));
        SetChars(chars, false);
    }
}

void CEditUI::SetReadOnly(bool readOnly)
{
    m_bReadOnly = readOnly;
    Invalidate();
}

void CEditUI::SetPasswordMode(bool password)
{
    m_bPasswordMode = password;
    Invalidate();
}

void CEditUI::SetPromptText(const char* text)
{
    m_sPromptText = text;
    Invalidate();
}

void CEditUI::SetPromptTextColor(DWORD argb)
{
    m_dwPromptColor = argb;
    Invalidate();
}

void CEditUI::SetNativeEditBkColor(DWORD argb)
{
    m_dwEditBkColor = argb;
    Invalidate();
}

void CEditUI::SetSel(long start, long end)
{
    long length = static_cast<long>(Chars().getSize());
    if (end < 0 || end > length)
        end = length;
    m_nAnchor = std::clamp(start, 0L, length);
    m_nCaret = end;
    Invalidate();
}

void CEditUI::GetSel(long& start, long& end) const
{
    start = std::min(m_nAnchor, m_nCaret);
    end = std::max(m_nAnchor, m_nCaret);
}

CDuiString CEditUI::GetSelText() const
{
    long start, end;
    GetSel(start, end);
    return CDuiString(
        ToUtf8(Chars().substring(static_cast<size_t>(start), static_cast<size_t>(end - start))));
}

void CEditUI::DeleteSelection(sf::String& chars)
{
    long start, end;
    GetSel(start, end);
    if (end > start)
        chars.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
    m_nCaret = m_nAnchor = start;
}

void CEditUI::ReplaceSel(const char* text)
{
    sf::String chars = Chars();
    DeleteSelection(chars);
    sf::String insert = Printable(FromUtf8(text));
    size_t room = m_uMaxChar > chars.getSize() ? m_uMaxChar - chars.getSize() : 0;
    if (insert.getSize() > room)
        insert = insert.substring(0, room);
    chars.insert(static_cast<size_t>(m_nCaret), insert);
    m_nCaret = m_nAnchor = m_nCaret + static_cast<long>(insert.getSize());
    SetChars(chars, true);
    Invalidate();
}

RECT CEditUI::TextRect() const
{
    return RECT{m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
        m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
}

float CEditUI::PrefixWidth(const sf::String& chars, long count) const
{
    if (m_pManager == nullptr || count <= 0)
        return 0;
    sf::String prefix = chars.substring(0, static_cast<size_t>(count));
    if (m_bPasswordMode)
        prefix = sf::String(std::basic_string<sf::Uint32>(prefix.getSize(), U'*'));
    return static_cast<float>(CRenderEngine::GetTextSize(ToUtf8(prefix), m_pManager->GetFont(m_iFont)).cx);
}

long CEditUI::HitTest(long x) const
{
    sf::String chars = Chars();
    float target = static_cast<float>(x - TextRect().left) + m_fScrollX;
    long best = 0;
    float previous = 0;
    for (long i = 1; i <= static_cast<long>(chars.getSize()); ++i) {
        float w = PrefixWidth(chars, i);
        if (target < (previous + w) / 2)
            return best;
        best = i;
        previous = w;
    }
    return best;
}

void CEditUI::MoveCaret(long to, bool extend)
{
    long length = static_cast<long>(Chars().getSize());
    m_nCaret = std::clamp(to, 0L, length);
    if (!extend)
        m_nAnchor = m_nCaret;
    m_bCaretOn = true;
    Invalidate();
}

void CEditUI::Copy()
{
    long start, end;
    GetSel(start, end);
    if (end <= start || m_bPasswordMode || m_pManager == nullptr)
        return;
    if (CWindowWnd* window = CWindowWnd::FromHandle(m_pManager->GetPaintWindow()))
        window->SetClipboardText(GetSelText());
}

void CEditUI::Paste()
{
    if (m_bReadOnly || m_pManager == nullptr)
        return;
    CWindowWnd* window = CWindowWnd::FromHandle(m_pManager->GetPaintWindow());
    CDuiString text;
    if (window && window->GetClipboardText(text))
        ReplaceSel(text);
}

bool CEditUI::HandleKey(TEventUI& event)
{
    bool shift = (static_cast<WPARAM>(event.lParam) & MK_SHIFT) != 0;
    bool ctrl = (static_cast<WPARAM>(event.lParam) & MK_CONTROL) != 0;
    long length = static_cast<long>(Chars().getSize());
    switch (event.wParam) {
    case VK_LEFT:
        if (!shift && m_nCaret != m_nAnchor)
            MoveCaret(std::min(m_nCaret, m_nAnchor), false);
        else
            MoveCaret(m_nCaret - 1, shift);
        return true;
    case VK_RIGHT:
        if (!shift && m_nCaret != m_nAnchor)
            MoveCaret(std::max(m_nCaret, m_nAnchor), false);
        else
            MoveCaret(m_nCaret + 1, shift);
        return true;
    case VK_HOME:
        MoveCaret(0, shift);
        return true;
    case VK_END:
        MoveCaret(length, shift);
        return true;
    case VK_DELETE:
    case VK_BACK: {
        if (m_bReadOnly)
            return true;
        sf::String chars = Chars();
        if (m_nCaret != m_nAnchor) {
            DeleteSelection(chars);
        } else if (event.wParam == VK_BACK && m_nCaret > 0) {
            chars.erase(static_cast<size_t>(m_nCaret - 1), 1);
            m_nAnchor = --m_nCaret;
        } else if (event.wParam == VK_DELETE && m_nCaret < length) {
            chars.erase(static_cast<size_t>(m_nCaret), 1);
        }
        SetChars(chars, true);
        return true;
    }
    default:
        break;
    }
    if (!ctrl)
        return false;
    switch (event.wParam) {
    case 'A':
        SetSelAll();
        return true;
    case 'C':
        Copy();
        return true;
    case 'X':
        Copy();
        if (!m_bReadOnly && !m_bPasswordMode)
            ReplaceSel("");
        return true;
    case 'V':
        Paste();
        return true;
    default:
        return false;
    }
}

void CEditUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (m_pManager) {
            if (CWindowWnd* window = CWindowWnd::FromHandle(m_pManager->GetPaintWindow()))
                window->SetCursor(UICURSOR_IBEAM);
        }
        return;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        m_bCaretOn = true;
        if (m_pManager)
            m_pManager->SetTimer(this, kCaretTimer, kCaretBlinkMs);
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        m_bSelecting = false;
        if (m_pManager)
            m_pManager->KillTimer(this, kCaretTimer);
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (event.wParam == kCaretTimer) {
            m_bCaretOn = !m_bCaretOn;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            MoveCaret(HitTest(event.ptMouse.x), (event.wKeyState & MK_SHIFT) != 0);
            m_bSelecting = true;
        }
        return;
    case UIEVENT_DBLCLICK:
        if (IsEnabled())
            SetSelAll();
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_bSelecting)
            MoveCaret(HitTest(event.ptMouse.x), true);
        return;
    case UIEVENT_BUTTONUP:
        m_bSelecting = false;
        return;
    case UIEVENT_KEYDOWN:
        if (IsEnabled() && HandleKey(event))
            return;
        break;
    case UIEVENT_CHAR: {
        bool ctrl = (static_cast<WPARAM>(event.lParam) & MK_CONTROL) != 0;
        sf::Uint32 cp = static_cast<sf::Uint32>(event.wParam);
        if (IsEnabled() && !m_bReadOnly && !ctrl && cp >= 0x20 && cp != 0x7F) {
            sf::String one(cp);
            std::string utf8 = ToUtf8(one);
            ReplaceSel(utf8.c_str());
        }
        return;
    }
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::SetAttribute(const char* name, const char* value)
{
    std::string n = name;
    if (n == "maxchar")
        SetMaxChar(static_cast<UINT>(std::max(0, std::atoi(value))));
    else if (n == "readonly")
        SetReadOnly(ParseBool(value));
    else if (n == "password")
        SetPasswordMode(ParseBool(value));
    else if (n == "prompttext" || n == "tipvalue")
        SetPromptText(value);
    else if (n == "prompttextcolor" || n == "tipvaluecolor")
        SetPromptTextColor(ParseColor(value));
    else if (n == "nativebkcolor")
        SetNativeEditBkColor(ParseColor(value));
    else if (n == "selectcolor")
        m_dwSelectColor = ParseColor(value);
    else if (n == "text")
        SetText(value);
    else
        CLabelUI::SetAttribute(name, value);
}

void CEditUI::PaintBkColor(sf::RenderTarget& target)
{
    CLabelUI::PaintBkColor(target);
    RECT rc;
    if (m_dwBackColor == 0 && IntersectRect(rc, m_rcItem, m_rcPaint))
        CRenderEngine::DrawColor(target, rc, IsEnabled() ? m_dwEditBkColor : 0xFFF0F0F0);
}

void CEditUI::PaintBorder(sf::RenderTarget& target)
{
    DWORD saved = m_dwBorderColor;
    if (m_bFocused && m_dwBorderColor != 0)
        m_dwBorderColor = 0xFF3C7FB1;
    CLabelUI::PaintBorder(target);
    m_dwBorderColor = saved;
}

void CEditUI::PaintText(sf::RenderTarget& target)
{
    if (m_pManager == nullptr)
        return;
    RECT rc = TextRect();
    RECT clip;
    if (!IntersectRect(clip, rc, m_rcPaint))
        return;
    const TFontInfo* font = m_pManager->GetFont(m_iFont);
    sf::String chars = Chars();
    if (chars.isEmpty() && !m_bFocused) {
        if (!m_sPromptText.IsEmpty())
            CRenderEngine::DrawText(
                &target, rc, m_sPromptText, m_dwPromptColor, font, DT_SINGLELINE | DT_VCENTER);
        return;
    }
    // Scroll so the caret stays inside the box.
    float caretX = PrefixWidth(chars, m_nCaret);
    float width = static_cast<float>(rc.right - rc.left);
    if (caretX - m_fScrollX > width - 2)
        m_fScrollX = caretX - width + 2;
    if (caretX - m_fScrollX < 0)
        m_fScrollX = caretX;
    float total = PrefixWidth(chars, static_cast<long>(chars.getSize()));
    m_fScrollX = std::max(0.f, std::min(m_fScrollX, std::max(0.f, total - width + 2)));
    long shift = static_cast<long>(m_fScrollX);

    CRenderEngine::ClipScope scope(target, clip);
    if (scope.IsEmpty())
        return;
    long start, end;
    GetSel(start, end);
    if (m_bFocused && end > start) {
        long x0 = rc.left - shift + static_cast<long>(PrefixWidth(chars, start));
        long x1 = rc.left - shift + static_cast<long>(PrefixWidth(chars, end));
        CRenderEngine::DrawColor(target, RECT{x0, rc.top + 2, x1, rc.bottom - 2}, m_dwSelectColor);
    }
    sf::String shown
        = m_bPasswordMode ? sf::String(std::basic_string<sf::Uint32>(chars.getSize(), U'*')) : chars;
    RECT textRc{rc.left - shift, rc.top, rc.right + 4096, rc.bottom};
    DWORD color = m_dwTextColor ? m_dwTextColor : m_pManager->GetDefaultFontColor();
    if (!IsEnabled())
        color = m_dwDisabledTextColor ? m_dwDisabledTextColor : m_pManager->GetDefaultDisabledColor();
    CRenderEngine::DrawText(&target, textRc, ToUtf8(shown).c_str(), color, font, DT_SINGLELINE | DT_VCENTER);
    if (m_bFocused && m_bCaretOn && !m_bReadOnly) {
        long x = rc.left - shift + static_cast<long>(caretX);
        int lineHeight = font ? font->iSize + 4 : 16;
        long mid = (rc.top + rc.bottom) / 2;
        CRenderEngine::DrawColor(target, RECT{x, mid - lineHeight / 2, x + 1, mid + lineHeight / 2}, color);
    }
}

}  // namespace DuiLib
