#pragma once
// Finds the stage micrometer in a picture from its pixels alone: the row with
// the longest run of evenly spaced dark ticks, and their pitch.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kelvara::dshow::testing {

struct MeasuredTicks
{
    int row = -1;
    int count = 0;  // ticks in the evenly spaced run
    double pitch = 0;  // pixels from one tick to the next, averaged over the run
};

// luma: width x height, rows packed. A tick starts where a pixel darker than
// half the row's median follows a lighter one.
inline MeasuredTicks FindMicrometerTicks(const std::vector<uint8_t>& luma, int width, int height)
{
    MeasuredTicks best;
    std::vector<uint8_t> sorted(static_cast<size_t>(width));
    std::vector<int> starts;
    std::vector<int> gaps;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = &luma[static_cast<size_t>(y) * width];
        sorted.assign(row, row + width);
        std::nth_element(sorted.begin(), sorted.begin() + width / 2, sorted.end());
        const int threshold = sorted[static_cast<size_t>(width / 2)] / 2;
        starts.clear();
        for (int x = 1; x < width; ++x)
            if (row[x] < threshold && row[x - 1] >= threshold)
                starts.push_back(x);
        if (starts.size() < 3 || static_cast<int>(starts.size()) <= best.count)
            continue;
        gaps.clear();
        for (size_t i = 1; i < starts.size(); ++i)
            gaps.push_back(starts[i] - starts[i - 1]);
        std::vector<int> gapOrder = gaps;
        std::nth_element(gapOrder.begin(), gapOrder.begin() + gapOrder.size() / 2, gapOrder.end());
        const double typical = gapOrder[gapOrder.size() / 2];
        // The longest run of gaps near the typical one (positions are whole
        // pixels: a pitch of 3.3 gives gaps of 3 and 4).
        size_t runStart = 0;
        for (size_t i = 0; i <= gaps.size(); ++i) {
            if (i < gaps.size() && gaps[i] >= 0.6 * typical && gaps[i] <= 1.4 * typical)
                continue;
            const int ticks = static_cast<int>(i - runStart) + 1;
            if (i > runStart && ticks > best.count) {
                best.row = y;
                best.count = ticks;
                best.pitch = static_cast<double>(starts[i] - starts[runStart]) / (ticks - 1);
            }
            runStart = i + 1;
        }
    }
    return best;
}

}  // namespace kelvara::dshow::testing
