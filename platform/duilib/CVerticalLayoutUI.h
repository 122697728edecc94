#pragma once
// A container that lays its children out in a column: children with a fixed
// height get it, the others share the rest equally; inset and
// childpadding leave space around and between them. UI thread only.

#include "platform/duilib/CContainerUI.h"

namespace DuiLib {

class CVerticalLayoutUI : public CContainerUI
{
public:
    const char* GetClass() const override { return "VerticalLayoutUI"; }
    void* GetInterface(const char* name) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};

}  // namespace DuiLib
