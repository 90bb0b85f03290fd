#include "web/VertexBatcher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Indices = std::vector<std::uint32_t>;

VertexBatcher::Vertex at(float x) {
    return {{x, 0.0f, -1.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f}};
}

void primitive(VertexBatcher& batcher, std::uint32_t mode, int vertices) {
    batcher.begin(mode);
    for (int i = 0; i < vertices; ++i) {
        batcher.vertex(at(static_cast<float>(i)));
    }
    batcher.end();
}

DrawState textured(std::uint32_t texture) {
    DrawState state;
    state.lighting = true;
    state.texturing = true;
    state.texture = texture;
    return state;
}

// Each primitive becomes triangles with GL's vertices and winding; an unfinished triangle or quad
// at the end, and a mode the batcher does not draw, add no triangle.
struct AssemblyCase {
    std::string what;
    std::uint32_t mode;
    int vertices;
    Indices expected;
};

TEST(VertexBatcherTest, PrimitivesBecomeTrianglesWithTheirWinding) {
    const std::vector<AssemblyCase> cases = {
        {"strip of 5", VertexBatcher::kTriangleStrip, 5, {0, 1, 2, 2, 1, 3, 2, 3, 4}},
        {"strip of 2", VertexBatcher::kTriangleStrip, 2, {}},
        {"triangles, one left over", VertexBatcher::kTriangles, 7, {0, 1, 2, 3, 4, 5}},
        {"fan of 5", VertexBatcher::kTriangleFan, 5, {0, 1, 2, 0, 2, 3, 0, 3, 4}},
        {"quads, one unfinished", VertexBatcher::kQuads, 6, {0, 1, 2, 0, 2, 3}},
        {"lines", 0x0001, 4, {}},
    };
    for (const AssemblyCase& c : cases) {
        VertexBatcher batcher;
        batcher.setState(DrawState{});
        primitive(batcher, c.mode, c.vertices);
        EXPECT_EQ(batcher.indices(), c.expected) << c.what;
        if (c.expected.empty()) {
            EXPECT_TRUE(batcher.draws().empty()) << c.what;
        } else {
            ASSERT_EQ(batcher.draws().size(), 1u) << c.what;
            EXPECT_EQ(batcher.draws()[0].indexCount, c.expected.size()) << c.what;
        }
    }
}

// Primitives after the first index their own vertices, wherever they sit in the frame's array.
TEST(VertexBatcherTest, LaterPrimitivesIndexTheirOwnVertices) {
    VertexBatcher batcher;
    batcher.setState(DrawState{});
    primitive(batcher, VertexBatcher::kTriangleStrip, 3);
    primitive(batcher, VertexBatcher::kTriangleFan, 4);
    EXPECT_EQ(batcher.vertices().size(), 7u);
    EXPECT_EQ(batcher.indices(), (Indices{0, 1, 2, 3, 4, 5, 3, 5, 6}));
    EXPECT_EQ(batcher.vertices()[6].position[0], 3.0f);
}

