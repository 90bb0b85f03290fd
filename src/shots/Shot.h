#pragma once

#include "scene/Drawable.h"

// A shot keeps no position: it remembers the spin and depth of the moment it was fired and how far
// it has flown since, which keeps it on the shot circle and turning with the world.
class Shot : public Drawable {
public:
    Shot(float angle, float startZ) : angle(angle), startZ(startZ) {}

    void draw() override;

    // Depth in the scene's own frame, before the scroll.
    float depth() const { return startZ + travel; }

    float travel = 0.0f; // distance flown along -z since firing; never positive
    float angle;         // spinAngle at firing, degrees, unwrapped
    float startZ;        // minus the scene's scrollZ at firing
};
