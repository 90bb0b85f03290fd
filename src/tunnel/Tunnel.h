#pragma once

#include "tunnel/TunnelSegment.h"

#include <array>
#include <cstdint>
#include <memory>

class SceneList;

// Builds the tunnel band by band: every fifth update a new jittered ring one unit further along -z,
// joined to the previous ring by a TunnelSegment, while the band made 23 updates earlier is
// dropped.
class Tunnel {
public:
    static constexpr int kRingPoints = 21; // the last point repeats the first to close the tube
    static constexpr int kSlots = 24;      // one more than the bands alive at once
    static constexpr int kFramesPerSegment = 5;

    struct Ring {
        std::array<float, kRingPoints> x{}, y{}, z{};
    };

    explicit Tunnel(SceneList& scene);
    Tunnel(const Tunnel&) = delete;
    Tunnel& operator=(const Tunnel&) = delete;
    ~Tunnel();

    void update();

    const Ring& previousRing() const { return previousRing_; }
    const TunnelSegment* segmentInSlot(int slot) const { return segments_[slot].get(); }
    std::int32_t segmentIdInSlot(int slot) const { return segmentIds_[slot]; }
    std::int32_t slotIndex() const { return slotIndex_; }
    std::int32_t segmentCount() const { return segmentCount_; }
    std::int32_t framesSinceSegment() const { return framesSinceSegment_; }

    // Only for tests that check counter wrap-around; the game never sets them.
    void setCountersForTest(std::int32_t framesSinceSegment, std::int32_t segmentCount) {
        framesSinceSegment_ = framesSinceSegment;
        segmentCount_ = segmentCount;
    }

private:
    void initRings();
    void dropSegment(int slot);
    void advanceRing(TunnelSegment& segment);
    void jitterRing();
    void buildStrip(TunnelSegment::Vertices& vertices) const;
    static void buildColours(TunnelSegment::Colours& colours);

    SceneList& scene_;
    std::int32_t framesSinceSegment_ = 0;
    Ring previousRing_;
    Ring newRing_;
    Ring baseRing_; // the clean circle every ring is scattered about
    std::array<std::unique_ptr<TunnelSegment>, kSlots> segments_; // owned; null when empty
    std::array<std::int32_t, kSlots> segmentIds_;
    std::int32_t slotIndex_ = 0;
    std::int32_t segmentCount_ = 0;
};
