#include "shots/ShotController.h"

#include "scene/GameState.h"
#include "scene/SceneList.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr float kSpeed = 0.6f;      // units per frame away from the viewer, before the scroll
constexpr float kMaxTravel = 30.0f; // a shot that has flown further is retired
constexpr double kHitWindowDegrees = 7.0;
constexpr float kHitWindowDepth = 2.0f;

// The game writes pi as 3.1415 everywhere; the degree factor and the quadrant offsets follow it.
constexpr double kPi = 3.1415;
constexpr double kHalfPi = 1.57075;
constexpr double kThreeHalfPi = 4.71225;
constexpr double kDegreesPerRadian = 57.29746936176985; // 180 / 3.1415

constexpr double kShotAngleOffset = -90.0; // a shot starts straight below the axis

// Polar angle of (x, y) in radians, by quadrant rather than with atan2.
double orbAngle(double x, double y) {
    if (x > 0 && y > 0) {
        return std::atan(y / x);
    }
    if (x < 0 && y > 0) {
        return std::atan(-x / y) + kHalfPi;
    }
    if (x < 0 && y < 0) {
        return std::atan(y / x) + kPi;
    }
    if (x > 0 && y < 0) {
        return std::atan(x / -y) + kThreeHalfPi;
    }
    if (x == 0 && y > 0) {
        return kHalfPi;
    }
    if (x == 0 && y < 0) {
        return kThreeHalfPi;
    }
    if (x < 0) {
        return kPi;
    }
    if (x == 0) { // and y == 0: orbs are never placed on the axis
        std::fputs("shotcontroller: Shouldn't be here\n", stdout);
    }
    return 0.0;
}

// True when s lies strictly inside the window of +-7 degrees about e, across the 0/360 seam too.
bool insideWindow(double e, double s) {
    double lo = e - kHitWindowDegrees;
    if (lo < 0) {
        lo += 360.0;
    }
    double hi = e + kHitWindowDegrees;
    if (hi > 360.0) {
        hi -= 360.0;
    }
    return lo < hi ? (lo < s && s < hi) : (s > lo || s < hi);
}

} // namespace

double normalizeDegrees(double degrees) {
    // Equivalent to adding or subtracting whole turns one at a time, without a loop that would
    // run for ages on an angle many turns away.
    if (degrees < 0) {
        const double rest = std::fmod(degrees, 360.0);
        return rest < 0 ? rest + 360.0 : 0.0;
    }
    if (degrees > 360.0) {
        const double rest = std::fmod(degrees, 360.0);
        return rest == 0 ? 360.0 : rest;
    }
    return degrees;
}

ShotController::ShotController(SceneList& scene) : scene_(scene) {
    shotIds_.fill(-1);
}

ShotController::~ShotController() {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (shots_[slot] != nullptr) {
            scene_.remove(shotIds_[slot]);
        }
    }
}

void ShotController::fire() {
    lastSlot_ = (lastSlot_ + 1) % kSlots;
    std::unique_ptr<Shot>& slot = shots_[lastSlot_];
    slot.reset();
    slot = std::make_unique<Shot>(spinAngle, -scene_.scrollZ());
    // A stale id of a retired or consumed shot is no longer in the scene; remove ignores it.
    if (shotIds_[lastSlot_] >= 0) {
        scene_.remove(shotIds_[lastSlot_]);
    }
    shotIds_[lastSlot_] = scene_.add(slot.get());
}

void ShotController::advance() {
    for (int slot = 0; slot < kSlots; ++slot) {
        Shot* shot = shots_[slot].get();
        if (shot == nullptr) {
            continue;
        }
        if (shot->travel >= -kMaxTravel) {
            shot->travel = shot->travel - kSpeed;
        } else {
            scene_.remove(shotIds_[slot]);
            shots_[slot].reset();
        }
    }
}

std::int32_t ShotController::hitTest(float x, float y, float z) {
    const double e = normalizeDegrees(orbAngle(x, y) * kDegreesPerRadian);
    for (int slot = 0; slot < kSlots; ++slot) {
        const Shot* shot = shots_[slot].get();
        if (shot == nullptr) {
            continue;
        }
        const double s = normalizeDegrees(-static_cast<double>(shot->angle) + kShotAngleOffset);
        const float d = shot->depth();
        if (insideWindow(e, s) && z - kHitWindowDepth < d && d < z + kHitWindowDepth) {
            shots_[slot].reset();
            scene_.remove(shotIds_[slot]);
            return shotIds_[slot];
        }
    }
    return kMiss;
}
