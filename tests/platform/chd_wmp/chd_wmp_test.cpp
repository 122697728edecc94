#include "platform/chd_wmp/chd_wmp.h"

#include "platform/chd_wmp/WmpProtocol.h"
#include "tools/wmp_simulator/WmpCameraSimulator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

using namespace kelvara::wmp;
using Clock = std::chrono::steady_clock;

namespace {

long MsSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class ChdWmp : public ::testing::Test
{
protected:
    void StartSimulator(SimulatorOptions options = {})
    {
        options.port = 0;
        options.discoveryPort = 0;
        m_simulator = std::make_unique<WmpCameraSimulator>(options);
        std::string error;
        ASSERT_TRUE(m_simulator->Start(&error)) << error;
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_simulator->Port()); }
    void TearDown() override
    {
        if (m_handle)
            CHD_WMP_Disconnect(m_handle);
    }

    // Polls until a record of `kind` arrives or the connection fails.
    int WaitFor(int kind, CHD_WMP_DataRecord** record, int timeoutMs = 3000)
    {
        auto start = Clock::now();
        while (MsSince(start) < timeoutMs) {
            int got = -1;
            int rc = CHD_WMP_Poll(m_handle, &got, 20, 0);
            if (rc == CHD_WMP_ERR_NODATA)
                continue;
            if (rc != 0)
                return rc;
            CHD_WMP_DataRecord* r = nullptr;
            if (got == CHD_WMP_KIND_PICTURE && CHD_WMP_Video_RequestPicData(m_handle, &r) == 0) {
                if (kind == got) {
                    *record = r;
                    return 0;
                }
                CHD_WMP_Video_ReleasePicData(m_handle, r);
            } else if (got == CHD_WMP_KIND_VIDEO && CHD_WMP_Video_RequestVideoData(m_handle, &r) == 0) {
                if (kind == got) {
                    *record = r;
                    return 0;
                }
                CHD_WMP_Video_ReleaseVideoData(m_handle, r);
            }
        }
        return CHD_WMP_ERR_TIMEOUT;
    }

    std::unique_ptr<WmpCameraSimulator> m_simulator;
    int m_handle = 0;
};

const uint8_t* Data(const CHD_WMP_DataRecord* record)
{
    return reinterpret_cast<const uint8_t*>(record) + CHD_WMP_RECORD_DATA_OFFSET;
}

// A camera that answers with whatever a test scripts: to check that the
// client survives broken peers.
class ScriptedCamera
{
public:
    explicit ScriptedCamera(std::function<void(int fd)> script)
    {
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listen, 1);
        socklen_t length = sizeof address;
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, script] {
            int fd = accept(m_listen, nullptr, nullptr);
            if (fd < 0)
                return;
            script(fd);
            // Hold the connection until the client closes it.
            char byte;
            while (recv(fd, &byte, 1, 0) > 0) { }
            close(fd);
        });
    }
    ~ScriptedCamera()
    {
        shutdown(m_listen, SHUT_RDWR);
        m_thread.join();
        close(m_listen);
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

    // Reads one request; returns its id.
    static uint32_t ReadRequest(int fd)
    {
        uint8_t header[kHeaderSize];
        if (recv(fd, header, sizeof header, MSG_WAITALL) != static_cast<ssize_t>(sizeof header))
            return 0;
        uint32_t length = GetU32(header + 12);
        std::vector<uint8_t> payload(length);
        if (length > 0)
            recv(fd, payload.data(), length, MSG_WAITALL);
        return GetU32(header + 8);
    }
    static void Send(int fd, const std::vector<uint8_t>& bytes)
    {
        send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    static void AnswerHello(int fd, const char* name = "Scripted")
    {
        uint32_t id = ReadRequest(fd);
        std::vector<uint8_t> payload(4 + kNameSize, 0);
        std::memcpy(payload.data() + 4, name, std::strlen(name));
        Send(fd, EncodeMessage(kHello | kReplyFlag, 0, id, payload.data(), payload.size()));
    }

private:
    int m_listen;
    uint16_t m_port;
    std::thread m_thread;
};

}  // namespace

