#include "web/SphereMesh.h"

#include <cmath>
#include <numbers>

namespace {

// sin and cos of `count` equal steps round a whole circle (or half of one), the last entry the
// first again. A negative count goes round the other way.
struct CircleTable {
    std::vector<float> sine;
    std::vector<float> cosine;
};

CircleTable circleTable(int count, bool halfCircle) {
    const int size = std::abs(count);
    const float angle = (halfCircle ? 1.0f : 2.0f) * std::numbers::pi_v<float> /
                        static_cast<float>(count == 0 ? 1 : count);
    CircleTable table{std::vector<float>(static_cast<std::size_t>(size) + 1),
                      std::vector<float>(static_cast<std::size_t>(size) + 1)};
    table.sine[0] = 0.0f;
    table.cosine[0] = 1.0f;
    for (int i = 1; i < size; ++i) {
        table.sine[i] = static_cast<float>(std::sin(static_cast<double>(angle * i)));
        table.cosine[i] = static_cast<float>(std::cos(static_cast<double>(angle * i)));
    }
    table.sine[size] = table.sine[0];
    table.cosine[size] = table.cosine[0];
    return table;
}

} // namespace

SphereMesh::SphereMesh(float radius, int slices, int stacks) {
    if (slices < 1 || stacks < 2) {
        return; // freeglut draws nothing for these either
    }
    const CircleTable round = circleTable(-slices, false);
    const CircleTable pole = circleTable(stacks, true);

    const auto add = [&](float x, float y, float z) {
        vertices_.push_back({{x * radius, y * radius, z * radius}, {x, y, z}});
    };
    add(0.0f, 0.0f, 1.0f);
    for (int stack = 1; stack < stacks; ++stack) {
        for (int slice = 0; slice < slices; ++slice) {
            add(round.cosine[slice] * pole.sine[stack], round.sine[slice] * pole.sine[stack],
                pole.cosine[stack]);
        }
    }
    add(0.0f, 0.0f, -1.0f);
    const int bottom = static_cast<int>(vertices_.size()) - 1;

    // Each strip pairs a vertex of the lower ring with one of the upper ring (or a pole) and ends
    // where it began, closing the band.
    std::vector<int> top;
    for (int slice = 0; slice <= slices; ++slice) {
        top.push_back(1 + slice % slices);
        top.push_back(0);
    }
    strips_.push_back(top);
    for (int stack = 0; stack < stacks - 2; ++stack) {
        const int upper = 1 + stack * slices;
        std::vector<int> band;
        for (int slice = 0; slice <= slices; ++slice) {
            band.push_back(upper + slices + slice % slices);
            band.push_back(upper + slice % slices);
        }
        strips_.push_back(band);
    }
    const int lastRing = 1 + (stacks - 2) * slices;
    std::vector<int> cap;
    for (int slice = 0; slice <= slices; ++slice) {
        cap.push_back(bottom);
        cap.push_back(lastRing + slice % slices);
    }
    strips_.push_back(cap);
}
