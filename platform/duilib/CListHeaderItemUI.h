#pragma once
// One column of a list header: its text (often a resource id) and width.
// UI thread only.

#include "platform/duilib/CLabelUI.h"

namespace DuiLib {

class CListHeaderItemUI : public CLabelUI
{
public:
    CListHeaderItemUI();
    const char* GetClass() const override { return "ListHeaderItemUI"; }
    void* GetInterface(const char* name) override;
    void SetSepColor(DWORD argb) { m_dwSepColor = argb; }
    void SetAttribute(const char* name, const char* value) override;
    void PaintBorder(sf::RenderTarget& target) override;

private:
    DWORD m_dwSepColor = 0xFFC8C8C8;
};

}  // namespace DuiLib
