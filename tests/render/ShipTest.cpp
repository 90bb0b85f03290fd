#include "render/Ship.h"
#include "GameFixture.h"
#include "render/ShipModel.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace {

using gltest::GlCall;

struct Vec {
    double x, y, z;
};

Vec operator-(const Vec& a, const Vec& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
double dot(const Vec& a, const Vec& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec cross(const Vec& a, const Vec& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const Vec& a) {
    return std::sqrt(dot(a, a));
}

Vec vecOf(const GlCall& call) {
    return {call.arg(0), call.arg(1), call.arg(2)};
}

double f(float value) {
    return static_cast<double>(value);
}

// The shared triangle list as the model is drawn: vertex indices, then the face whose normal each
// triangle takes (0 = A ... 5 = F).
struct TriangleRow {
    std::array<int, 3> vertices;
    int face;
};
constexpr std::array<TriangleRow, 10> kTriangles = {{
    {{0, 1, 2}, 0},
    {{2, 3, 0}, 0},
    {{4, 5, 6}, 1},
    {{6, 7, 4}, 1},
    {{0, 3, 5}, 2},
    {{3, 2, 6}, 3},
    {{6, 5, 3}, 3},
    {{2, 1, 7}, 4},
    {{7, 6, 2}, 4},
    {{4, 7, 1}, 5},
}};

// What one drawn piece looks like in the call log.
struct DrawnPiece {
    Vec colour;
    std::array<Vec, 30> vertices;
    std::array<Vec, 30> normals;
};

class ShipTest : public GameStateTest {
protected:
    // Reads Ship::draw's calls from the start of the log, checking the fixed calls around the five
    // batches as it goes, and returns the batches.
    std::vector<DrawnPiece> readShipDraw() {
        std::vector<DrawnPiece> pieces;
        readShipDrawInto(pieces);
        return pieces;
    }

    void readShipDrawInto(std::vector<DrawnPiece>& pieces) {
        const auto& calls = gltest::calls();
        std::size_t at = 0;
        const auto expectCall = [&](const char* name, std::vector<double> args) {
            ASSERT_LT(at, calls.size()) << "missing " << name;
            const GlCall& call = calls[at];
            SCOPED_TRACE(testing::Message() << "call " << at << ": " << gltest::toString(call));
            ASSERT_STREQ(call.name, name);
            ASSERT_EQ(call.argCount, static_cast<int>(args.size()));
            for (std::size_t i = 0; i < args.size(); ++i) {
                EXPECT_EQ(call.arg(static_cast<int>(i)), args[i]) << "argument " << i;
            }
            ++at;
        };

        expectCall("glPushMatrix", {});
        expectCall("glMaterialf", {GL_FRONT_AND_BACK, GL_SHININESS, f(0.1f)});
        expectCall("glMaterialfv", {GL_FRONT_AND_BACK, GL_SPECULAR, f(0.1f), f(0.1f), f(0.1f), 0});
        for (int p = 0; p < 5 && !HasFatalFailure(); ++p) {
            SCOPED_TRACE(testing::Message() << "piece " << p + 1);
            DrawnPiece piece{};
            if (at >= calls.size() || std::string(calls[at].name) != "glColor3f") {
                ADD_FAILURE() << "no colour at call " << at << "\n" << gltest::dump(at, at + 3);
                return;
            }
            piece.colour = vecOf(calls[at++]);
            expectCall("glBegin", {GL_TRIANGLES});
            for (std::size_t v = 0; v < 30 && !HasFatalFailure(); ++v) {
                ASSERT_LT(at + 1, calls.size());
                ASSERT_STREQ(calls[at].name, "glNormal3f") << "vertex " << v;
                ASSERT_STREQ(calls[at + 1].name, "glVertex3f") << "vertex " << v;
                piece.normals[v] = vecOf(calls[at]);
                piece.vertices[v] = vecOf(calls[at + 1]);
                at += 2;
            }
            expectCall("glEnd", {});
            pieces.push_back(piece);
        }
        expectCall("glDisable", {GL_TEXTURE_2D});
        expectCall("glPopMatrix", {});
        expectCall("glPushMatrix", {});
        expectCall("glColor3f", {f(0.8f), f(0.4f), f(0.4f)});
        expectCall("glTranslatef", {0, f(-1.1f), f(9.3f)});
        expectCall("glutSolidSphere", {0.3, 10, 10});
        expectCall("glPopMatrix", {});
        EXPECT_EQ(at, calls.size()) << gltest::dump(at);
    }

    Ship ship_;
};

TEST_F(ShipTest, DrawsFiveColouredBatchesThenTheSphere) {
    ship_.draw();
    const std::vector<DrawnPiece> pieces = readShipDraw();
    ASSERT_EQ(pieces.size(), 5u);

    const std::array<Vec, 5> colours = {
        {{0, 0, 0}, {f(0.8f), 0, 0}, {0, f(0.8f), 0}, {f(0.8f), 0, 0}, {0, f(0.8f), 0}}};
    for (std::size_t p = 0; p < pieces.size(); ++p) {
        SCOPED_TRACE(testing::Message() << "piece " << p + 1);
        EXPECT_EQ(pieces[p].colour.x, colours[p].x);
        EXPECT_EQ(pieces[p].colour.y, colours[p].y);
        EXPECT_EQ(pieces[p].colour.z, colours[p].z);
    }
}

// The first triangle of each piece, vertices 0, 1, 2 with normal A, as the model's tables give it.
TEST_F(ShipTest, FirstTriangleOfEachPieceMatchesTheModelTables) {
    struct FirstTriangle {
        std::array<std::array<float, 3>, 3> vertices;
        std::array<float, 3> normal;
    };
    const std::array<FirstTriangle, 5> expected = {{
        {{{{-55.1546f, 0.0f, 77.835f}, {-55.1546f, 0.0f, -58.2474f}, {56.1856f, 0.0f, -58.2474f}}},
         {0.0f, -1.0f, 0.0f}},
        {{{{44.9786f, -0.892378f, 48.4756f},
           {44.9786f, -0.892378f, -57.5759f},
           {111.262f, -46.4182f, -35.0295f}}},
         {-0.566155f, -0.824299f, 4.56114e-8f}},
        {{{{-28.382f, -31.2703f, 149.365f},
           {-55.5796f, 3.45972f, 67.4994f},
           {56.6105f, 3.45972f, 67.4994f}}},
         {9.78181e-9f, -0.920584f, -0.390544f}},
        {{{{-42.3449f, -0.23535f, -59.3422f},
           {-42.4254f, -0.23535f, 46.7093f},
           {-108.692f, -45.7612f, 24.1126f}}},
         {0.566154f, -0.824299f, 0.000429943f}},
        {{{{-28.7699f, -6.54458f, 121.164f},
           {-35.8008f, 11.7264f, 92.4663f},
           {35.1476f, 11.7264f, 92.4663f}}},
         {1.84096e-8f, -0.843546f, -0.537057f}},
    }};

    ship_.draw();
    const std::vector<DrawnPiece> pieces = readShipDraw();
    ASSERT_EQ(pieces.size(), 5u);
    for (std::size_t p = 0; p < 5; ++p) {
        for (std::size_t v = 0; v < 3; ++v) {
            SCOPED_TRACE(testing::Message() << "piece " << p + 1 << ", vertex " << v);
            EXPECT_EQ(pieces[p].vertices[v].x, f(expected[p].vertices[v][0]));
            EXPECT_EQ(pieces[p].vertices[v].y, f(expected[p].vertices[v][1]));
            EXPECT_EQ(pieces[p].vertices[v].z, f(expected[p].vertices[v][2]));
            EXPECT_EQ(pieces[p].normals[v].x, f(expected[p].normal[0]));
            EXPECT_EQ(pieces[p].normals[v].y, f(expected[p].normal[1]));
            EXPECT_EQ(pieces[p].normals[v].z, f(expected[p].normal[2]));
        }
    }
}

TEST_F(ShipTest, BatchesFollowTheSharedTriangleList) {
    ship_.draw();
    const std::vector<DrawnPiece> pieces = readShipDraw();
    ASSERT_EQ(pieces.size(), 5u);
    for (std::size_t p = 0; p < 5; ++p) {
        const ShipModel::Piece& model = ShipModel::pieces[p];
        // Every occurrence of a vertex index in the list draws the same point, and every triangle
        // of one face the same normal.
        std::array<std::optional<Vec>, 8> seenVertex;
        std::array<std::optional<Vec>, 6> seenNormal;
        for (std::size_t t = 0; t < kTriangles.size(); ++t) {
            for (std::size_t j = 0; j < 3; ++j) {
                SCOPED_TRACE(testing::Message()
                             << "piece " << p + 1 << ", triangle " << t << ", corner " << j);
                const std::size_t k = t * 3 + j;
                const int index = kTriangles[t].vertices[j];
                const int face = kTriangles[t].face;
                const Vec& vertex = pieces[p].vertices[k];
                const Vec& normal = pieces[p].normals[k];

                EXPECT_EQ(vertex.x, f(model.vertices[index].x));
                EXPECT_EQ(vertex.y, f(model.vertices[index].y));
                EXPECT_EQ(vertex.z, f(model.vertices[index].z));
                EXPECT_EQ(normal.x, f(model.normals[face].x));
                EXPECT_EQ(normal.y, f(model.normals[face].y));
                EXPECT_EQ(normal.z, f(model.normals[face].z));

                if (!seenVertex[index]) {
                    seenVertex[index] = vertex;
                }
                EXPECT_EQ(length(vertex - *seenVertex[index]), 0.0) << "vertex " << index;
                if (!seenNormal[face]) {
                    seenNormal[face] = normal;
                }
                EXPECT_EQ(length(normal - *seenNormal[face]), 0.0) << "face " << face;
            }
        }
        // Every one of the block's eight corners is used.
        EXPECT_TRUE(std::all_of(seenVertex.begin(), seenVertex.end(),
                                [](const std::optional<Vec>& v) { return v.has_value(); }));
    }
}

// A mistyped digit in a vertex or a normal shows up here: the normals must be unit length and each
// triangle's corners must turn counter-clockwise about its normal, in line with it.
TEST_F(ShipTest, NormalsAreUnitAndTrianglesFaceTheirNormals) {
    ship_.draw();
    const std::vector<DrawnPiece> pieces = readShipDraw();
    ASSERT_EQ(pieces.size(), 5u);
    const double maxAngle = 0.005 * 3.141592653589793 / 180.0; // radians
    for (std::size_t p = 0; p < 5; ++p) {
        for (std::size_t t = 0; t < 10; ++t) {
            SCOPED_TRACE(testing::Message() << "piece " << p + 1 << ", triangle " << t);
            const Vec& a = pieces[p].vertices[t * 3];
            const Vec& b = pieces[p].vertices[t * 3 + 1];
            const Vec& c = pieces[p].vertices[t * 3 + 2];
            const Vec& n = pieces[p].normals[t * 3];
            EXPECT_NEAR(length(n), 1.0, 1e-4);

            const Vec faceNormal = cross(b - a, c - a);
            ASSERT_GT(length(faceNormal), 0.0) << "degenerate";
            const double cosine = dot(faceNormal, n) / (length(faceNormal) * length(n));
            EXPECT_GT(cosine, 0.0) << "clockwise seen from the normal's side";
            EXPECT_LT(std::acos(std::min(1.0, cosine)), maxAngle) << "normal off its face";
        }
    }
}

TEST_F(ShipTest, ModelSpansTheDocumentedBox) {
    ship_.draw();
    const std::vector<DrawnPiece> pieces = readShipDraw();
    ASSERT_EQ(pieces.size(), 5u);
    Vec low{1e9, 1e9, 1e9};
    Vec high{-1e9, -1e9, -1e9};
    for (const DrawnPiece& piece : pieces) {
        for (const Vec& v : piece.vertices) {
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        }
    }
    EXPECT_EQ(low.x, f(-113.361f));
    EXPECT_EQ(high.x, f(115.932f));
    EXPECT_EQ(low.y, f(-46.4182f));
    EXPECT_EQ(high.y, f(28.3235f));
    EXPECT_EQ(low.z, f(-59.3476f));
    EXPECT_EQ(high.z, f(154.798f));
}

// One ship pass after another, as in consecutive frames: the bank follows the sign of the change
// of spinAngle since the previous pass, not its size.
TEST_F(ShipTest, ShipPassPlacesTheShipAndBanksWithTheTurn) {
    struct Pass {
        float spinAngle;
        std::optional<float> bank;
    };
    const std::vector<Pass> passes = {
        {0.0f, std::nullopt},                 // first frame, nothing turned: level
        {7.0f, -5.0f},                        // rise
        {14.0f, -5.0f},                       // still spinning: still banked
        {14.0f, std::nullopt}, {13.0f, 5.0f}, // fall
        {13.001f, -5.0f},      {-200.0f, 5.0f}, {-200.0f, std::nullopt},
    };

    gltest::reset();
    ship_.draw();
    const std::vector<GlCall> shipDraw = gltest::calls();

    for (std::size_t i = 0; i < passes.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "pass " << i << ", spinAngle " << passes[i].spinAngle);
        gltest::reset();
        spinAngle = passes[i].spinAngle;
        shipPass(ship_);
        EXPECT_EQ(lastSpinAngle, spinAngle);

        std::vector<std::string> expected = {
            "glPushMatrix()",
            callText("glTranslatef", {0, f(-1.1f), f(-1.5f)}),
            callText("glScalef", {f(0.005f), f(0.005f), f(0.005f)}),
            "glRotatef(180, 0, 1, 0)",
        };
        if (passes[i].bank) {
            expected.push_back(callText("glRotatef", {*passes[i].bank, 0, 0, 1}));
        }
        for (const GlCall& call : shipDraw) {
            expected.push_back(gltest::toString(call));
        }
        expected.push_back("glPopMatrix()");

        const auto& calls = gltest::calls();
        ASSERT_EQ(calls.size(), expected.size()) << gltest::dump(0, 8);
        for (std::size_t c = 0; c < expected.size(); ++c) {
            ASSERT_EQ(gltest::toString(calls[c]), expected[c]) << "call " << c;
        }
        // toString rounds; the placement must be exact.
        EXPECT_EQ(calls[1].arg(1), f(-1.1f));
        EXPECT_EQ(calls[1].arg(2), f(-1.5f));
        EXPECT_EQ(calls[2].arg(0), f(0.005f));
    }
}

} // namespace
