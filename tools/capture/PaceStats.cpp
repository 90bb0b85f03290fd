#include "PaceStats.h"

#include "Percentile.h"

#include <algorithm>

PaceStats PaceStats::of(const std::vector<double>& startMs) {
    PaceStats stats;
    if (startMs.size() < 2) {
        return stats;
    }
    std::vector<double> intervals;
    intervals.reserve(startMs.size() - 1);
    for (std::size_t i = 1; i < startMs.size(); ++i) {
        intervals.push_back(startMs[i] - startMs[i - 1]);
    }
    stats.intervals = intervals.size();
    const double span = startMs.back() - startMs.front();
    stats.achievedFramesPerSecond =
        span > 0 ? 1000.0 * static_cast<double>(stats.intervals) / span : 0;
    std::sort(intervals.begin(), intervals.end());
    stats.medianIntervalMs = valueAtShare(intervals, 0.5);
    stats.p99IntervalMs = valueAtShare(intervals, 0.99);
    stats.longestIntervalMs = intervals.back();
    return stats;
}
