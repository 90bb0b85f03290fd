#pragma once

#include <cstddef>
#include <vector>

// How evenly frames arrive: the intervals between the starts of consecutive frames, which is what a
// player sees, whatever each frame's own work took.
struct PaceStats {
    std::size_t intervals = 0;
    double achievedFramesPerSecond = 0; // intervals over the time from the first start to the last
    double medianIntervalMs = 0;
    double p99IntervalMs = 0;
    double longestIntervalMs = 0;

    // Start times in milliseconds on a steady clock, in the order the frames were drawn. Fewer
    // than two starts give all zeros.
    static PaceStats of(const std::vector<double>& startMs);
};
