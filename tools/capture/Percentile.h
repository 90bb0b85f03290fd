#pragma once

#include <cstddef>
#include <vector>

// The value a share of the way through sorted values, to the nearest rank: 0.5 the median, 0.99
// the 99th percentile. The values must not be empty.
inline double valueAtShare(const std::vector<double>& sorted, double share) {
    const auto index =
        static_cast<std::size_t>(share * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[index];
}
