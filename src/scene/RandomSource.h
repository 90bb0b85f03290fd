#pragma once

#include <cstdint>

// The single random source behind every choice in the game. It is never seeded from outside, so
// every run meets the same tunnel and the same enemies; the order of draws decides the game's
// course.
class RandomSource {
public:
    static constexpr int kRange = 32768; // draws lie in [0, kRange)

    static int draw();

    // Puts the source back to its start-up state; only tests and tools replaying a fresh game need
    // it.
    static void reset(std::uint32_t seed = kStartSeed);

private:
    static constexpr std::uint32_t kStartSeed = 1;
    static std::uint32_t seed;
};
