#pragma once

#include "enemies/Enemy.h"

#include <array>
#include <cstdint>
#include <memory>

class SceneList;
class ShotController;

// The only maker and destroyer of enemies. Spawns at random, more often as the frames go by, into a
// ring of slots where each new orb replaces the oldest.
class EnemySpawner {
public:
    static constexpr int kSlots = 25;

    EnemySpawner(SceneList& scene, ShotController& shotController);
    EnemySpawner(const EnemySpawner&) = delete;
    EnemySpawner& operator=(const EnemySpawner&) = delete;
    ~EnemySpawner();

    void update();

    // The orbs reach the shot controller through us to run their hit tests.
    ShotController& shotController() const { return shotController_; }

    const Enemy* enemyInSlot(int slot) const { return enemies_[slot].get(); }
    std::int32_t enemyIdInSlot(int slot) const { return enemyIds_[slot]; }
    std::int32_t lastSlot() const { return lastSlot_; }

    // True when a frame whose counter is frameNumber spawns with the draw r1 (0..32767).
    static bool spawns(std::int32_t frameNumber, int r1);

private:
    SceneList& scene_;
    ShotController& shotController_;
    std::array<std::int32_t, kSlots> enemyIds_;
    std::array<std::unique_ptr<Enemy>, kSlots> enemies_; // owned; null until first filled
    std::int32_t lastSlot_ = 0;
};
