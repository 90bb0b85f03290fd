#pragma once

#include "scene/Drawable.h"

#include <array>

// One band of the tunnel: a closed triangle strip joining an older ring (even vertices) to the ring
// made after it (odd vertices). Filled once by the Tunnel; draw only reads it.
class TunnelSegment : public Drawable {
public:
    static constexpr int kVertexCount = 42;

    struct Vertices {
        std::array<float, kVertexCount> x{}, y{}, z{};
    };
    struct Colours {
        std::array<float, kVertexCount> red{}, green{}, blue{};
    };

    void draw() override;

    Vertices vertices;
    Colours colours;
};
