#pragma once
// A label for longer texts: wraps at word boundaries over several lines
// and starts at the top. UI thread only.

#include "platform/duilib/CLabelUI.h"

namespace DuiLib {

class CTextUI : public CLabelUI
{
public:
    CTextUI();
    const char* GetClass() const override { return "TextUI"; }
    void* GetInterface(const char* name) override;
};

}  // namespace DuiLib