// A frame's calls as the game makes them: tunnel bands with the wall texture, orbs of two looks,
// the ship untextured. A draw starts only where the state differs from the draw before; the state
// set again unchanged, or changed and changed back before any triangle, starts none.
TEST(VertexBatcherTest, SplitsOnlyWhereTheStateChanges) {
    const DrawState wall = textured(1);
    const DrawState redOrb = textured(2);
    const DrawState greenOrb = textured(3);
    DrawState ship;
    ship.lighting = true;
    constexpr int kBand = 42;  // vertices in a tunnel band's strip
    constexpr int kWedge = 34; // vertices in an orb wedge's strip

    VertexBatcher batcher;
    for (int band = 0; band < 3; ++band) {
        batcher.setState(wall);
        primitive(batcher, VertexBatcher::kTriangleStrip, kBand);
    }
    batcher.setState(redOrb);
    batcher.setState(wall); // texturing switched off and on again between bands: no draw
    primitive(batcher, VertexBatcher::kTriangleStrip, kBand);
    for (const DrawState& orb : {redOrb, redOrb, greenOrb}) {
        batcher.setState(orb);
        for (int wedge = 0; wedge < 2; ++wedge) {
            primitive(batcher, VertexBatcher::kTriangleStrip, kWedge);
        }
    }
    batcher.setState(ship);
    primitive(batcher, VertexBatcher::kTriangles, 9);

    struct Expected {
        std::uint32_t texture;
        bool texturing;
        std::uint32_t firstIndex;
        std::uint32_t indexCount;
    };
    constexpr std::uint32_t kBandIndices = 3 * (kBand - 2);
    constexpr std::uint32_t kWedgeIndices = 3 * (kWedge - 2);
    const std::vector<Expected> expected = {
        {1, true, 0, 4 * kBandIndices},
        {2, true, 4 * kBandIndices, 4 * kWedgeIndices},
        {3, true, 4 * kBandIndices + 4 * kWedgeIndices, 2 * kWedgeIndices},
        {0, false, 4 * kBandIndices + 6 * kWedgeIndices, 9},
    };
    ASSERT_EQ(batcher.draws().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const VertexBatcher::Draw& draw = batcher.draws()[i];
        EXPECT_EQ(draw.state.texture, expected[i].texture) << "draw " << i;
        EXPECT_EQ(draw.state.texturing, expected[i].texturing) << "draw " << i;
        EXPECT_EQ(draw.firstIndex, expected[i].firstIndex) << "draw " << i;
        EXPECT_EQ(draw.indexCount, expected[i].indexCount) << "draw " << i;
    }
    EXPECT_EQ(batcher.indices().size(), expected.back().firstIndex + expected.back().indexCount);
}

// A material changed between two vertices of a strip (the tunnel sets its specular before every
// vertex) splits the strip: the triangles completed after the change are drawn with it.
TEST(VertexBatcherTest, AChangeInsideAPrimitiveSplitsItAtTheNextTriangle) {
    DrawState dull;
    dull.lighting = true;
    DrawState shiny = dull;
    shiny.material.specular = {0.1f, 0.1f, 0.1f, 1.0f};

    VertexBatcher batcher;
    batcher.setState(dull);
    batcher.begin(VertexBatcher::kTriangleStrip);
    for (int i = 0; i < 6; ++i) {
        if (i == 4) {
            batcher.setState(shiny);
        }
        batcher.vertex(at(static_cast<float>(i)));
    }
    batcher.end();
    ASSERT_EQ(batcher.draws().size(), 2u);
    EXPECT_EQ(batcher.draws()[0].indexCount, 6u); // triangles ending at vertices 2 and 3
    EXPECT_EQ(batcher.draws()[1].firstIndex, 6u);
    EXPECT_EQ(batcher.draws()[1].indexCount, 6u); // ending at 4 and 5
    EXPECT_EQ(batcher.draws()[1].state, shiny);
}

TEST(VertexBatcherTest, VerticesOutsideAPrimitiveAreIgnored) {
    VertexBatcher batcher;
    batcher.setState(DrawState{});
    batcher.vertex(at(0.0f));
    primitive(batcher, VertexBatcher::kTriangles, 3);
    batcher.vertex(at(9.0f));
    EXPECT_EQ(batcher.vertices().size(), 3u);
    EXPECT_EQ(batcher.indices(), (Indices{0, 1, 2}));
}

// After a frame is drawn and cleared, the next frame starts from index 0 and keeps the state it
// was last given, without being given it again.
TEST(VertexBatcherTest, ClearingKeepsTheState) {
    VertexBatcher batcher;
    batcher.setState(textured(5));
    primitive(batcher, VertexBatcher::kTriangles, 3);
    batcher.clear();
    EXPECT_TRUE(batcher.empty());
    EXPECT_TRUE(batcher.draws().empty());
    primitive(batcher, VertexBatcher::kTriangles, 3);
    ASSERT_EQ(batcher.draws().size(), 1u);
    EXPECT_EQ(batcher.draws()[0].state.texture, 5u);
    EXPECT_EQ(batcher.indices(), (Indices{0, 1, 2}));
}

} // namespace
