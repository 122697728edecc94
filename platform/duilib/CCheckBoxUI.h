#pragma once
// An option used as a check box: same notifications, plus the check names.
// UI thread only.

#include "platform/duilib/COptionUI.h"

namespace DuiLib {

class CCheckBoxUI : public COptionUI
{
public:
    const char* GetClass() const override { return "CheckBoxUI"; }
    void* GetInterface(const char* name) override;
    void SetCheck(bool check, bool bTriggerEvent = true) { Selected(check, bTriggerEvent); }
    bool GetCheck() const { return IsSelected(); }
};

}  // namespace DuiLib
