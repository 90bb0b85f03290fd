#pragma once

#include <cstddef>
#include <vector>

// What a run's frame times say about its pace. The game's load drifts as a run goes on (more orbs
// come into view as the spawn rate climbs), so besides the plain spread there is a local one: each
// frame against the frames just around it, which is the stutter a player feels.
struct FrameStats {
    // Frames on each side of a frame that make up its neighbourhood for the local spread: about
    // half a second of play either way at the game's usual pace.
    static constexpr std::size_t kNeighbours = 50;

    std::size_t frames = 0;
    double medianMs = 0;
    double p99Ms = 0;
    double framesPerSecond = 0;
    // The 99th percentile, over all frames, of a frame's time divided by the median of its
    // neighbourhood (the frame itself and up to kNeighbours frames before and after it).
    double p99LocalRatio = 0;

    // Frame times in milliseconds, in the order they were drawn. Empty input gives all zeros.
    static FrameStats of(const std::vector<double>& milliseconds);
};
