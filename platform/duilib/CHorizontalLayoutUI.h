#pragma once
// A container that lays its children out in a row: children with a fixed
// width get it, the others share the rest equally; inset and
// childpadding leave space around and between them. UI thread only.

#include "platform/duilib/CContainerUI.h"

namespace DuiLib {

class CHorizontalLayoutUI : public CContainerUI
{
public:
    const char* GetClass() const override { return "HorizontalLayoutUI"; }
    void* GetInterface(const char* name) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};

}  // namespace DuiLib
