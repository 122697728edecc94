// Shows the gallery skin with every control filled in. With an output
// folder it saves two screenshots and exits: one with the combo open, one
// with a menu and its sub-menu open. duilib_gallery [output-folder]
#include "tests/support/duilib/SampleSkin.h"

#include <cstdio>
#include <string>

using namespace DuiLib;

namespace {

class Rows : public IListCallbackUI
{
public:
    std::string GetItemText(CControlUI*, int row, int column) override
    {
        static const char* names[] = {"Line", "Circle", "Angle", "Rectangle", "标定 Calibration"};
        if (column == 0)
            return std::to_string(row);
        if (column == 1)
            return names[row % 5];
        return std::to_string(12.5 * (row + 1)).substr(0, 6) + " um";
    }
};

}  // namespace

int main(int argc, char** argv)
{
    duilib_test::InstallSampleSkin();
    duilib_test::SampleWindow window("xmls\\gallery.xml");
    if (window.Create(nullptr, "Kelvara gallery", UI_WNDSTYLE_FRAME, 0, 40, 40, 720, 520) == nullptr) {
        std::fprintf(stderr, "cannot open the gallery window\n");
        return 1;
    }
    Rows rows;
    auto* list = static_cast<CListUI*>(window.Find("list"));
    list->SetTextCallback(&rows);
    for (int i = 0; i < 30; ++i)
        list->Add(new CListTextElementUI);
    list->SelectItem(2);
    auto* cameras = static_cast<CListUI*>(window.Find("cameras"));
    const char* names[] = {"{a}USB Microscope 5MP{/a}", "{a}UVC Camera{/a}", "{a}Wireless camera{/a}"};
    for (const char* name : names) {
        CDialogBuilder builder;
        auto* row = static_cast<CContainerUI*>(
            builder.Create("xmls\\listrow_camera.xml", nullptr, nullptr, window.GetPaintManager()));
        cameras->Add(row);
        row->FindSubControl("camera_name")->SetText(name);
    }
    static_cast<CComboUI*>(window.Find("combo"))->SelectItem(3);
    window.Find("edit")->SetText("Stage micrometer 中文");
    duilib_test::PumpUntil([] { return false; }, 400);

    if (argc < 2) {
        window.ShowModal();
        return 0;
    }
    std::string out = argv[1];
    auto* combo = static_cast<CComboUI*>(window.Find("combo"));
    combo->Activate();
    duilib_test::PumpUntil([] { return false; }, 400);
    bool ok = duilib_test::SaveScreenshot(out + "/gallery_combo.png");
    combo->CloseDropDown();

    RECT wr;
    window.GetWindowRect(wr);
    RECT button = window.Find("btnMenu")->GetPos();
    MenuCheckMap checks{{"Menu_Item_Png", true}};
    CMenuWnd menu;
    menu.Init(nullptr, "xmls\\menus\\menu_test.xml", POINT{wr.left + button.left, wr.top + button.bottom},
        window.GetPaintManager(), &checks, 6);
    duilib_test::PumpUntil([] { return false; }, 200);
    menu.OnItemHover(static_cast<CMenuElementUI*>(menu.GetPaintManager()->FindControl("Menu_Format")));
    duilib_test::PumpUntil([] { return false; }, 400);
    ok = duilib_test::SaveScreenshot(out + "/gallery_menu.png") && ok;
    return ok ? 0 : 1;
}
