#include "app/shell/PropertySheetPresenter.h"

#include "platform/directshow/PropertySheetHook.h"
#include "platform/duilib/CPropertySheetWnd.h"

#include <SFML/System/String.hpp>

namespace {

std::string Utf8(const std::wstring& text)
{
    std::basic_string<sf::Uint8> bytes = sf::String(text).toUtf8();
    return std::string(bytes.begin(), bytes.end());
}

// Menus, on/off switches and ranges become rows of their kind.
DuiLib::TPropertySheetControl ToRow(kelvara::dshow::PropertySheetControl& control)
{
    DuiLib::TPropertySheetControl row;
    row.name = Utf8(control.name);
    row.minimum = control.minimum;
    row.maximum = control.maximum;
    row.step = control.step;
    row.defaultValue = control.defaultValue;
    row.value = control.value;
    row.hasAuto = control.hasAuto;
    row.isAuto = control.isAuto;
    row.readOnly = control.readOnly;
    if (!control.choices.empty()) {
        row.type = DuiLib::TPropertySheetControl::Menu;
        for (const auto& choice : control.choices)
            row.choices.emplace_back(choice.value, Utf8(choice.label));
    } else if (control.minimum == 0 && control.maximum == 1) {
        row.type = DuiLib::TPropertySheetControl::Boolean;
    }
    row.apply = control.apply;
    return row;
}

}  // namespace

void InstallPropertySheetPresenter()
{
    kelvara::dshow::SetPropertySheetPresenter(
        [](HWND owner, const std::wstring& caption,
            std::vector<kelvara::dshow::PropertySheetControl>& controls) {
            std::vector<DuiLib::TPropertySheetControl> rows;
            rows.reserve(controls.size());
            for (auto& control : controls)
                rows.push_back(ToRow(control));
            DuiLib::CPropertySheetWnd::Show(owner, Utf8(caption).c_str(), rows);
            for (size_t i = 0; i < controls.size(); ++i) {
                controls[i].value = rows[i].value;
                controls[i].isAuto = rows[i].isAuto;
            }
        });
}
