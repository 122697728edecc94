#pragma once
// The CSV file of the measurement results: two header lines and one row per
// primitive, CR LF line ends, numbers as a stream writes a float by default
// ("%g" style). Plain functions: callable from any thread on their arguments.

#include "app/measure/MeasureRecords.h"

#include <string>
#include <vector>

namespace kelvara {

struct MeasureCsvRow
{
    std::string type;  // the primitive's type name
    MeasureResult result;
};

// The whole file text for rows in index order, unit as given (narrow).
std::string FormatMeasureCsv(const std::vector<MeasureCsvRow>& rows, const std::string& unit);

}  // namespace kelvara
