#include "enemies/EnemySpawner.h"

#include "enemies/GreenOrb.h"
#include "enemies/RedOrb.h"
#include "scene/GameState.h"
#include "scene/RandomSource.h"
#include "scene/SceneList.h"

#include <cmath>

namespace {
constexpr double kStartThreshold = 0.99;      // a spawn needs a draw above this share at frame 0
constexpr double kThresholdPerFrame = 0.0001; // ... which falls every frame, to none at 9900
constexpr double kTwoPi = 2 * 3.1415;
constexpr float kShotCircleRadius = 2.1f;
constexpr float kSpawnDistance = 20.0f; // just inside the far plane once the scroll is applied
} // namespace

EnemySpawner::EnemySpawner(SceneList& scene, ShotController& shotController)
    : scene_(scene), shotController_(shotController) {
    enemyIds_.fill(-1);
}

EnemySpawner::~EnemySpawner() {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (enemies_[slot] != nullptr) {
            scene_.remove(enemyIds_[slot]);
        }
    }
}

bool EnemySpawner::spawns(std::int32_t frameNumber, int r1) {
    const double threshold = kStartThreshold - kThresholdPerFrame * frameNumber;
    return static_cast<double>(r1) / RandomSource::kRange > threshold;
}

void EnemySpawner::update() {
    if (!spawns(frameCount, RandomSource::draw())) {
        return;
    }
    lastSlot_ = (lastSlot_ + 1) % kSlots;
    std::unique_ptr<Enemy>& slot = enemies_[lastSlot_];
    if (slot != nullptr) {
        scene_.remove(enemyIds_[lastSlot_]);
        slot.reset();
    }

    // The order of these two draws is part of the game's course.
    const auto angle = static_cast<float>(static_cast<double>(RandomSource::draw()) /
                                          RandomSource::kRange * kTwoPi);
    const bool green = RandomSource::draw() < RandomSource::kRange / 2;

    const float x = std::sin(angle) * kShotCircleRadius;
    const float y = std::cos(angle) * kShotCircleRadius;
    const float z = -scene_.scrollZ() - kSpawnDistance;
    if (green) {
        slot = std::make_unique<GreenOrb>(*this, x, y, z);
    } else {
        slot = std::make_unique<RedOrb>(*this, x, y, z);
    }
    enemyIds_[lastSlot_] = scene_.add(slot.get());
}
