#pragma once

// Anything that streams with the tunnel. The scene list only ever calls draw();
// lifetime belongs to whoever created the object.
class Drawable {
public:
    virtual ~Drawable() = default;
    virtual void draw() = 0;
};
