// Wireless cameras through the factory: discovery records, opening by
// address, and discovery plus streaming against the simulator on loopback.

#include "camera_module/CMCameraBase.h"
#include "camera_module/CMFactory.h"
#include "camera_module/CMScannedDevices.h"
#include "platform/chd_wmp/chd_wmp.h"
#include "tests/support/wireless/SimulatorProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

CHD_WMP_DeviceInfo Record(
    int number, const char* name, size_t nameBytes, const char* address, size_t addressBytes)
{
    CHD_WMP_DeviceInfo record;
    std::memset(&record, 0, sizeof(record));
    record.number = number;
    std::memcpy(record.name, name, nameBytes);
    std::memcpy(record.address, address, addressBytes);
    return record;
}

int CountFrame(void* user, int event, long, long)
{
    if (event == 0)
        ++*static_cast<std::atomic<int>*>(user);
    return 0;
}

// Stops discovery however the test ends.
struct ScanGuard
{
    ~ScanGuard() { CMFactory::StopDeviceScan(); }
};

}  // namespace

TEST(CMScannedDevices, RecordsBecomeNetworkDevices)
{
    struct Case
    {
        CHD_WMP_DeviceInfo record;
        const wchar_t* name;
        const wchar_t* address;
    };
    const Case cases[] = {
        {Record(17, "Scope", 6, "127.0.0.1:39610", 16), L"Scope", L"127.0.0.1:39610"},
        // A full field without terminator is read to its end and no further.
        {Record(-1, "ABCDEFGHIJKLMNOPQRST", 20, "192.168.100.20:3961", 20), L"ABCDEFGHIJKLMNOPQRST",
            L"192.168.100.20:3961"},
        // 20 address characters need 21 with the terminator: left empty.
        {Record(2, "Cam", 4, "192.168.100.200:3961", 20), L"Cam", L""},
        {Record(3, "Mikroskop \xC2\xB5", 13, "10.0.0.1", 9), L"Mikroskop \u00B5", L"10.0.0.1"},
        {Record(4, "Bad \xFF", 6, "", 0), L"Bad \uFFFD", L""},
    };
    for (const Case& c : cases) {
        _tag_VideoDeviceInfo info = MakeScannedDeviceInfo(c.record);
        EXPECT_STREQ(info.name, c.name);
        EXPECT_STREQ(info.address, c.address);
        EXPECT_EQ(info.number, c.record.number);
        EXPECT_EQ(info.vid, 0xFFFF);
        EXPECT_EQ(info.pid, 0xFFFF);
    }

    wchar_t small[4];
    EXPECT_TRUE(NarrowFieldToWide("abc", 20, small, 4));
    EXPECT_STREQ(small, L"abc");
    EXPECT_FALSE(NarrowFieldToWide("abcd", 20, small, 4));
    EXPECT_STREQ(small, L"");
}

TEST(CMFactoryWireless, CameraByAddress)
{
    EXPECT_EQ(CMFactory::GetCamera(static_cast<const wchar_t*>(nullptr)), nullptr);
    // A cut address would reach another camera (here: another port).
    EXPECT_EQ(CMFactory::GetCamera(L"192.168.100.200:39610"), nullptr);

    std::unique_ptr<CMCameraBase> camera(CMFactory::GetCamera(L"192.168.100.20:3961"));
    ASSERT_NE(camera, nullptr);
    EXPECT_TRUE(camera->IsNetworkCamera());
    EXPECT_STREQ(camera->GetDeviceInfo().address, L"192.168.100.20:3961");

    camera.reset(CMFactory::GetCamera(L""));
    ASSERT_NE(camera, nullptr);
    auto start = Clock::now();
    EXPECT_EQ(camera->Init(nullptr, nullptr, 800, 600), CM_ERR_OPEN);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
}

TEST(CMFactoryWireless, DiscoversTheSimulatorAndStreamsFromIt)
{
    SimulatorProcess simulator({"--name", "Bench Scope", "--number", "4242", "--fps", "20"});
    ASSERT_TRUE(simulator.Started());
    setenv(
        "KELVARA_WMP_SCAN_ADDRESSES", ("127.0.0.1:" + std::to_string(simulator.DiscoveryPort())).c_str(), 1);

    std::vector<_tag_VideoDeviceInfo> found;
    CMFactory::GetDevicesList(&found);
    EXPECT_TRUE(found.empty());  // no scan yet

    ASSERT_TRUE(CMFactory::StartDeviceScan(1));
    ScanGuard guard;
    auto start = Clock::now();
    while (found.empty() && Clock::now() - start < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        found.clear();
        CMFactory::GetDevicesList(&found);
    }
    ASSERT_EQ(found.size(), 1u);
    EXPECT_STREQ(found[0].name, L"Bench Scope");
    EXPECT_EQ(found[0].number, 4242);
    EXPECT_EQ(std::wstring(found[0].address), Wide(simulator.Address()));
    EXPECT_EQ(found[0].vid, 0xFFFF);
    EXPECT_EQ(found[0].pid, 0xFFFF);

    std::unique_ptr<CMCameraBase> camera(CMFactory::GetCamera(found[0].address));
    ASSERT_NE(camera, nullptr);
    EXPECT_TRUE(camera->IsNetworkCamera());
    std::atomic<int> frames{0};
    ASSERT_EQ(camera->Init(CountFrame, &frames, 800, 600), CM_OK);
    ASSERT_EQ(camera->Play(), CM_OK);
    start = Clock::now();
    while (frames < 5 && Clock::now() - start < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(frames, 5);

    tagCMImage still = {};
    ASSERT_EQ(camera->Snap(&still), CM_OK);
    EXPECT_EQ(still.format, CM_FMT_MJPG);
    EXPECT_GT(still.dataSize, 2);
    delete[] still.data;

    start = Clock::now();
    camera->Release();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));

    CMFactory::StopDeviceScan();
    found.clear();
    CMFactory::GetDevicesList(&found);
    EXPECT_TRUE(found.empty());  // discovery stopped
}
