#pragma once
// The column of items of one menu window (the "Menu" skin element).
// UI thread only.

#include "platform/duilib/CMenuElementUI.h"
#include "platform/duilib/CVerticalLayoutUI.h"

namespace DuiLib {

class CMenuUI : public CVerticalLayoutUI
{
public:
    CMenuUI();
    const char* GetClass() const override { return "MenuUI"; }
    void* GetInterface(const char* name) override;
    // Width and height the items need (insets and border included).
    SIZE EstimateMenuSize();
    // Minimum width of the menu.
    void SetMinMenuWidth(int width) { m_nMinWidth = width; }
    void SetAttribute(const char* name, const char* value) override;

private:
    int m_nMinWidth = 120;
};

}  // namespace DuiLib
