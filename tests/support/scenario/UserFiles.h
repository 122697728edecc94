#pragma once
// Test helper: what a user finds on disk after working with the program --
// the picture folder, automatically named files, pictures that a decoder
// opens, videos that ffprobe reads, the settings file between runs. Plain
// functions of files; any thread.

#include <set>
#include <string>
#include <vector>

namespace kelvara::test {

struct VideoFacts
{
    int frames = -1;  // decoded frames of the first video stream; -1 unreadable
    double durationS = -1;  // container duration
    int width = 0;
    int height = 0;
};

class UserFiles
{
public:
    // "<home>/Documents/Kelvara Files/Images/"
    static std::string PictureFolder(const std::string& home);
    // "<home>/Documents/Kelvara Files/data/calibrations.ini"
    static std::string CalibrationFile(const std::string& home);
    // "<home>/.config/Kelvara/config.ini"
    static std::string ConfigFile(const std::string& home);

    // Names (not paths) of the regular files in folder, sorted; files the
    // program is still writing (".tmp-" temporaries) are left out.
    static std::vector<std::string> List(const std::string& folder);
    // The names in `now` that are not in `before`.
    static std::vector<std::string> Added(
        const std::vector<std::string>& before, const std::vector<std::string>& now);

    // True when name is an automatic name "YYYYMMDD-HHMMSS-m" + extension,
    // the millisecond without padding (0 to 999), the date a real one.
    static bool IsAutomaticName(const std::string& name, const std::string& extension);
    // Milliseconds since midnight of an automatic name; -1 when it is none.
    static long StampMs(const std::string& name);

    // The format a decoder (ImageMagick `identify`) finds: "JPEG", "PNG",
    // "BMP", "TIFF"; empty when it cannot read the file. Width and height too.
    static std::string PictureFormat(const std::string& path, int* width = nullptr, int* height = nullptr);
    static bool HaveIdentify();

    static VideoFacts ProbeVideo(const std::string& path);

    // Sets "name = dword:<value>" in the settings file (between runs only).
    static void SetConfigNumber(const std::string& home, const std::string& name, int value);
    // The number stored for name; fallback when absent.
    static long ConfigNumber(const std::string& home, const std::string& name, long fallback);

    // Size of a file in bytes; -1 when missing.
    static long long Size(const std::string& path);
    // Waits until the file exists and its size has stayed the same for
    // steadyMs; false after timeoutMs.
    static bool WaitSteady(const std::string& path, int steadyMs, int timeoutMs);
};

}  // namespace kelvara::test
