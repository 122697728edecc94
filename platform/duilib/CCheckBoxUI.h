#pragma once
// An option used as a check box: same notifications, plus the check names.
// Without images of its own it draws a plain box (ticked when checked) in
// its text colour, left of the text. UI thread only.

#include "platform/duilib/COptionUI.h"

namespace DuiLib {

class CCheckBoxUI : public COptionUI
{
public:
    const char* GetClass() const override { return "CheckBoxUI"; }
    void* GetInterface(const char* name) override;
    void SetCheck(bool check, bool bTriggerEvent = true) { Selected(check, bTriggerEvent); }
    bool GetCheck() const { return IsSelected(); }
    void PaintStatusImage(sf::RenderTarget& target) override;
    void PaintText(sf::RenderTarget& target) override;

    // Side of the drawn box, and the gap after it.
    static constexpr int kBoxSize = 14;
    static constexpr int kBoxGap = 6;

private:
    bool DrawsOwnBox() const { return m_sNormalImage.IsEmpty() && m_sSelectedImage.IsEmpty(); }
};

}  // namespace DuiLib
