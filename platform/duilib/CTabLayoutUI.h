#pragma once
// A container that shows one child (page) at a time, chosen by index
// ("selectedid" in the skin). UI thread only.

#include "platform/duilib/CContainerUI.h"

namespace DuiLib {

class CTabLayoutUI : public CContainerUI
{
public:
    const char* GetClass() const override { return "TabLayoutUI"; }
    void* GetInterface(const char* name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }
    // Shows page index and hides the others; false for an index out of range.
    bool SelectItem(int index);
    bool SelectItem(CControlUI* control);

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(const char* name, const char* value) override;

private:
    int m_iCurSel = -1;
};

}  // namespace DuiLib
