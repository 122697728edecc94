#pragma once
// A single-line text with font, colours, alignment, text padding and an
// optional "..." at the end when it does not fit. With "showhtml" the text
// is markup (see CHtmlText); a click on a {a} link of an enabled control
// sends "link" with the link's index in wParam (GetLinkContent gives its
// target). UI thread only.

#include "platform/duilib/CControlUI.h"
#include "platform/duilib/CHtmlText.h"

#include <vector>

namespace DuiLib {

class CLabelUI : public CControlUI
{
public:
    CLabelUI();
    const char* GetClass() const override { return "LabelUI"; }
    void* GetInterface(const char* name) override;

    void SetTextStyle(UINT style);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextColor(DWORD argb);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD argb);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetFont(int index);
    int GetFont() const { return m_iFont; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool show = true);
    void SetAutoCalcWidth(bool autoCalc);
    // Target of link index as last laid out, or null.
    const CDuiString* GetLinkContent(int index) const;
    int GetLinkCount() const { return static_cast<int>(m_aLinks.size()); }
    UINT GetControlFlags() const override;
    void DoEvent(TEventUI& event) override;

    SIZE EstimateSize(SIZE szAvailable) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintText(sf::RenderTarget& target) override;

protected:
    // The text as drawn: html tags of the {a}..{/a} kind removed.
    CDuiString GetDisplayText() const;
    void PaintTextWithColor(sf::RenderTarget& target, DWORD argb);

    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT m_rcTextPadding{0, 0, 0, 0};
    bool m_bShowHtml = false;
    bool m_bAutoCalcWidth = false;
    std::vector<THtmlLink> m_aLinks;
    int m_iHotLink = -1;
    int m_iPressedLink = -1;

private:
    int LinkAt(POINT pt) const;
};

}  // namespace DuiLib
