#include "web/MipmapChain.h"

#include <algorithm>
#include <cstddef>

MipmapChain::MipmapChain(int width, int height, int components, const std::uint8_t* texels) {
    const std::size_t bytes = static_cast<std::size_t>(width) * height * components;
    levels_.push_back({width, height, std::vector<std::uint8_t>(texels, texels + bytes)});
    while (levels_.back().width > 1 || levels_.back().height > 1) {
        levels_.push_back(halve(levels_.back(), components));
    }
}

MipmapChain::Level MipmapChain::halve(const Level& level, int components) {
    Level smaller;
    smaller.width = std::max(level.width / 2, 1);
    smaller.height = std::max(level.height / 2, 1);
    smaller.texels.resize(static_cast<std::size_t>(smaller.width) * smaller.height * components);
    // A side already one texel long is not halved: the filter then averages two texels, not four.
    const int stepX = level.width > 1 ? 1 : 0;
    const int stepY = level.height > 1 ? 1 : 0;
    const auto at = [&](int x, int y, int c) -> unsigned {
        return level.texels[(static_cast<std::size_t>(y) * level.width + x) * components + c];
    };
    for (int y = 0; y < smaller.height; ++y) {
        for (int x = 0; x < smaller.width; ++x) {
            for (int c = 0; c < components; ++c) {
                const int x0 = x * (stepX + 1);
                const int y0 = y * (stepY + 1);
                unsigned value = 0;
                if (stepX == 1 && stepY == 1) {
                    value = (at(x0, y0, c) + at(x0 + 1, y0, c) + at(x0, y0 + 1, c) +
                             at(x0 + 1, y0 + 1, c) + 2) /
                            4;
                } else {
                    value = (at(x0, y0, c) + at(x0 + stepX, y0 + stepY, c)) / 2;
                }
                smaller.texels[(static_cast<std::size_t>(y) * smaller.width + x) * components + c] =
                    static_cast<std::uint8_t>(value);
            }
        }
    }
    return smaller;
}
