#pragma once

#include "web/DrawState.h"

#include <cstdint>
#include <vector>

// The frame's immediate-mode primitives as one vertex array and one list of triangles, cut into
// as few draws as the state allows. glBegin/glVertex/glEnd only append here; a new draw starts
// only where the state a triangle needs differs from the draw before it (another texture,
// texturing or lighting switched, a light or material changed), so one frame is one upload and a
// few dozen draws. Strips, fans and quads become triangles, each given by the vertex that
// completes it, with GL's winding.
class VertexBatcher {
public:
    // One vertex as the shaders take it: position and normal in eye space.
    struct Vertex {
        float position[3];
        float normal[3];
        float colour[4];
        float texCoord[2];
    };

    struct Draw {
        DrawState state;
        std::uint32_t firstIndex = 0; // into indices()
        std::uint32_t indexCount = 0;
    };

    // GL's primitive modes that the batcher draws; any other mode records nothing.
    static constexpr std::uint32_t kTriangles = 0x0004;
    static constexpr std::uint32_t kTriangleStrip = 0x0005;
    static constexpr std::uint32_t kTriangleFan = 0x0006;
    static constexpr std::uint32_t kQuads = 0x0007;

    // The state for the triangles that follow, until the next call.
    void setState(const DrawState& state);
    void begin(std::uint32_t mode);
    void vertex(const Vertex& vertex);
    void end();

    const std::vector<Vertex>& vertices() const { return vertices_; }
    const std::vector<std::uint32_t>& indices() const { return indices_; }
    // Draws with no triangles are never kept.
    const std::vector<Draw>& draws() const { return draws_; }
    bool empty() const { return indices_.empty(); }
    // Forgets the recorded primitives, once they are drawn; the state stays.
    void clear();

private:
    void triangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);

    std::vector<Vertex> vertices_;
    std::vector<std::uint32_t> indices_;
    std::vector<Draw> draws_;
    DrawState state_;
    bool stateOpen_ = false; // state_ differs from the last draw's, so the next triangle starts one
    std::uint32_t mode_ = 0;
    bool inPrimitive_ = false;
    std::uint32_t primitiveFirst_ = 0; // index of the primitive's first vertex
    std::uint32_t primitiveCount_ = 0; // vertices so far
};
