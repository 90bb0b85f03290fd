#include "enemies/OrbGeometry.h"

#include <cmath>

namespace {
constexpr double kTwoPi = 6.283; // the game's pi is 3.1415 throughout
constexpr double kPi = 3.1415;
constexpr double kQuarterTurn = 1.57075;
constexpr float kRedTexCoordScale = 10.0f;
} // namespace

const OrbGeometry& OrbGeometry::instance() {
    static const OrbGeometry geometry;
    return geometry;
}

OrbGeometry::OrbGeometry() {
    for (int i = 0; i < kWedges; ++i) {
        Wedge& wedge = wedges[i];
        const double middle = (i + 0.5) / kWedges * kTwoPi;
        wedge.directionX = static_cast<float>(std::cos(middle));
        wedge.directionY = static_cast<float>(std::sin(middle));

        const float phi0 = static_cast<float>(i / static_cast<double>(kWedges) * kTwoPi);
        const float phi1 = static_cast<float>((i + 1) / static_cast<double>(kWedges) * kTwoPi);
        for (int j = 0; j < kSteps; ++j) {
            const double theta = j / static_cast<double>(kSteps - 1) * kPi;
            const double ring = std::sin(theta);
            const auto z = static_cast<float>(std::cos(theta));
            wedge.strip[2 * j] = {static_cast<float>(std::cos(phi0) * ring),
                                  static_cast<float>(std::sin(phi0) * ring), z};
            wedge.strip[2 * j + 1] = {static_cast<float>(std::cos(phi1) * ring),
                                      static_cast<float>(std::sin(phi1) * ring), z};
        }

        // Very nearly (10 sin phi1, -10 cos phi1): the quarter-turn shifted point at the far pole.
        const double lastTheta = static_cast<float>(kPi);
        const double u = std::sin(lastTheta + kQuarterTurn);
        wedge.texCoordS = static_cast<float>(kRedTexCoordScale * u * std::cos(phi1 + kQuarterTurn));
        wedge.texCoordT = static_cast<float>(kRedTexCoordScale * u * std::sin(phi1 + kQuarterTurn));
    }
}
