#pragma once

#include <array>

// The unit sphere every orb draws: 32 wedge-shaped strips from the +z pole to the -z pole. It is
// the same for every orb and every frame, so it is worked out once.
class OrbGeometry {
public:
    static constexpr int kWedges = 32;
    static constexpr int kSteps = 17;                 // pole to pole, both poles included
    static constexpr int kStripVertices = 2 * kSteps; // each step gives a vertex on either edge

    struct Vertex {
        float x, y, z;
    };
    struct Wedge {
        float directionX, directionY;             // unit direction the wedge flies out along
        std::array<Vertex, kStripVertices> strip; // strip order: left edge, right edge, ...
        float texCoordS, texCoordT;               // the single coordinate a red wedge gives
    };

    static const OrbGeometry& instance();

    std::array<Wedge, kWedges> wedges;

private:
    OrbGeometry();
};
