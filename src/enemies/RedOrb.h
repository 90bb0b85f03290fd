#pragma once

#include "enemies/Enemy.h"

// Turned a quarter about y; each wedge samples texture2 at a single point, for varied tints.
class RedOrb : public Enemy {
public:
    using Enemy::Enemy;
    void draw() override;
};
