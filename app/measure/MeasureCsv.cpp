#include "app/measure/MeasureCsv.h"

#include <locale>
#include <sstream>

namespace kelvara {

namespace {

void WritePoint(std::ostream& out, float x, float y)
{
    out << "\"[" << x << ',' << y << "]\",";
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

}  // namespace kelvara
