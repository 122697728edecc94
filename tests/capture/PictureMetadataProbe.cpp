#include "tests/capture/PictureMetadataProbe.h"

#include "tests/capture/RecorderTestProbe.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

namespace kelvara {

namespace {

constexpr const char* kImageJJar = "/usr/share/java/ij.jar";

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t BigEndian32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// CRC-32 as PNG defines it (polynomial 0xEDB88320), bit by bit.
uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

}  // namespace

PngPhys ReadPngPhys(const std::string& path)
{
    PngPhys result;
    const std::vector<uint8_t> data = ReadBytes(path);
    for (size_t pos = 8; pos + 12 <= data.size();) {
        const uint32_t length = BigEndian32(&data[pos]);
        if (length > data.size() - pos - 12)
            break;
        if (std::string(reinterpret_cast<const char*>(&data[pos + 4]), 4) == "pHYs" && length == 9) {
            result.found = true;
            result.x = BigEndian32(&data[pos + 8]);
            result.y = BigEndian32(&data[pos + 12]);
            result.unit = data[pos + 16];
            result.crcOk = Crc32(&data[pos + 4], 13) == BigEndian32(&data[pos + 17]);
        }
        pos += 12 + length;
    }
    return result;
}

JfifDensity ReadJfifDensity(const std::string& path)
{
    JfifDensity result;
    const std::vector<uint8_t> data = ReadBytes(path);
    if (data.size() < 20 || data[0] != 0xff || data[1] != 0xd8 || data[2] != 0xff || data[3] != 0xe0
        || std::string(reinterpret_cast<const char*>(&data[6]), 5) != std::string("JFIF\0", 5))
        return result;
    result.found = true;
    result.units = data[13];
    result.x = (data[14] << 8) | data[15];
    result.y = (data[16] << 8) | data[17];
    return result;
}

TiffInfo ReadTiffInfo(const std::string& path)
{
    TiffInfo result;
    int status = -1;
    const std::string text = RunCommand("tiffinfo " + ShellQuote(path) + " 2>/dev/null", &status);
    result.ok = status == 0 && text.find("Image Width:") != std::string::npos;
    std::smatch match;
    if (std::regex_search(
            text, match, std::regex(R"(Resolution: ([0-9.e+-]+), ([0-9.e+-]+) ?\(?([a-z/]*)\)?)"))) {
        result.x = std::atof(match[1].str().c_str());
        result.y = std::atof(match[2].str().c_str());
        result.unit = match[3].str();
    }
    // The description runs from its tag to the next "  Tag:" line.
    const size_t start = text.find("ImageDescription: ");
    if (start != std::string::npos) {
        const size_t from = start + 18;
        std::smatch next;
        const std::string rest = text.substr(from);
        // tiffinfo ends the description with a line break of its own.
        if (std::regex_search(rest, next, std::regex(R"(\n  [A-Z][A-Za-z/ ]*:)")))
            result.description = rest.substr(0, size_t(next.position(0)));
        else
            result.description = rest.substr(0, rest.empty() ? 0 : rest.size() - 1);
    }
    return result;
}

IdentifyResolution Identify(const std::string& path)
{
    IdentifyResolution result;
    std::istringstream text(RunCommand("identify -format '%x %y %U' " + ShellQuote(path) + " 2>/dev/null"));
    text >> result.x >> result.y >> result.unit;
    return result;
}

std::string ImageJMissing()
{
    if (RunCommand("command -v java").empty())
        return "no java on PATH";
    if (!std::ifstream(kImageJJar))
        return std::string("no ImageJ at ") + kImageJJar + " (Debian package imagej)";
    return "";
}

std::vector<ImageJPicture> ReadWithImageJ(const std::vector<std::string>& paths, const std::string& workDir)
{
    // Prints one tab-separated line per picture; a micro sign becomes "u" so
    // that the output does not depend on the locale.
    const std::string macro = workDir + "/read-scale.ijm";
    std::ofstream(macro)
        << "paths = split(getArgument(), '|');\n"
           "for (i = 0; i < paths.length; i++) {\n"
           "    open(paths[i]);\n"
           "    getPixelSize(unit, pw, ph);\n"
           "    unit = replace(unit, fromCharCode(181), 'u');\n"
           "    v = getPixel(0, 0);\n"
           "    print('PICTURE\\t' + i + '\\t' + unit + '\\t' + d2s(pw, -9) + '\\t' + d2s(ph, -9)\n"
           "        + '\\t' + getWidth() + '\\t' + getHeight() + '\\t' + ((v >> 16) & 255) + '\\t'\n"
           "        + ((v >> 8) & 255) + '\\t' + (v & 255));\n"
           "    close();\n"
           "}\n";
    std::string argument;
    for (const std::string& path : paths)
        argument += (argument.empty() ? "" : "|") + path;
    // ImageJ 1.53 builds its menus even in batch mode, so it needs a display.
    const char* display = std::getenv("DISPLAY");
    const std::string command = std::string("cd ") + ShellQuote(workDir) + " && HOME=" + ShellQuote(workDir)
        + (display && *display ? " " : " xvfb-run -a ") + "timeout 120 java -jar " + kImageJJar + " -batch "
        + ShellQuote(macro) + " " + ShellQuote(argument) + " 2>&1";
    std::istringstream output(RunCommand(command));
    std::vector<ImageJPicture> pictures(paths.size());
    std::string line;
    while (std::getline(output, line)) {
        std::istringstream fields(line);
        std::string tag;
        size_t index = 0;
        ImageJPicture picture;
        std::getline(fields, tag, '\t');
        if (tag != "PICTURE" || !(fields >> index) || index >= pictures.size())
            continue;
        fields.ignore(1);
        std::getline(fields, picture.unit, '\t');
        fields >> picture.pixelWidth >> picture.pixelHeight >> picture.width >> picture.height >> picture.red
            >> picture.green >> picture.blue;
        pictures[index] = picture;
    }
    return pictures;
}

}  // namespace kelvara
