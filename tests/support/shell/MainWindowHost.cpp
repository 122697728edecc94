#include "tests/support/shell/MainWindowHost.h"

#include "app/shell/AppConfig.h"
#include "app/shell/SkinSetup.h"
#include "app/shell/StringTable.h"
#include "app/view/CImageRenderUI.h"
#include "platform/duilib/CResourceLoader.h"
#include "platform/duilib/UIlib.h"
#include "tests/support/duilib/SampleSkin.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

namespace kelvara::test {

void InstallProgramSkin()
{
    static const bool installed = InstallSkin();
    (void)installed;
}

bool Pump(const std::function<bool()>& done, int timeoutMs)
{
    return duilib_test::PumpUntil(done, timeoutMs);
}

void PumpFor(int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    Pump([&] { return std::chrono::steady_clock::now() > end; }, ms + 1000);
}

bool HaveXdotool()
{
    return std::system("command -v xdotool > /dev/null 2>&1") == 0;
}

bool Xdo(const std::string& arguments)
{
    return std::system(("xdotool " + arguments + " > /dev/null 2>&1").c_str()) == 0;
}

MainWindowHost::MainWindowHost(const std::string& cameras)
{
    if (cameras.empty())
        unsetenv("KELVARA_VIRTUAL_CAMERAS");
    else
        setenv("KELVARA_VIRTUAL_CAMERAS", cameras.c_str(), 1);
    // No simulated vendor cameras unless a test asks for them.
    setenv("KELVARA_YWUSB_CAMERAS", "0", 1);
    InstallProgramSkin();
    GetAppConfig() = AppConfig();
    GetAppConfig().CFG_EXITPROMPT = 1;  // no question on close
    GetAppConfig().CFG_IMAGEPATH_MYDOC = 1;
}

MainWindowHost::~MainWindowHost()
{
    Close();
}

bool MainWindowHost::Open()
{
    m_window = std::make_unique<CMainWnd>();
    if (m_window->Create(nullptr, "Kelvara", 0x10CF0000, 0) == nullptr)
        return false;
    return Pump(
        [&] {
            auto* render = m_window->GetRenderControl();
            return m_window->IsMaximized() && render && render->GetWidth() > 0;
        },
        5000);
}

void MainWindowHost::Close()
{
    if (m_window && DuiLib::CWindowWnd::IsWindow(m_window->GetHWND())) {
        GetAppConfig().CFG_EXITPROMPT = 1;
        m_window->Close(IDOK);
        Pump([&] { return !DuiLib::CWindowWnd::IsWindow(m_window->GetHWND()); }, 5000);
    }
    m_window.reset();
}

bool MainWindowHost::ScreenPoint(DuiLib::CControlUI* control, long* x, long* y, long dx, long dy)
{
    if (control == nullptr || !control->IsVisible())
        return false;
    RECT window;
    m_window->GetWindowRect(window);
    const RECT& pos = control->GetPos();
    *x = window.left + pos.left + (dx >= 0 ? dx : (pos.right - pos.left) / 2);
    *y = window.top + pos.top + (dy >= 0 ? dy : (pos.bottom - pos.top) / 2);
    return true;
}

bool MainWindowHost::ClickControl(DuiLib::CControlUI* control, long dx, long dy)
{
    long x = 0, y = 0;
    if (!ScreenPoint(control, &x, &y, dx, dy))
        return false;
    bool ok = Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.05 click 1");
    PumpFor(150);
    return ok;
}

bool MainWindowHost::Click(const char* name)
{
    return ClickControl(Find(name));
}

bool MainWindowHost::ClickCameraRow(int row)
{
    auto* list = FindAs<DuiLib::CListUI>("CameraList", "List");
    if (list == nullptr || row < 0 || row >= list->GetCount())
        return false;
    // The link starts after the label's left padding.
    return ClickControl(list->GetItemAt(row), 20, -1);
}

namespace {

DuiLib::CMenuElementUI* FindItem(DuiLib::CMenuUI* menu, const char* name)
{
    if (menu == nullptr)
        return nullptr;
    for (int i = 0; i < menu->GetCount(); ++i) {
        DuiLib::CControlUI* item = menu->GetItemAt(i);
        if (item && item->GetName() == name)
            return static_cast<DuiLib::CMenuElementUI*>(item->GetInterface("MenuElement"));
    }
    return nullptr;
}

bool MenuItemPoint(DuiLib::CMenuWnd* menu, DuiLib::CMenuElementUI* item, long* x, long* y)
{
    RECT window;
    if (menu == nullptr || item == nullptr || !menu->GetWindowRect(window))
        return false;
    const RECT& pos = item->GetPos();
    *x = window.left + (pos.left + pos.right) / 2;
    *y = window.top + (pos.top + pos.bottom) / 2;
    return true;
}

}  // namespace

bool MainWindowHost::IsMenuOpen()
{
    DuiLib::CMenuWnd* menu = m_window->GetMenu();
    return menu && DuiLib::CWindowWnd::IsWindow(menu->GetHWND()) && menu->IsVisible();
}

bool MainWindowHost::OpenMenu(const char* control)
{
    // A menu still open would swallow the click.
    if (IsMenuOpen() && !CloseMenu())
        return false;
    if (!Click(control))
        return false;
    return Pump([&] { return IsMenuOpen(); }, 2000);
}

bool MainWindowHost::CloseMenu()
{
    if (!IsMenuOpen())
        return true;
    Xdo("key Escape");
    return Pump([&] { return !IsMenuOpen(); }, 1000);
}

bool MainWindowHost::ClickMenuItem(const char* name, const char* parent)
{
    DuiLib::CMenuWnd* menu = m_window->GetMenu();
    if (menu == nullptr || !DuiLib::CWindowWnd::IsWindow(menu->GetHWND()))
        return false;
    long x = 0, y = 0;
    if (parent != nullptr) {
        if (!MenuItemPoint(menu, FindItem(menu->GetMenuUI(), parent), &x, &y))
            return false;
        Xdo("mousemove " + std::to_string(x - 20) + " " + std::to_string(y) + " sleep 0.05 mousemove "
            + std::to_string(x) + " " + std::to_string(y));
        if (!Pump([&] { return menu->GetSubMenu() != nullptr; }, 2000))
            return false;
        PumpFor(100);
        menu = menu->GetSubMenu();
    }
    if (!MenuItemPoint(menu, FindItem(menu->GetMenuUI(), name), &x, &y))
        return false;
    // Along the item first, so the parent's sub-menu stays open.
    Xdo("mousemove " + std::to_string(x - 30) + " " + std::to_string(y) + " sleep 0.05 mousemove "
        + std::to_string(x) + " " + std::to_string(y) + " sleep 0.05 click 1");
    PumpFor(250);
    return Pump([&] { return !IsMenuOpen(); }, 1000);
}

bool MainWindowHost::ImageToScreen(double ix, double iy, long* x, long* y)
{
    CImageRenderUI* render = m_window->GetRenderControl();
    RECT window;
    if (render == nullptr || !m_window->GetWindowRect(window))
        return false;
    const RECT& pos = render->GetPos();
    *x = window.left + pos.left + std::lround(ix * render->GetViewZoom() + render->GetViewOriginX());
    *y = window.top + pos.top + std::lround(iy * render->GetViewZoom() + render->GetViewOriginY());
    return true;
}

}  // namespace kelvara::test
