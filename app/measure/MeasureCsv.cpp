#include "app/measure/MeasureCsv.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <locale>
#include <sstream>

namespace kelvara {

namespace {

void WritePoint(std::ostream& out, float x, float y)
{
    out << "\"[" << x << ',' << y << "]\",";
}

bool WriteAll(int fd, const std::string& text)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::string FormatMeasureCsv(const std::vector<MeasureCsvRow>& rows, const std::string& unit)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << "Measurement data list (Unit: " << unit << ")\r\n";
    out << "Index,Type,Center,Start,End,Width,Height,Radius,Area,Length,Angle,Distance\r\n";
    int index = 0;
    for (const MeasureCsvRow& row : rows) {
        const MeasureResult& r = row.result;
        out << index++ << ',' << row.type << ',';
        WritePoint(out, r.centerX, r.centerY);
        WritePoint(out, r.startX, r.startY);
        WritePoint(out, r.endX, r.endY);
        for (float value : {r.width, r.height, r.radius, r.area, r.length, r.angle, r.distance})
            out << value << ',';
        out << "\r\n";
    }
    return out.str();
}

bool WriteFileReplacing(const std::string& path, const std::string& text)
{
    if (path.empty())
        return false;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".part" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, text);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::string WideToUtf8(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        auto c = static_cast<uint32_t>(wc);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace kelvara