TEST_F(ChdWmp, ControlsFormatsAndSizesRoundTrip)
{
    StartSimulator();
    ASSERT_EQ(CHD_WMP_ConnectDevice(&m_handle, Address().c_str()), 0);

    CHD_WMP_Ability ability;
    ASSERT_EQ(CHD_WMP_Video_GetAbility(m_handle, &ability), 0);
    EXPECT_EQ(ability.formats[0].format, CHD_WMP_FORMAT_MJPG);
    EXPECT_EQ(ability.formats[1].format, CHD_WMP_FORMAT_YUYV);
    EXPECT_EQ(ability.formats[2].format, 0);
    int w = 0, h = 0;
    ASSERT_EQ(CHD_Video_AnalysisResolu(ability.formats[0].resolutions[3][0], &w, &h), 0);
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
    EXPECT_EQ(ability.formats[0].resolutions[4][0], 0);

    int code = 0, format = 0;
    ASSERT_EQ(CHD_WMP_Video_SetResolu(m_handle, CHD_Video_GroupResolu(800, 600), 800, 600), 0);
    ASSERT_EQ(CHD_WMP_Video_GetResolu(m_handle, &code), 0);
    EXPECT_EQ(code, CHD_Video_GroupResolu(800, 600));
    EXPECT_EQ(CHD_WMP_Video_SetResolu(m_handle, CHD_Video_GroupResolu(802, 600), 802, 600), CHD_WMP_ERR_FAIL);
    EXPECT_EQ(
        CHD_WMP_Video_SetResolu(m_handle, CHD_Video_GroupResolu(800, 600), 640, 480), CHD_WMP_ERR_PARAM);
    ASSERT_EQ(CHD_WMP_Video_SetFormat(m_handle, CHD_WMP_FORMAT_YUYV), 0);
    ASSERT_EQ(CHD_WMP_Video_GetFormat(m_handle, &format), 0);
    EXPECT_EQ(format, CHD_WMP_FORMAT_YUYV);
    EXPECT_EQ(CHD_WMP_Video_SetFormat(m_handle, CHD_WMP_FORMAT_H264), CHD_WMP_ERR_FAIL);

    int ctrl[CHD_WMP_CTRL_WORDS] = {};
    ASSERT_EQ(CHD_WMP_Video_GetVideoCtrl(m_handle, 0, ctrl), 0);
    EXPECT_EQ(ctrl[0], 1);
    int write[CHD_WMP_CTRL_WORDS] = {0, 0, 500, 0, 0, 0, 0, 0};  // above the maximum: clamped
    ASSERT_EQ(CHD_WMP_Video_SetVideoCtrl(m_handle, 0, write), 0);
    ASSERT_EQ(CHD_WMP_Video_GetVideoCtrl(m_handle, 0, ctrl), 0);
    EXPECT_EQ(ctrl[2], ctrl[3]);
    ASSERT_EQ(CHD_WMP_Video_GetVideoCtrl(m_handle, 12, ctrl), 0);
    EXPECT_EQ(ctrl[0], 0);
    EXPECT_EQ(CHD_WMP_Video_GetVideoCtrl(m_handle, CHD_WMP_CONTROL_COUNT, ctrl), CHD_WMP_ERR_PARAM);
}

TEST_F(ChdWmp, StreamsFramesAndDeliversStillsAtTheRequestedSize)
{
    SimulatorOptions options;
    options.format = 1;
    StartSimulator(options);
    ASSERT_EQ(CHD_WMP_ConnectDevice(&m_handle, Address().c_str()), 0);
    ASSERT_EQ(CHD_WMP_Video_Begin(m_handle), 0);

    CHD_WMP_DataRecord* record = nullptr;
    ASSERT_EQ(WaitFor(CHD_WMP_KIND_VIDEO, &record), 0);
    EXPECT_EQ(record->format, CHD_WMP_FORMAT_YUYV);
    EXPECT_EQ(record->width, 640);
    EXPECT_EQ(record->resolution, CHD_Video_GroupResolu(640, 480));
    EXPECT_EQ(record->length, 640 * 480 * 2);
    CHD_WMP_Video_ReleaseVideoData(m_handle, record);

    ASSERT_EQ(CHD_WMP_Video_SetFormat(m_handle, CHD_WMP_FORMAT_MJPG), 0);
    ASSERT_EQ(CHD_WMP_Video_SnapShotResolu(m_handle, CHD_Video_GroupResolu(1280, 720), 1280, 720), 0);
    ASSERT_EQ(WaitFor(CHD_WMP_KIND_PICTURE, &record), 0);
    EXPECT_EQ(record->format, CHD_WMP_FORMAT_MJPG);
    EXPECT_EQ(record->width, 1280);
    EXPECT_EQ(record->height, 720);
    EXPECT_EQ(Data(record)[0], 0xFF);
    EXPECT_EQ(Data(record)[1], 0xD8);
    // Records stay valid after the connection is gone.
    ASSERT_EQ(CHD_WMP_Disconnect(m_handle), 0);
    EXPECT_EQ(Data(record)[record->length - 2], 0xFF);
    EXPECT_EQ(CHD_WMP_Video_ReleasePicData(m_handle, record), 0);
    int kind;
    EXPECT_EQ(CHD_WMP_Poll(m_handle, &kind, 0, 0), CHD_WMP_ERR_HANDLE);
    m_handle = 0;

    EXPECT_EQ(
        CHD_WMP_Video_SnapShotResolu(1, CHD_Video_GroupResolu(1280, 720), 1280, 720), CHD_WMP_ERR_HANDLE);
}

