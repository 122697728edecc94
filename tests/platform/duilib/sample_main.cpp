// Shows the sample skin until its window is closed, or for the number of
// seconds given as the first argument. Used for screenshots and idle checks.
#include "tests/support/duilib/SampleSkin.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

class Texts : public DuiLib::IQueryControlText
{
public:
    DuiLib::CDuiString QueryControlText(const char* id, const char*) override
    {
        return std::string(id) == "STR_HELLO" ? "Hello — resource text" : "";
    }
};

}  // namespace

int main(int argc, char** argv)
{
    duilib_test::InstallSampleSkin();
    Texts texts;
    DuiLib::CResourceManager::GetInstance()->SetTextQueryInterface(&texts);
    duilib_test::SampleWindow window;
    if (window.Create(nullptr, "Kelvara 样例", UI_WNDSTYLE_FRAME, 0, 40, 40, 640, 420) == nullptr) {
        std::fprintf(stderr, "cannot open the sample window\n");
        return 1;
    }
    if (argc > 1) {
        int seconds = std::atoi(argv[1]);
        duilib_test::PumpUntil(
            [&] { return !DuiLib::CWindowWnd::IsWindow(window.GetHWND()); }, seconds * 1000);
        if (DuiLib::CWindowWnd::IsWindow(window.GetHWND()))
            window.DestroyWindow();
        return 0;
    }
    window.ShowModal();
    return 0;
}
