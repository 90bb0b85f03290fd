#pragma once

#include "shots/Shot.h"

#include <array>
#include <cstdint>
#include <memory>

class SceneList;

// Owns every live shot in a ring of slots, fires, moves and retires them, and answers the orbs'
// hit queries while the scene is drawn.
class ShotController {
public:
    static constexpr int kSlots = 20;
    static constexpr std::int32_t kMiss = -1;

    explicit ShotController(SceneList& scene);
    ShotController(const ShotController&) = delete;
    ShotController& operator=(const ShotController&) = delete;
    ~ShotController();

    void fire();
    void advance();

    // Consumes the first shot, in slot order, within the orb's angle and depth window and returns
    // the scene id it had, or kMiss. Called from inside an orb's draw while the scene is walked.
    std::int32_t hitTest(float x, float y, float z);

    const Shot* shotInSlot(int slot) const { return shots_[slot].get(); }
    std::int32_t shotIdInSlot(int slot) const { return shotIds_[slot]; }
    std::int32_t lastSlot() const { return lastSlot_; }

private:
    std::array<std::unique_ptr<Shot>, kSlots> shots_; // owned; null when empty
    std::array<std::int32_t, kSlots> shotIds_;        // a slot emptied keeps its last id
    std::int32_t lastSlot_ = 0;
    SceneList& scene_;
};

// Brings an angle in degrees into [0, 360]; both ends stay as they are.
double normalizeDegrees(double degrees);