TEST_F(ChdWmp, ConnectFailsCleanlyOnBadAddressesAndRefusals)
{
    int handle = 0;
    for (const char* address : {"", "host.example:39610", "127.0.0.1:0", "127.0.0.1:99999", "127.0.0.1:12ab",
             "1.2.3.4.5", "127.0.0.1:"}) {
        EXPECT_EQ(CHD_WMP_ConnectDevice(&handle, address), CHD_WMP_ERR_PARAM) << address;
    }
    EXPECT_EQ(CHD_WMP_ConnectDevice(&handle, nullptr), CHD_WMP_ERR_PARAM);

    // A port nobody listens on.
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    std::string closed = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    EXPECT_EQ(CHD_WMP_ConnectDevice(&handle, closed.c_str()), CHD_WMP_ERR_FAIL);
    close(probe);
}

TEST_F(ChdWmp, LostConnectionIsReportedByPoll)
{
    SimulatorOptions options;
    options.dropAfterFrames = 5;
    StartSimulator(options);
    ASSERT_EQ(CHD_WMP_ConnectDevice(&m_handle, Address().c_str()), 0);
    ASSERT_EQ(CHD_WMP_Video_Begin(m_handle), 0);
    CHD_WMP_DataRecord* record = nullptr;
    int rc = 0;
    int frames = 0;
    while ((rc = WaitFor(CHD_WMP_KIND_VIDEO, &record)) == 0) {
        ++frames;
        CHD_WMP_Video_ReleaseVideoData(m_handle, record);
    }
    EXPECT_EQ(rc, CHD_WMP_ERR_DISCONNECTED);
    EXPECT_GE(frames, 1);
    EXPECT_LE(frames, 5);
    int format = 0;
    EXPECT_EQ(CHD_WMP_Video_GetFormat(m_handle, &format), CHD_WMP_ERR_DISCONNECTED);
}

