#include "FrameStats.h"

#include "Percentile.h"

#include <algorithm>
#include <numeric>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return valueAtShare(values, 0.5);
}

} // namespace

FrameStats FrameStats::of(const std::vector<double>& milliseconds) {
    FrameStats stats;
    if (milliseconds.empty()) {
        return stats;
    }
    stats.frames = milliseconds.size();
    const double total = std::accumulate(milliseconds.begin(), milliseconds.end(), 0.0);
    stats.framesPerSecond = 1000.0 * static_cast<double>(stats.frames) / total;

    std::vector<double> sorted = milliseconds;
    std::sort(sorted.begin(), sorted.end());
    stats.medianMs = valueAtShare(sorted, 0.5);
    stats.p99Ms = valueAtShare(sorted, 0.99);

    // A few thousand frames with a hundred neighbours each: plain re-sorting is quick enough for a
    // tool that reports once at the end of a run.
    std::vector<double> ratios;
    ratios.reserve(stats.frames);
    for (std::size_t i = 0; i < stats.frames; ++i) {
        const std::size_t first = i > kNeighbours ? i - kNeighbours : 0;
        const std::size_t last = std::min(stats.frames, i + kNeighbours + 1);
        const double local = median({milliseconds.begin() + static_cast<std::ptrdiff_t>(first),
                                     milliseconds.begin() + static_cast<std::ptrdiff_t>(last)});
        ratios.push_back(milliseconds[i] / local);
    }
    std::sort(ratios.begin(), ratios.end());
    stats.p99LocalRatio = valueAtShare(ratios, 0.99);
    return stats;
}
