#pragma once
// A single-line text field: caret, selection with mouse and Shift+arrows,
// Home/End, Delete/Backspace, Ctrl+A/C/X/V through the X clipboard, typed
// text in any script the keyboard composes, a maximum length in characters,
// read-only mode and a prompt text shown while empty. Every change made by
// the user sends "textchanged"; SetText from code does not. UI thread only.

#include "platform/duilib/CLabelUI.h"

#include <SFML/System/String.hpp>

namespace DuiLib {

class CEditUI : public CLabelUI
{
public:
    CEditUI();
    const char* GetClass() const override { return "EditUI"; }
    void* GetInterface(const char* name) override;
    UINT GetControlFlags() const override;

    void SetText(const char* text) override;
    // Longest text in characters (code points); longer input is cut.
    void SetMaxChar(UINT max);
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetPasswordMode(bool password);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    void SetPromptText(const char* text);
    CDuiString GetPromptText() const { return m_sPromptText; }
    void SetPromptTextColor(DWORD argb);
    void SetNativeEditBkColor(DWORD argb);

    // Selection in characters; end -1 means the end of the text.
    void SetSel(long start, long end);
    void SetSelAll() { SetSel(0, -1); }
    void GetSel(long& start, long& end) const;
    CDuiString GetSelText() const;
    // Replaces the selection (or inserts at the caret) as if typed.
    void ReplaceSel(const char* text);
    long GetCaretPos() const { return m_nCaret; }

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintBkColor(sf::RenderTarget& target) override;
    void PaintText(sf::RenderTarget& target) override;
    void PaintBorder(sf::RenderTarget& target) override;

private:
    sf::String Chars() const;
    void SetChars(const sf::String& chars, bool notify);
    // Character index under window x.
    long HitTest(long x) const;
    float PrefixWidth(const sf::String& chars, long count) const;
    void MoveCaret(long to, bool extend);
    void DeleteSelection(sf::String& chars);
    bool HandleKey(TEventUI& event);
    void Copy();
    void Paste();
    RECT TextRect() const;

    UINT m_uMaxChar = 255;
    bool m_bReadOnly = false;
    bool m_bPasswordMode = false;
    bool m_bCaretOn = false;
    bool m_bSelecting = false;
    long m_nCaret = 0;  // characters
    long m_nAnchor = 0;  // other end of the selection
    float m_fScrollX = 0;  // text shifted left so the caret shows
    CDuiString m_sPromptText;
    DWORD m_dwPromptColor = 0xFFA0A0A0;
    DWORD m_dwEditBkColor = 0xFFFFFFFF;
    DWORD m_dwSelectColor = 0xFF99C9EF;
};

}  // namespace DuiLib