TEST_F(ChdWmp, StalledCameraCountsAsLostAndNeverBlocksACall)
{
    SimulatorOptions options;
    options.stallAfterFrames = 2;
    StartSimulator(options);
    ASSERT_EQ(CHD_WMP_ConnectDevice(&m_handle, Address().c_str()), 0);
    ASSERT_EQ(CHD_WMP_Video_Begin(m_handle), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    auto start = Clock::now();
    int format = 0;
    EXPECT_EQ(CHD_WMP_Video_GetFormat(m_handle, &format), CHD_WMP_ERR_TIMEOUT);
    EXPECT_LT(MsSince(start), CHD_WMP_REQUEST_TIMEOUT_MS + 500);

    CHD_WMP_DataRecord* record = nullptr;
    start = Clock::now();
    int rc;
    while ((rc = WaitFor(CHD_WMP_KIND_VIDEO, &record, 6000)) == 0)
        CHD_WMP_Video_ReleaseVideoData(m_handle, record);
    EXPECT_EQ(rc, CHD_WMP_ERR_DISCONNECTED);
    start = Clock::now();
    EXPECT_EQ(CHD_WMP_Disconnect(m_handle), 0);
    EXPECT_LT(MsSince(start), 500);
    m_handle = 0;
}

TEST_F(ChdWmp, BrokenCamerasCannotCrashOrHangTheClient)
{
    auto garbageAfterHello = [](std::vector<uint8_t> bytes) {
        return [bytes](int fd) {
            ScriptedCamera::AnswerHello(fd);
            ScriptedCamera::Send(fd, bytes);
        };
    };
    std::vector<uint8_t> huge = EncodeMessage(kVideoFrame, 0, 0, nullptr, 0);
    PutU32(huge.data() + 12, 0xFFFFFFF0u);
    std::vector<uint8_t> info = EncodeDataPayload(1, 4, 2, 0, std::vector<uint8_t>(16, 0).data(), 15);
    std::vector<uint8_t> shortYuyv = EncodeMessage(kVideoFrame, 0, 0, info.data(), info.size());
    std::vector<uint8_t> noise(100, 0x5A);
    for (const auto& bytes : {huge, shortYuyv, noise}) {
        ScriptedCamera camera(garbageAfterHello(bytes));
        ASSERT_EQ(CHD_WMP_ConnectDevice(&m_handle, camera.Address().c_str()), 0);
        int kind;
        auto start = Clock::now();
        int rc;
        while ((rc = CHD_WMP_Poll(m_handle, &kind, 20, 0)) == CHD_WMP_ERR_NODATA && MsSince(start) < 3000) { }
        EXPECT_EQ(rc, CHD_WMP_ERR_DISCONNECTED);
        EXPECT_EQ(CHD_WMP_Disconnect(m_handle), 0);
        m_handle = 0;
    }

    // A reply of the wrong type ends the connection.
    {
        ScriptedCamera camera([](int fd) {
            ScriptedCamera::AnswerHello(fd);
            uint32_t id = ScriptedCamera::ReadRequest(fd);
            ScriptedCamera::Send(
                fd, EncodeMessage(kGetResolution | kReplyFlag, 0, id, std::vector<uint8_t>(4).data(), 4));
        });
        ASSERT_EQ(CHD_WMP_ConnectDevice(&m_handle, camera.Address().c_str()), 0);
        int format = 0;
        EXPECT_EQ(CHD_WMP_Video_GetFormat(m_handle, &format), CHD_WMP_ERR_DISCONNECTED);
        CHD_WMP_Disconnect(m_handle);
        m_handle = 0;
    }
    // A hello with an unterminated name, and a camera that never answers.
    {
        ScriptedCamera camera([](int fd) { ScriptedCamera::AnswerHello(fd, "exactly twenty chars"); });
        int handle = 0;
        EXPECT_NE(CHD_WMP_ConnectDevice(&handle, camera.Address().c_str()), 0);
    }
    {
        ScriptedCamera camera([](int) {});
        int handle = 0;
        auto start = Clock::now();
        EXPECT_EQ(CHD_WMP_ConnectDevice(&handle, camera.Address().c_str()), CHD_WMP_ERR_TIMEOUT);
        EXPECT_LT(MsSince(start), 3000);
    }
}

TEST_F(ChdWmp, DiscoveryFindsTheSimulatorOnLoopback)
{
    SimulatorOptions options;
    options.name = "Scope 7";
    options.number = 77;
    StartSimulator(options);
    std::string target = "127.0.0.1:" + std::to_string(m_simulator->DiscoveryPort());
    setenv("KELVARA_WMP_SCAN_ADDRESSES", ("bogus, " + target).c_str(), 1);

    CHD_WMP_DeviceInfo records[CHD_WMP_MAX_SCAN_DEVICES];
    int count = CHD_WMP_MAX_SCAN_DEVICES;
    EXPECT_EQ(CHD_WMP_Scan_GetDeviceInfo(records, &count), CHD_WMP_ERR_FAIL);  // no scan yet
    ASSERT_EQ(CHD_WMP_ScanDevice_Init(1), 0);
    EXPECT_EQ(CHD_WMP_ScanDevice_Init(1), 0);
    auto start = Clock::now();
    count = 0;
    while (count == 0 && MsSince(start) < 3000) {
        count = 0;  // <= 0: the array holds CHD_WMP_MAX_SCAN_DEVICES
        ASSERT_EQ(CHD_WMP_Scan_GetDeviceInfo(records, &count), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(count, 1);
    EXPECT_EQ(records[0].number, 77);
    EXPECT_STREQ(records[0].name, "Scope 7");
    EXPECT_EQ(std::string(records[0].address), Address());
    EXPECT_EQ(CHD_WMP_ScanDevice_UnInit(), 0);
    unsetenv("KELVARA_WMP_SCAN_ADDRESSES");

    // The address found connects.
    ASSERT_EQ(CHD_WMP_ConnectDevice(&m_handle, records[0].address), 0);
}
