#pragma once
// A list row with one text per header column. With a text callback on the
// list the texts come from it (asked with this row, its index and the
// column each time the row is drawn, so only visible rows ask); otherwise
// from SetText(column, text). UI thread only.

#include "platform/duilib/CListLabelElementUI.h"

#include <vector>

namespace DuiLib {

class CListTextElementUI : public CListLabelElementUI
{
public:
    const char* GetClass() const override { return "ListTextElementUI"; }
    void* GetInterface(const char* name) override;
    void SetOwner(CControlUI* owner) override;

    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;
    // Text of a column as last drawn or set.
    CDuiString GetText(int column) const;
    void SetText(int column, const char* text);
    void DrawItemText(sf::RenderTarget& target, const RECT& rcItem) override;

private:
    IListUI* m_pList = nullptr;
    std::vector<CDuiString> m_aTexts;
};

}  // namespace DuiLib
