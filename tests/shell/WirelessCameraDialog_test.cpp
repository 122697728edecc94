// The wireless camera dialog against the wireless camera simulator: the
// scan finds it, a click on its row fills the address, Connect hands the
// address back, and the scan stops with the dialog.
#include "app/shell/CAboutDialog.h"
#include "app/shell/CWirelessCameraDialog.h"
#include "camera_module/CMFactory.h"
#include "tests/support/shell/DialogDriver.h"
#include "tests/support/stores/ScopedUserEnvironment.h"
#include "tests/support/wireless/SimulatorProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace DuiLib;
using dialog_test::Click;
using dialog_test::DriverWindow;

namespace {

int ThreadCount()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

}  // namespace

TEST(WirelessCameraDialog, ListsTheSimulatorFillsTheAddressAndStopsScanning)
{
    if (!dialog_test::HaveXdotool())
        GTEST_SKIP() << "xdotool missing";
    kelvara::test::ScopedUserEnvironment env;
    dialog_test::InstallSkin(0);
    SimulatorProcess simulator({"--name", "Bench Scope", "--number", "4242"});
    ASSERT_TRUE(simulator.Started());
    setenv(
        "KELVARA_WMP_SCAN_ADDRESSES", ("127.0.0.1:" + std::to_string(simulator.DiscoveryPort())).c_str(), 1);

    DriverWindow owner;
    {
        // Drawing starts the GL driver's own threads: have them before counting.
        CAboutDialog warmUp(owner);
        owner.Then([&] { return warmUp.GetHWND() && warmUp.GetPaintManager()->GetPaintCount() > 0; });
        owner.Do([&] { warmUp.Close(IDCANCEL); });
        warmUp.ShowModalDialog();
    }
    CWirelessCameraDialog dialog(owner);
    owner.onTimeout = [&] { dialog.Close(IDCANCEL); };
    const int threadsBefore = ThreadCount();
    auto opened = std::chrono::steady_clock::now();
    double listedAfterS = -1;
    int threadsDuring = 0;
    std::string row0, row1, row2, header;
    owner.Then([&] { return dialog.GetHWND() && dialog.GetPaintManager()->GetPaintCount() > 0; });
    owner.Then(
        [&] {
            auto* list = static_cast<CListUI*>(dialog.FindControl("list_scan_devices"));
            // Listed and drawn: the row keeps the texts it was given.
            if (list->GetCount() < 1
                || static_cast<CListTextElementUI*>(list->GetItemAt(0))->GetText(2).IsEmpty())
                return false;
            threadsDuring = ThreadCount();
            listedAfterS = std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
            row0 = dialog.GetItemText(list->GetItemAt(0), 0, 0);
            row1 = static_cast<CListTextElementUI*>(list->GetItemAt(0))->GetText(1).GetData();
            row2 = static_cast<CListTextElementUI*>(list->GetItemAt(0))->GetText(2).GetData();
            return true;
        },
        3000);
    owner.Do([&] {
        auto* list = static_cast<CListUI*>(dialog.FindControl("list_scan_devices"));
        Click(list->GetItemAt(0));
    });
    owner.Then([&] {
        return dialog.FindControl("edt_wlcamera_ipaddress")->GetText().GetData() == simulator.Address();
    });
    owner.Do([&] {
        if (const char* dir = std::getenv("KELVARA_DIALOG_SHOTS")) {
            std::filesystem::create_directories(dir);
            dialog.GetPaintManager()->PaintNow()->saveToFile(std::string(dir) + "/wireless_listed_en.png");
        }
        Click(dialog.FindControl("okbtn"));
    });

    EXPECT_EQ(dialog.ShowModalDialog(), 1u);
    EXPECT_TRUE(owner.Idle());
    EXPECT_GE(listedAfterS, 0);
    EXPECT_LE(listedAfterS, 3.0);
    EXPECT_GT(threadsDuring, threadsBefore);  // the scan's own thread
    EXPECT_EQ(row0, "4242");
    EXPECT_EQ(row1, "Bench Scope");
    EXPECT_EQ(row2, simulator.Address());
    EXPECT_EQ(dialog.GetAddress(), simulator.Address());

    // The scan ended with the dialog: nothing is listed and its thread is gone.
    std::vector<_tag_VideoDeviceInfo> found;
    CMFactory::GetDevicesList(&found);
    EXPECT_TRUE(found.empty());
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (ThreadCount() >= threadsBefore + 1 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_LT(ThreadCount(), threadsBefore + 1);
    unsetenv("KELVARA_WMP_SCAN_ADDRESSES");
}
