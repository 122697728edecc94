#pragma once
// A property value (double) as the int a device or SDK control takes,
// without the undefined conversion of values outside int's range. Any thread.

#include <climits>
#include <cmath>

// NaN gives 0; values beyond int's range give INT_MIN or INT_MAX; others are
// cut towards zero.
inline int ClampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(value);
}
