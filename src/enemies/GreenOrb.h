#pragma once

#include "enemies/Enemy.h"

// Faces the viewer, wears the ring pattern with a coordinate per vertex.
class GreenOrb : public Enemy {
public:
    using Enemy::Enemy;
    void draw() override;
};
