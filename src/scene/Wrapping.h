#pragma once

#include <cstdint>

// The game's counters are signed 32-bit values that are allowed to run past the largest positive
// value and come back at the most negative one. Signed overflow is undefined in C++, so the step is
// taken in unsigned arithmetic and converted back, which C++20 defines as modular.
inline std::int32_t wrappingIncrement(std::int32_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}
