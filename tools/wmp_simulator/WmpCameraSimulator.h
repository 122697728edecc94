#pragma once
// A wireless camera on the WMP protocol: answers discovery probes, serves
// one client at a time (later connections wait in the backlog), streams
// MJPG or YUYV frames of the scene at a fixed rate, takes stills at a
// requested resolution and keeps a table of video controls that change the
// picture. Fault options drop the connection or stall after N frames.
//
// Threads: Start and Stop from the owning thread; the counters from any
// thread. Everything else runs on the simulator's own server thread.

#include "platform/directshow/MicroscopeScene.h"
#include "tools/wmp_simulator/SceneAdjust.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kelvara::wmp {

struct SimulatorOptions
{
    std::string bindAddress = "127.0.0.1";
    uint16_t port = 39610;  // 0: any free port
    uint16_t discoveryPort = 39611;  // 0: any free port
    bool discovery = true;
    std::string name = "WMP Simulator";
    uint32_t number = 1;
    int width = 640;
    int height = 480;
    int format = 2;  // 1 YUYV, 2 MJPG
    int fps = 25;
    std::vector<std::pair<int, int>> sizes{{640, 480}, {800, 600}, {1280, 720}, {1920, 1080}};
    long dropAfterFrames = -1;  // close the connection after this many frames
    long stallAfterFrames = -1;  // then go silent: no frames, no replies
};

// Checks options; false with a reason.
bool CheckOptions(const SimulatorOptions& options, std::string* error);

class WmpCameraSimulator
{
public:
    explicit WmpCameraSimulator(SimulatorOptions options);
    WmpCameraSimulator(const WmpCameraSimulator&) = delete;
    WmpCameraSimulator& operator=(const WmpCameraSimulator&) = delete;
    ~WmpCameraSimulator();

    // Binds the sockets and starts serving.
    bool Start(std::string* error);
    void Stop();

    uint16_t Port() const { return m_port; }
    uint16_t DiscoveryPort() const { return m_discoveryPort; }
    uint64_t FramesSent() const { return m_framesSent; }
    uint64_t PicturesSent() const { return m_picturesSent; }
    int Sessions() const { return m_sessions; }

    static constexpr int kControlCount = 10;

private:
    struct Control
    {
        int minimum, value, maximum, step, defaultValue;
        bool autoAvailable, autoOn;
    };
    struct Session;

    void Run();
    void Serve(int clientFd);
    bool ReadRequests(Session& session);
    bool Handle(Session& session, uint8_t type, uint32_t id, const std::vector<uint8_t>& payload);
    bool SendFrame(Session& session);
    bool SendPicture(Session& session, uint32_t id, int width, int height);
    bool Encode(const uint8_t* bgra, int stride, int width, int height, std::vector<uint8_t>* out);
    bool OfferedSize(int width, int height) const;
    // The scene for frames of width x height; the micrometer's pitch scales
    // with the width, so stills show the same field of view as the preview.
    static std::unique_ptr<dshow::MicroscopeScene> MakeScene(int width, int height);
    void AnswerProbe();
    SceneAdjust Adjust() const;

    SimulatorOptions m_options;
    int m_listenFd = -1;
    int m_udpFd = -1;
    int m_wake[2] = {-1, -1};
    uint16_t m_port = 0;
    uint16_t m_discoveryPort = 0;
    std::thread m_thread;

    // Server thread only.
    int m_width, m_height, m_format;
    Control m_controls[kControlCount];
    std::unique_ptr<dshow::MicroscopeScene> m_scene;
    std::vector<uint8_t> m_frame;  // the adjusted frame being sent
    void* m_jpeg = nullptr;

    std::atomic<uint64_t> m_framesSent{0};
    std::atomic<uint64_t> m_picturesSent{0};
    std::atomic<int> m_sessions{0};
};

}  // namespace kelvara::wmp
