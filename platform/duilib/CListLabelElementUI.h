#pragma once
// A list or combo row showing one text, in the owner's item font and colours;
// its own "textpadding" wins over the owner's. UI thread only.

#include "platform/duilib/CListElementUI.h"

namespace DuiLib {

class CListLabelElementUI : public CListElementUI
{
public:
    const char* GetClass() const override { return "ListLabelElementUI"; }
    void* GetInterface(const char* name) override;
    void SetTextPadding(RECT rc);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetAttribute(const char* name, const char* value) override;
    void DrawItemText(sf::RenderTarget& target, const RECT& rcItem) override;

protected:
    // Draws text in rc with the owner's settings.
    void DrawCell(sf::RenderTarget& target, RECT rc, const CDuiString& text);

    RECT m_rcTextPadding{0, 0, 0, 0};
    bool m_bOwnPadding = false;
};

}  // namespace DuiLib
