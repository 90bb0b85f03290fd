#pragma once

// Spin angle at the previous ship pass; the ship banks whenever the world turned since then.
extern float lastSpinAngle;

// The player's ship. It stays outside the world's spin, low in the middle of the view.
class Ship {
public:
    void draw() const;
};

// Places the ship in front of the eye, banks it if the world turned since the last pass, and draws
// it. Expects the model-view matrix at the identity and leaves it there.
void shipPass(const Ship& ship);
