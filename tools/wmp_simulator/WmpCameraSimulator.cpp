#include "tools/wmp_simulator/WmpCameraSimulator.h"

#include "platform/chd_wmp/WmpProtocol.h"
#include "platform/chd_wmp/WmpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <libyuv/convert_from_argb.h>
#include <poll.h>
#include <sys/socket.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace kelvara::wmp {

namespace {

constexpr uint32_t kSendTimeoutMs = 2000;
constexpr int16_t kRefused = -1;

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

struct WmpCameraSimulator::Session
{
    int fd;
    MessageParser parser{Direction::ToCamera};
    bool streaming = false;
    bool stalled = false;
    long frames = 0;
    int64_t startMs = NowMs();
    int64_t nextFrameMs = 0;
    int64_t streamStartMs = 0;  // frame k of the stream is due at streamStartMs + k * 1000 / fps
    long streamFrames = 0;
};

bool CheckOptions(const SimulatorOptions& options, std::string* error)
{
    auto validSize = [](int w, int h) { return w >= 16 && h >= 16 && w <= 4096 && h <= 4096 && w % 2 == 0; };
    if (options.sizes.empty() || options.sizes.size() > kMaxResolutions) {
        *error = "between 1 and 12 sizes are needed";
        return false;
    }
    for (const auto& size : options.sizes) {
        if (!validSize(size.first, size.second)) {
            *error = "sizes must be even widths of 16..4096 by heights of 16..4096";
            return false;
        }
    }
    if (std::find(options.sizes.begin(), options.sizes.end(), std::make_pair(options.width, options.height))
        == options.sizes.end()) {
        *error = "the start size must be one of the offered sizes";
        return false;
    }
    if (options.format != 1 && options.format != 2) {
        *error = "format must be 1 (YUYV) or 2 (MJPG)";
        return false;
    }
    if (options.fps < 1 || options.fps > 120) {
        *error = "fps must be 1..120";
        return false;
    }
    if (options.name.empty() || options.name.size() >= kNameSize) {
        *error = "the name must have 1..19 characters";
        return false;
    }
    return true;
}

WmpCameraSimulator::WmpCameraSimulator(SimulatorOptions options)
    : m_options(std::move(options))
    , m_width(m_options.width)
    , m_height(m_options.height)
    , m_format(m_options.format)
    , m_controls{
          {-64, 0, 64, 1, 0, false, false},  // 0 brightness
          {0, 50, 100, 1, 50, false, false},  // 1 contrast
          {0, 50, 100, 1, 50, false, false},  // 2 saturation
          {-180, 0, 180, 1, 0, false, false},  // 3 hue
          {2800, 5000, 6500, 10, 5000, true, true},  // 4 white balance temperature
          {100, 100, 300, 1, 100, false, false},  // 5 gamma
          {0, 0, 100, 1, 0, false, false},  // 6 gain
          {0, 50, 100, 1, 50, false, false},  // 7 sharpness
          {0, 3, 10, 1, 3, false, false},  // 8 noise reduction
          {1, 100, 1000, 1, 100, true, false},  // 9 exposure
      }
{
}

WmpCameraSimulator::~WmpCameraSimulator()
{
    Stop();
    if (m_jpeg)
        tjDestroy(m_jpeg);
}

bool WmpCameraSimulator::Start(std::string* error)
{
    if (!CheckOptions(m_options, error))
        return false;
    sockaddr_in address;
    if (!ParseAddress(m_options.bindAddress + ":1", 1, &address)) {
        *error = "bad bind address";
        return false;
    }
    m_jpeg = tjInitCompress();
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    address.sin_port = htons(m_options.port);
    if (m_listenFd < 0 || bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || listen(m_listenFd, 4) != 0) {
        *error = "cannot listen on the TCP port";
        return false;
    }
    m_port = BoundPort(m_listenFd);
    // Rendered before any client comes, so that no request waits for it.
    m_scene = MakeScene(m_width, m_height);
    if (m_options.discovery) {
        m_udpFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        address.sin_port = htons(m_options.discoveryPort);
        if (m_udpFd < 0 || bind(m_udpFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            *error = "cannot bind the discovery port";
            return false;
        }
        m_discoveryPort = BoundPort(m_udpFd);
    }
    if (pipe2(m_wake, O_CLOEXEC) != 0) {
        *error = "cannot create a pipe";
        return false;
    }
    m_thread = std::thread([this] { Run(); });
    return true;
}

void WmpCameraSimulator::Stop()
{
    if (m_thread.joinable()) {
        char byte = 1;
        if (write(m_wake[1], &byte, 1) != 1)
            std::perror("wmp_simulator: wake");
        m_thread.join();
    }
    for (int* fd : {&m_listenFd, &m_udpFd, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

void WmpCameraSimulator::Run()
{
    while (true) {
        pollfd fds[3] = {{m_wake[0], POLLIN, 0}, {m_listenFd, POLLIN, 0}, {m_udpFd, POLLIN, 0}};
        if (poll(fds, m_udpFd >= 0 ? 3 : 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[0].revents)
            return;
        if (m_udpFd >= 0 && (fds[2].revents & POLLIN))
            AnswerProbe();
        if (fds[1].revents & POLLIN) {
            int client = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                ++m_sessions;
                Serve(client);
                close(client);
            }
        }
    }
}

void WmpCameraSimulator::AnswerProbe()
{
    uint8_t buffer[64];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    ssize_t size = recvfrom(m_udpFd, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
        reinterpret_cast<sockaddr*>(&from), &length);
    Answer answer;
    if (size < 0 || !DecodeProbe(buffer, static_cast<size_t>(size), &answer.nonce))
        return;
    answer.number = m_options.number;
    answer.port = m_port;
    answer.name = m_options.name;
    std::vector<uint8_t> bytes = EncodeAnswer(answer);
    sendto(m_udpFd, bytes.data(), bytes.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), length);
}

void WmpCameraSimulator::Serve(int clientFd)
{
    Session session;
    session.fd = clientFd;
    const int64_t fps = m_options.fps;
    while (true) {
        // Requests are served between any two frames, even when frames take
        // longer to make than the frame period.
        int64_t now = NowMs();
        bool streaming = session.streaming && !session.stalled;
        int timeout = streaming ? static_cast<int>(std::max<int64_t>(0, session.nextFrameMs - now)) : -1;
        pollfd fds[3] = {{m_wake[0], POLLIN, 0}, {clientFd, POLLIN, 0}, {m_udpFd, POLLIN, 0}};
        if (poll(fds, m_udpFd >= 0 ? 3 : 2, timeout) < 0 && errno != EINTR)
            return;
        if (fds[0].revents)
            return;
        if (m_udpFd >= 0 && (fds[2].revents & POLLIN))
            AnswerProbe();
        if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) && !ReadRequests(session))
            return;

        now = NowMs();
        if (!session.streaming || session.stalled || now < session.nextFrameMs)
            continue;
        if (!SendFrame(session))
            return;
        // Keep the rate exact on average (short hiccups are caught up);
        // after more than a second behind start afresh.
        ++session.streamFrames;
        session.nextFrameMs = session.streamStartMs + session.streamFrames * 1000 / fps;
        if (session.nextFrameMs < now - 1000) {
            session.streamStartMs = now;
            session.streamFrames = 0;
            session.nextFrameMs = now;
        }
        if (m_options.dropAfterFrames >= 0 && session.frames >= m_options.dropAfterFrames)
            return;
        if (m_options.stallAfterFrames >= 0 && session.frames >= m_options.stallAfterFrames)
            session.stalled = true;
    }
}

bool WmpCameraSimulator::ReadRequests(Session& session)
{
    // Everything that is there now, a bounded number of reads at a time.
    for (int reads = 0; reads < 64; ++reads) {
        MessageParser::Room room = session.parser.Want();
        ssize_t received = recv(session.fd, room.data, room.size, MSG_DONTWAIT);
        if (received < 0 && errno == EINTR)
            continue;
        if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (received <= 0)
            return false;
        if (!session.parser.Commit(static_cast<size_t>(received))) {
            std::fprintf(stderr, "wmp_simulator: dropping client: %s\n", session.parser.Error().c_str());
            return false;
        }
        while (session.parser.HasMessage()) {
            Message message = session.parser.Take();
            if (session.stalled)
                continue;
            if (!Handle(session, message.header.type, message.header.id, message.payload))
                return false;
        }
    }
    return true;
}

SceneAdjust WmpCameraSimulator::Adjust() const
{
    SceneAdjust adjust;
    adjust.brightness = m_controls[0].value;
    adjust.contrast = m_controls[1].value;
    adjust.saturation = m_controls[2].value;
    adjust.temperature = m_controls[4].autoOn ? 5000 : m_controls[4].value;
    adjust.gammaX100 = m_controls[5].value;
    adjust.gain = m_controls[6].value;
    adjust.exposure = m_controls[9].autoOn ? 100 : m_controls[9].value;
    return adjust;
}

bool WmpCameraSimulator::OfferedSize(int width, int height) const
{
    return std::find(m_options.sizes.begin(), m_options.sizes.end(), std::make_pair(width, height))
        != m_options.sizes.end();
}

bool WmpCameraSimulator::Handle(
    Session& session, uint8_t type, uint32_t id, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> reply;
    int16_t status = 0;
    const uint8_t* p = payload.data();
    switch (type) {
    case kHello:
        AppendU32(reply, m_options.number);
        reply.resize(4 + kNameSize, 0);
        std::copy(m_options.name.begin(), m_options.name.end(), reply.begin() + 4);
        break;
    case kVideoBegin:
        if (!session.streaming) {
            session.streamStartMs = session.nextFrameMs = NowMs();
            session.streamFrames = 0;
        }
        session.streaming = true;
        break;
    case kVideoEnd:
        session.streaming = false;
        break;
    case kGetAbility: {
        FormatAbility yuyv{1, {}}, mjpg{2, {}};
        for (const auto& size : m_options.sizes) {
            uint32_t code = GroupResolution(size.first, size.second);
            yuyv.resolutions.emplace_back(code, static_cast<uint32_t>(m_options.fps));
            mjpg.resolutions.emplace_back(code, static_cast<uint32_t>(m_options.fps));
        }
        reply = EncodeAbility({mjpg, yuyv});
        break;
    }
    case kGetResolution:
        AppendU32(reply, GroupResolution(m_width, m_height));
        break;
    case kSetResolution:
    case kSnapshot: {
        int w, h;
        bool valid = AnalyseResolution(GetU32(p), &w, &h) && GetU32(p + 4) == static_cast<uint32_t>(w)
            && GetU32(p + 8) == static_cast<uint32_t>(h) && OfferedSize(w, h);
        if (!valid) {
            status = kRefused;
        } else if (type == kSetResolution) {
            m_width = w;
            m_height = h;
        } else {
            std::vector<uint8_t> ok = EncodeMessage(type | kReplyFlag, 0, id, nullptr, 0);
            return SendAll(session.fd, ok.data(), ok.size(), kSendTimeoutMs)
                && SendPicture(session, id, w, h);
        }
        break;
    }
    case kGetFormat:
        AppendU32(reply, static_cast<uint32_t>(m_format));
        break;
    case kSetFormat: {
        uint32_t format = GetU32(p);
        if (format == 1 || format == 2)
            m_format = static_cast<int>(format);
        else
            status = kRefused;
        break;
    }
    case kGetControl: {
        uint32_t index = GetU32(p);
        int32_t words[kControlWords] = {};
        if (index < kControlCount) {
            const Control& c = m_controls[index];
            int32_t filled[kControlWords]
                = {1, c.minimum, c.value, c.maximum, c.step, c.defaultValue, c.autoAvailable, c.autoOn};
            std::copy(filled, filled + kControlWords, words);
        } else if (index >= 16) {
            status = kRefused;
        }
        for (int32_t w : words)
            AppendU32(reply, static_cast<uint32_t>(w));
        break;
    }
    case kSetControl: {
        uint32_t index = GetU32(p);
        if (index >= kControlCount) {
            status = kRefused;
            break;
        }
        Control& c = m_controls[index];
        int32_t value = static_cast<int32_t>(GetU32(p + 4 + 2 * 4));
        int32_t autoOn = static_cast<int32_t>(GetU32(p + 4 + 7 * 4));
        c.autoOn = c.autoAvailable && autoOn != 0;
        if (!c.autoOn)
            c.value = std::clamp(value, c.minimum, c.maximum);
        break;
    }
    default:
        status = kRefused;
        break;
    }
    if (status != 0)
        reply.clear();
    std::vector<uint8_t> bytes = EncodeMessage(type | kReplyFlag, status, id, reply.data(), reply.size());
    return SendAll(session.fd, bytes.data(), bytes.size(), kSendTimeoutMs);
}

bool WmpCameraSimulator::Encode(
    const uint8_t* bgra, int stride, int width, int height, std::vector<uint8_t>* out)
{
    if (m_format == 1) {
        out->resize(static_cast<size_t>(width) * height * 2);
        return libyuv::ARGBToYUY2(bgra, stride, out->data(), width * 2, width, height) == 0;
    }
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(
            m_jpeg, bgra, width, stride, height, TJPF_BGRA, &jpeg, &size, TJSAMP_422, 85, TJFLAG_FASTDCT)
        != 0) {
        std::fprintf(stderr, "wmp_simulator: %s\n", tjGetErrorStr2(m_jpeg));
        return false;
    }
    out->assign(jpeg, jpeg + size);
    tjFree(jpeg);
    return true;
}

std::unique_ptr<dshow::MicroscopeScene> WmpCameraSimulator::MakeScene(int width, int height)
{
    auto scene = std::make_unique<dshow::MicroscopeScene>(width / 64.0);
    scene->Prepare(width, height);
    return scene;
}

bool WmpCameraSimulator::SendFrame(Session& session)
{
    if (m_scene->Width() != m_width || m_scene->Height() != m_height)
        m_scene = MakeScene(m_width, m_height);
    int64_t elapsedMs = NowMs() - session.startMs;
    m_frame.resize(static_cast<size_t>(m_width) * m_height * 4);
    ApplySceneAdjust(m_scene->FrameOrigin(static_cast<uint64_t>(session.frames)), m_scene->StageStride(),
        m_width, m_height, Adjust(), m_frame.data(), m_width * 4);
    std::vector<uint8_t> data;
    if (!Encode(m_frame.data(), m_width * 4, m_width, m_height, &data))
        return false;
    std::vector<uint8_t> payload = EncodeDataPayload(static_cast<uint32_t>(m_format), m_width, m_height,
        static_cast<uint32_t>(elapsedMs), data.data(), data.size());
    std::vector<uint8_t> bytes = EncodeMessage(
        kVideoFrame, 0, static_cast<uint32_t>(session.frames), payload.data(), payload.size());
    if (!SendAll(session.fd, bytes.data(), bytes.size(), kSendTimeoutMs))
        return false;
    ++session.frames;
    ++m_framesSent;
    return true;
}

bool WmpCameraSimulator::SendPicture(Session& session, uint32_t id, int width, int height)
{
    std::unique_ptr<dshow::MicroscopeScene> scene = MakeScene(width, height);
    std::vector<uint8_t> bgra(static_cast<size_t>(width) * height * 4);
    ApplySceneAdjust(
        scene->FrameOrigin(0), scene->StageStride(), width, height, Adjust(), bgra.data(), width * 4);
    std::vector<uint8_t> data;
    if (!Encode(bgra.data(), width * 4, width, height, &data))
        return false;
    std::vector<uint8_t> payload = EncodeDataPayload(static_cast<uint32_t>(m_format), width, height,
        static_cast<uint32_t>(NowMs() - session.startMs), data.data(), data.size());
    std::vector<uint8_t> bytes = EncodeMessage(kPicture, 0, id, payload.data(), payload.size());
    if (!SendAll(session.fd, bytes.data(), bytes.size(), kSendTimeoutMs))
        return false;
    ++m_picturesSent;
    return true;
}

}  // namespace kelvara::wmp
