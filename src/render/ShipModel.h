#pragma once

#include <array>

// The player's ship: five six-sided blocks in model units (+y up, +z towards the ship's front).
// Every piece shares one triangle list and differs only in its vertices, face normals and colour.
namespace ShipModel {

struct Vec3 {
    float x, y, z;
};

// Faces of a block: A = vertices 0-3, B = 4-7 opposite it, and C, D, E, F between them.
enum Face { A, B, C, D, E, F, kFaceCount };

struct Triangle {
    std::array<int, 3> vertices; // counter-clockwise seen from the side the normal points to
    Face normal;
};

struct Piece {
    Vec3 colour;
    std::array<Vec3, 8> vertices;
    std::array<Vec3, kFaceCount> normals; // indexed by Face
};

constexpr int kTriangleCount = 10;
constexpr int kPieceCount = 5;

extern const std::array<Triangle, kTriangleCount> triangles;
extern const std::array<Piece, kPieceCount> pieces;

} // namespace ShipModel
