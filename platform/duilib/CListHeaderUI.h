#pragma once
// The column header of a list: a row of CListHeaderItemUI whose widths and
// positions are the list's columns. Hidden while it has no items.
// UI thread only.

#include "platform/duilib/CHorizontalLayoutUI.h"

namespace DuiLib {

class CListHeaderUI : public CHorizontalLayoutUI
{
public:
    CListHeaderUI();
    const char* GetClass() const override { return "ListHeaderUI"; }
    void* GetInterface(const char* name) override;
    SIZE EstimateSize(SIZE szAvailable) override;
};

}  // namespace DuiLib
