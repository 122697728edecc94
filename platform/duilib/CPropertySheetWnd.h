#pragma once
// A generic modal property sheet: one row per control with its name, a
// slider and value (integers), a check box (booleans), a drop-down (menus)
// or a button, an "Auto" check box where the control has an automatic mode,
// and a reset button. Every change is applied at once through the control's
// apply function; the control records are updated to what was applied.
// UI thread only.

#include "platform/duilib/WindowImplBase.h"

#include <functional>
#include <utility>
#include <vector>

namespace DuiLib {

class CLabelUI;

struct TPropertySheetControl
{
    enum Type
    {
        Integer,
        Boolean,
        Menu,
        Button,
    };
    CDuiString name;
    Type type = Integer;
    long minimum = 0;
    long maximum = 0;
    long step = 1;
    long defaultValue = 0;
    long value = 0;
    bool hasAuto = false;
    bool isAuto = false;
    bool readOnly = false;
    std::vector<std::pair<long, CDuiString>> choices;  // value and label, for menus
    // Writes the value and auto mode; false when refused.
    std::function<bool(long value, bool isAuto)> apply;
};

class CPropertySheetWnd : public WindowImplBase
{
public:
    CPropertySheetWnd(const char* caption, std::vector<TPropertySheetControl>& controls);
    // Shows the sheet modally over owner until the user closes it.
    static void Show(HWND owner, const char* caption, std::vector<TPropertySheetControl>& controls);
    // The sheet that is open now, or null.
    static CPropertySheetWnd* Current();
    // Value snapped to the control's step inside its range.
    static long Snap(const TPropertySheetControl& control, long value);

protected:
    CDuiString GetSkinFile() override;
    const char* GetWindowClassName() const override { return "UIPropertySheet"; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void AddRow(int index);
    // Applies value/auto of row index and shows the result.
    void Apply(int index, long value, bool isAuto);
    void ShowRow(int index);

    CDuiString m_sCaption;
    std::vector<TPropertySheetControl>& m_controls;
    bool m_bUpdating = false;  // rows are being set from code: no applying
};

}  // namespace DuiLib
