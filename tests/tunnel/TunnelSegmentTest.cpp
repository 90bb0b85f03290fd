#include "tunnel/TunnelSegment.h"

#include "GameFixture.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ExpectedCall {
    const char* name;
    std::vector<double> args;
    const void* data = nullptr;
};

// A band whose every vertex and colour differs, so a swapped or skipped one shows.
TunnelSegment distinctSegment() {
    TunnelSegment segment;
    for (int i = 0; i < TunnelSegment::kVertexCount; ++i) {
        const float f = static_cast<float>(i);
        segment.vertices.x[i] = 0.25f * f - 3.0f;
        segment.vertices.y[i] = 2.5f - 0.125f * f;
        segment.vertices.z[i] = -0.5f * f;
        segment.colours.red[i] = f / 64.0f;
        segment.colours.green[i] = 0.2f + f / 128.0f;
        segment.colours.blue[i] = 0.25f + f / 256.0f;
    }
    return segment;
}

std::vector<ExpectedCall> expectedDraw(const TunnelSegment& s, bool textured) {
    std::vector<ExpectedCall> calls;
    if (textured) {
        calls.push_back(
            {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR}});
        calls.push_back({"gluBuild2DMipmaps",
                         {GL_TEXTURE_2D, 3, 128, 128, GL_RGB, GL_UNSIGNED_BYTE},
                         texture1.data()});
        calls.push_back({"glEnable", {GL_TEXTURE_2D}});
    }
    calls.push_back({"glBegin", {GL_TRIANGLE_STRIP}});
    for (int i = 0; i < TunnelSegment::kVertexCount; ++i) {
        calls.push_back({"glMaterialfv", {GL_FRONT_AND_BACK, GL_SPECULAR, 0.1f, 0.1f, 0.1f, 1.0f}});
        calls.push_back({"glColor3f", {s.colours.red[i], s.colours.green[i], s.colours.blue[i]}});
        calls.push_back({"glVertex3f", {s.vertices.x[i], s.vertices.y[i], s.vertices.z[i]}});
        calls.push_back({"glTexCoord2f", {s.vertices.x[i], s.vertices.y[i]}});
    }
    calls.push_back({"glEnd", {}});
    calls.push_back({"glDisable", {GL_TEXTURE_2D}});
    return calls;
}

class TunnelSegmentDrawTest : public GameStateTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TunnelSegmentDrawTest, DrawsOneStripInTheExactCallOrder) {
    const bool textured = GetParam();
    texturingEnabled = textured ? 1 : 0;
    TunnelSegment segment = distinctSegment();

    segment.draw();

    const std::vector<ExpectedCall> expected = expectedDraw(segment, textured);
    const std::vector<gltest::GlCall>& log = gltest::calls();
    ASSERT_EQ(log.size(), expected.size()) << gltest::dump();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "call " << i << ": " << gltest::toString(log[i]));
        ASSERT_STREQ(log[i].name, expected[i].name);
        ASSERT_EQ(log[i].argCount, static_cast<int>(expected[i].args.size()));
        for (std::size_t a = 0; a < expected[i].args.size(); ++a) {
            EXPECT_EQ(log[i].arg(static_cast<int>(a)), expected[i].args[a]) << "argument " << a;
        }
        EXPECT_EQ(log[i].data, expected[i].data);
    }
}

INSTANTIATE_TEST_SUITE_P(Texturing, TunnelSegmentDrawTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("On") : std::string("Off");
                         });

} // namespace
