// wmp_simulator: a wireless microscope camera on the local machine, for
// trying the program and the tests without hardware.

#include "tools/wmp_simulator/WmpCameraSimulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using kelvara::wmp::SimulatorOptions;
using kelvara::wmp::WmpCameraSimulator;

namespace {

const char kUsage[] = "usage: wmp_simulator [options]\n"
                      "  --bind ADDR          address to serve on (default 127.0.0.1)\n"
                      "  --port N             TCP port (default 39610, 0 = any free port)\n"
                      "  --discovery-port N   UDP discovery port (default 39611, 0 = any free port)\n"
                      "  --no-discovery       do not answer discovery probes\n"
                      "  --name TEXT          camera name, 1..19 characters\n"
                      "  --number N           camera serial number\n"
                      "  --size WxH           start size (must be offered)\n"
                      "  --sizes WxH,WxH,...  offered sizes (at most 12)\n"
                      "  --format mjpg|yuyv   start format (default mjpg)\n"
                      "  --fps N              frame rate (default 25)\n"
                      "  --drop-after N       close the connection after N frames\n"
                      "  --stall-after N      go silent after N frames\n";

bool ParseLong(const char* text, long minimum, long maximum, long* out)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < minimum || value > maximum)
        return false;
    *out = value;
    return true;
}

bool ParseSize(const std::string& text, std::pair<int, int>* out)
{
    size_t x = text.find('x');
    long w, h;
    if (x == std::string::npos || !ParseLong(text.substr(0, x).c_str(), 1, 8192, &w)
        || !ParseLong(text.substr(x + 1).c_str(), 1, 8192, &h))
        return false;
    *out = {static_cast<int>(w), static_cast<int>(h)};
    return true;
}

bool ParseArguments(int argc, char** argv, SimulatorOptions* options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--no-discovery") {
            options->discovery = false;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const char* value = argv[++i];
        long number = 0;
        std::pair<int, int> size;
        if (arg == "--bind") {
            options->bindAddress = value;
        } else if (arg == "--port" && ParseLong(value, 0, 65535, &number)) {
            options->port = static_cast<uint16_t>(number);
        } else if (arg == "--discovery-port" && ParseLong(value, 0, 65535, &number)) {
            options->discoveryPort = static_cast<uint16_t>(number);
        } else if (arg == "--name") {
            options->name = value;
        } else if (arg == "--number" && ParseLong(value, 0, 0xFFFFFFFFL, &number)) {
            options->number = static_cast<uint32_t>(number);
        } else if (arg == "--size" && ParseSize(value, &size)) {
            options->width = size.first;
            options->height = size.second;
        } else if (arg == "--sizes") {
            options->sizes.clear();
            std::string list = value;
            size_t pos = 0;
            while (pos <= list.size()) {
                size_t comma = list.find(',', pos);
                if (comma == std::string::npos)
                    comma = list.size();
                if (!ParseSize(list.substr(pos, comma - pos), &size))
                    return false;
                options->sizes.push_back(size);
                pos = comma + 1;
            }
        } else if (arg == "--format"
            && (std::strcmp(value, "mjpg") == 0 || std::strcmp(value, "yuyv") == 0)) {
            options->format = std::strcmp(value, "mjpg") == 0 ? 2 : 1;
        } else if (arg == "--fps" && ParseLong(value, 1, 120, &number)) {
            options->fps = static_cast<int>(number);
        } else if (arg == "--drop-after" && ParseLong(value, 0, 1L << 40, &number)) {
            options->dropAfterFrames = number;
        } else if (arg == "--stall-after" && ParseLong(value, 0, 1L << 40, &number)) {
            options->stallAfterFrames = number;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    SimulatorOptions options;
    if (!ParseArguments(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // Wait for a termination signal on this thread; block them first so the
    // server thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    WmpCameraSimulator simulator(options);
    std::string error;
    if (!simulator.Start(&error)) {
        std::fprintf(stderr, "wmp_simulator: %s\n", error.c_str());
        return 1;
    }
    std::printf(
        "wmp_simulator: tcp port %u, discovery port %u\n", simulator.Port(), simulator.DiscoveryPort());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    simulator.Stop();
    return 0;
}
