#include "scene/RandomSource.h"

std::uint32_t RandomSource::seed = RandomSource::kStartSeed;

int RandomSource::draw() {
    // Unsigned arithmetic gives the 32-bit wrap-around the sequence depends on.
    seed = seed * 214013u + 2531011u;
    return static_cast<int>((seed >> 16) & 32767u);
}

void RandomSource::reset(std::uint32_t startSeed) {
    seed = startSeed;
}
