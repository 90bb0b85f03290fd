#pragma once

#include <array>
#include <vector>

// The solid sphere that freeglut draws for glutSolidSphere, vertex for vertex: a vertex at each
// pole and `stacks - 1` rings of `slices` vertices between them, each ring running clockwise seen
// from +z, covered by one triangle strip per stack from the top down. The normals are the unit
// directions of the vertices. Emscripten's GLUT has no glutSolidSphere; the web build draws this.
class SphereMesh {
public:
    using Vec3 = std::array<float, 3>;

    struct Vertex {
        Vec3 position;
        Vec3 normal;
    };

    SphereMesh(float radius, int slices, int stacks);

    const std::vector<Vertex>& vertices() const { return vertices_; }
    // One strip of vertex indices per stack, top first.
    const std::vector<std::vector<int>>& strips() const { return strips_; }

private:
    std::vector<Vertex> vertices_;
    std::vector<std::vector<int>> strips_;
};
