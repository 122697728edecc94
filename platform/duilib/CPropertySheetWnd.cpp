#include "platform/duilib/CPropertySheetWnd.h"

#include "platform/duilib/CButtonUI.h"
#include "platform/duilib/CCheckBoxUI.h"
#include "platform/duilib/CComboUI.h"
#include "platform/duilib/CHorizontalLayoutUI.h"
#include "platform/duilib/CListLabelElementUI.h"
#include "platform/duilib/CSliderUI.h"
#include "platform/duilib/CVerticalLayoutUI.h"

#include <algorithm>
#include <string>

namespace DuiLib {
namespace {

CPropertySheetWnd* g_sheet = nullptr;

const char* kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="560,420" caption="0,0,0,30" sizebox="4,4,4,4" mininfo="480,240" defaultfontcolor="#FFE6E6E6" disabledfontcolor="#FF5F5F5F">
  <VerticalLayout bkcolor="#FF252526" bordercolor="#FF171717" bordersize="1" inset="1,1,1,1">
    <HorizontalLayout height="30" bkcolor="#FF1B1B1B">
      <Label name="caption" textcolor="#FFE6E6E6" textpadding="10,0,0,0" />
      <Button name="closebtn" width="36" text="×" textcolor="#FFE6E6E6" hotbkcolor="#FFE5484D" />
    </HorizontalLayout>
    <VerticalLayout name="rows" vscrollbar="true" inset="12,10,12,8" childpadding="4" />
    <HorizontalLayout height="44" inset="12,8,12,8" bkcolor="#FF1F1F20">
      <Control />
      <Button name="okbtn" width="90" text="Close" bkcolor="#FF3D8BFD" hotbkcolor="#FF5A9EFF" pushedbkcolor="#FF2F6FCC" textcolor="#FFFFFFFF" />
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

// The rows' controls, in the colours of the window.
const char* const kButtonLook
    = "bkcolor=\"#FF2D2D30\" hotbkcolor=\"#FF3A3A3D\" pushedbkcolor=\"#FF444448\" bordercolor=\"#FF3C3C3C\" "
      "bordersize=\"1\" disabledtextcolor=\"#FF5F5F5F\"";
const char* const kSliderLook
    = "trackcolor=\"#FF3C3C3C\" forecolor=\"#FF3D8BFD\" disabledforecolor=\"#FF4A4A4C\"";

std::string Name(const char* part, int index)
{
    return std::string("sheet_") + part + "_" + std::to_string(index);
}

}  // namespace

CPropertySheetWnd::CPropertySheetWnd(const char* caption, std::vector<TPropertySheetControl>& controls)
    : m_sCaption(caption)
    , m_controls(controls)
{
}

void CPropertySheetWnd::Show(HWND owner, const char* caption, std::vector<TPropertySheetControl>& controls)
{
    CPropertySheetWnd sheet(caption, controls);
    if (sheet.Create(owner, caption, UI_WNDSTYLE_DIALOG, 0) == nullptr)
        return;
    sheet.CenterWindow();
    sheet.ShowModal();
}

CPropertySheetWnd* CPropertySheetWnd::Current()
{
    return g_sheet;
}

long CPropertySheetWnd::Snap(const TPropertySheetControl& control, long value)
{
    long lo = std::min(control.minimum, control.maximum);
    long hi = std::max(control.minimum, control.maximum);
    value = std::clamp(value, lo, hi);
    long step = control.step > 0 ? control.step : 1;
    long snapped = lo + (value - lo + step / 2) / step * step;
    return std::min(snapped, hi);
}

CDuiString CPropertySheetWnd::GetSkinFile()
{
    return kSkin;
}

void CPropertySheetWnd::OnFinalMessage(HWND hWnd)
{
    if (g_sheet == this)
        g_sheet = nullptr;
    WindowImplBase::OnFinalMessage(hWnd);
}

void CPropertySheetWnd::InitWindow()
{
    g_sheet = this;
    if (CControlUI* caption = m_PaintManager.FindControl("caption"))
        caption->SetText(m_sCaption);
    for (int i = 0; i < static_cast<int>(m_controls.size()); ++i)
        AddRow(i);
    long height = 30 + 40 + 16 + static_cast<long>(m_controls.size()) * 32 + 2;
    ResizeClient(560, static_cast<int>(std::min<long>(std::max<long>(height, 160), 640)));
}

void CPropertySheetWnd::AddRow(int index)
{
    const TPropertySheetControl& c = m_controls[static_cast<size_t>(index)];
    auto* rows = static_cast<CContainerUI*>(m_PaintManager.FindControl("rows"));
    auto* row = new CHorizontalLayoutUI;
    row->SetFixedHeight(28);
    row->SetChildPadding(8);
    rows->Add(row);
    auto* label = new CLabelUI;
    label->SetFixedWidth(150);
    label->SetText(c.name);
    label->SetTextStyle(DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    row->Add(label);
    auto tagged = [&](CControlUI* control, const char* part) {
        control->SetName(Name(part, index).c_str());
        control->SetTag(static_cast<UINT_PTR>(index));
        control->SetEnabled(!c.readOnly);
        return control;
    };
    switch (c.type) {
    case TPropertySheetControl::Integer: {
        auto* slider = new CSliderUI;
        slider->SetCanSendMove(true);
        slider->ApplyAttributeList(kSliderLook);
        row->Add(tagged(slider, "value"));
        auto* value = new CLabelUI;
        value->SetName(Name("label", index).c_str());
        value->SetFixedWidth(60);
        row->Add(value);
        break;
    }
    case TPropertySheetControl::Boolean: {
        auto* check = new CCheckBoxUI;
        check->SetText("On");
        row->Add(tagged(check, "value"));
        break;
    }
    case TPropertySheetControl::Menu: {
        auto* combo = new CComboUI;
        row->Add(tagged(combo, "value"));
        for (const auto& choice : c.choices) {
            auto* item = new CListLabelElementUI;
            item->SetText(choice.second);
            item->SetTextPadding(RECT{3, 0, 0, 0});
            combo->Add(item);
        }
        break;
    }
    case TPropertySheetControl::Button: {
        auto* button = new CButtonUI;
        button->SetText("Apply");
        button->ApplyAttributeList(kButtonLook);
        row->Add(tagged(button, "value"));
        break;
    }
    }
    auto* autoCheck = new CCheckBoxUI;
    autoCheck->SetText("Auto");
    autoCheck->SetFixedWidth(60);
    autoCheck->SetVisible(c.hasAuto);
    row->Add(tagged(autoCheck, "auto"));
    auto* reset = new CButtonUI;
    reset->SetText("Reset");
    reset->SetFixedWidth(60);
    reset->ApplyAttributeList(kButtonLook);
    reset->SetVisible(c.type != TPropertySheetControl::Button);
    row->Add(tagged(reset, "reset"));
    ShowRow(index);
}

void CPropertySheetWnd::ShowRow(int index)
{
    const TPropertySheetControl& c = m_controls[static_cast<size_t>(index)];
    m_bUpdating = true;
    CControlUI* control = m_PaintManager.FindControl(Name("value", index).c_str());
    if (auto* slider = control ? static_cast<CSliderUI*>(control->GetInterface("Slider")) : nullptr) {
        slider->SetMaxValue(static_cast<int>(c.maximum));
        slider->SetMinValue(static_cast<int>(c.minimum));
        slider->SetValue(static_cast<int>(c.value));
        slider->SetChangeStep(static_cast<int>(c.step));
        slider->SetEnabled(!c.readOnly && !c.isAuto);
        if (CControlUI* label = m_PaintManager.FindControl(Name("label", index).c_str()))
            label->SetText(std::to_string(c.value).c_str());
    } else if (auto* check = control ? static_cast<COptionUI*>(control->GetInterface("Option")) : nullptr) {
        check->Selected(c.value != 0, false);
        check->SetEnabled(!c.readOnly && !c.isAuto);
    } else if (auto* combo = control ? static_cast<CComboUI*>(control->GetInterface("Combo")) : nullptr) {
        for (size_t i = 0; i < c.choices.size(); ++i) {
            if (c.choices[i].first == c.value)
                combo->SelectItem(static_cast<int>(i));
        }
        combo->SetEnabled(!c.readOnly && !c.isAuto);
    }
    if (auto* autoCheck = static_cast<COptionUI*>(m_PaintManager.FindControl(Name("auto", index).c_str())))
        autoCheck->Selected(c.isAuto, false);
    m_bUpdating = false;
}

void CPropertySheetWnd::Apply(int index, long value, bool isAuto)
{
    TPropertySheetControl& c = m_controls[static_cast<size_t>(index)];
    if (c.readOnly)
        return;
    if (c.type == TPropertySheetControl::Integer)
        value = Snap(c, value);
    bool accepted = !c.apply || c.apply(value, isAuto);
    if (accepted) {
        c.value = value;
        c.isAuto = isAuto;
    }
    ShowRow(index);  // a refused change shows the old state again
}

void CPropertySheetWnd::Notify(TNotifyUI& msg)
{
    CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
    if (msg.sType == DUI_MSGTYPE_CLICK && (name == "okbtn" || name == "closebtn")) {
        Close(IDOK);
        return;
    }
    if (m_bUpdating || msg.pSender == nullptr || name.Find("sheet_") != 0) {
        WindowImplBase::Notify(msg);
        return;
    }
    int index = static_cast<int>(msg.pSender->GetTag());
    if (index < 0 || index >= static_cast<int>(m_controls.size()))
        return;
    TPropertySheetControl& c = m_controls[static_cast<size_t>(index)];
    bool isValue = name.Find("sheet_value_") == 0;
    if (isValue && (msg.sType == DUI_MSGTYPE_VALUECHANGED || msg.sType == DUI_MSGTYPE_MOVEVALUECHANGED)) {
        Apply(index, static_cast<CSliderUI*>(msg.pSender)->GetValue(), c.isAuto);
    } else if (isValue && msg.sType == DUI_MSGTYPE_SELECTCHANGED) {
        Apply(index, static_cast<COptionUI*>(msg.pSender)->IsSelected() ? 1 : 0, c.isAuto);
    } else if (isValue && msg.sType == DUI_MSGTYPE_ITEMSELECT) {
        size_t choice = static_cast<size_t>(msg.wParam);
        if (choice < c.choices.size())
            Apply(index, c.choices[choice].first, c.isAuto);
    } else if (isValue && msg.sType == DUI_MSGTYPE_CLICK && c.type == TPropertySheetControl::Button) {
        Apply(index, c.value, false);
    } else if (name.Find("sheet_auto_") == 0 && msg.sType == DUI_MSGTYPE_SELECTCHANGED) {
        Apply(index, c.value, static_cast<COptionUI*>(msg.pSender)->IsSelected());
    } else if (name.Find("sheet_reset_") == 0 && msg.sType == DUI_MSGTYPE_CLICK) {
        Apply(index, c.defaultValue, false);
    }
}

}  // namespace DuiLib
