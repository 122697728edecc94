#pragma once
// A button with a selected state. Without a group a click toggles it; in a
// group a click selects it and deselects the group's other options. A click
// sends "click" first, then "selectchanged" when the state changed (only
// the newly selected option of a group notifies). UI thread only.

#include "platform/duilib/CButtonUI.h"

namespace DuiLib {

class COptionUI : public CButtonUI
{
public:
    COptionUI() = default;
    ~COptionUI() override;
    const char* GetClass() const override { return "OptionUI"; }
    void* GetInterface(const char* name) override;

    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;

    CDuiString GetGroup() const { return m_sGroupName; }
    void SetGroup(const char* group);
    bool IsSelected() const { return m_bSelected; }
    // Sets the state; sends "selectchanged" when it changed and bTriggerEvent is set.
    virtual void Selected(bool selected, bool bTriggerEvent = true);

    void SetSelectedImage(const char* description);
    void SetSelectedHotImage(const char* description);
    void SetSelectedTextColor(DWORD argb);
    void SetSelectedBkColor(DWORD argb);

    void SetAttribute(const char* name, const char* value) override;
    void PaintBkColor(sf::RenderTarget& target) override;
    void PaintStatusImage(sf::RenderTarget& target) override;
    void PaintText(sf::RenderTarget& target) override;

protected:
    bool m_bSelected = false;
    CDuiString m_sGroupName;
    CDuiString m_sSelectedImage;
    CDuiString m_sSelectedHotImage;
    CDuiString m_sSelectedForeImage;
    DWORD m_dwSelectedTextColor = 0;
    DWORD m_dwSelectedBkColor = 0;
};

}  // namespace DuiLib
