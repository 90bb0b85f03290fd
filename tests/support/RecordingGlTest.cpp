#include "RecordingGl.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

class RecordingGlTest : public ::testing::Test {
protected:
    void SetUp() override { gltest::reset(); }
    void TearDown() override { gltest::reset(); }
};

// A fixed little scene, so digests of separate runs can be compared.
void drawScene(float x) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glTranslatef(x, 1.0f, -2.5f);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 0.5f, 0.25f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glEnd();
    glPopMatrix();
}

TEST_F(RecordingGlTest, RecordsNamesAndArgumentsInOrder) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glTranslatef(0.0f, 1.0f, 0.0f);
    glRotatef(0.1f, 0.0f, 0.0f, 1.0f);
    gluPerspective(45.0, 4.0 / 3.0, 0.1, 100.0);
    glViewport(0, 0, 640, 480);
    glLoadIdentity();

    const auto& log = gltest::calls();
    ASSERT_EQ(log.size(), 6u) << gltest::dump();
    EXPECT_STREQ(log[0].name, "glClear");
    ASSERT_EQ(log[0].argCount, 1);
    EXPECT_EQ(log[0].arg(0), static_cast<double>(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));

    EXPECT_EQ(gltest::toString(log[1]), "glTranslatef(0, 1, 0)");

    ASSERT_EQ(log[2].argCount, 4);
    EXPECT_EQ(log[2].arg(0), static_cast<double>(0.1f)); // widened, not rounded to 0.1
    EXPECT_EQ(log[2].arg(3), 1.0);

    ASSERT_EQ(log[3].argCount, 4);
    EXPECT_EQ(log[3].arg(1), 4.0 / 3.0); // GLU takes doubles: kept at full precision

    EXPECT_EQ(gltest::toString(log[4]), "glViewport(0, 0, 640, 480)");
    EXPECT_STREQ(log[5].name, "glLoadIdentity");
    EXPECT_EQ(log[5].argCount, 0);

    EXPECT_EQ(gltest::count("glTranslatef"), 1u);
    EXPECT_EQ(gltest::count("glVertex3f"), 0u);
    EXPECT_EQ(gltest::totalCalls(), 6u);
}

TEST_F(RecordingGlTest, ArgThrowsOutsideArgCount) {
    glTranslatef(1.0f, 2.0f, 3.0f);
    const gltest::GlCall& c = gltest::calls().at(0);
    EXPECT_EQ(c.arg(2), 3.0);
    EXPECT_THROW((void)c.arg(3), std::out_of_range);
    EXPECT_THROW((void)c.arg(-1), std::out_of_range);
}

TEST_F(RecordingGlTest, NamedReturnsMatchingCallsInOrder) {
    drawScene(0.0f);
    const std::vector<gltest::GlCall> vertices = gltest::named("glVertex3f");
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_EQ(vertices[1].arg(0), 1.0);
    EXPECT_EQ(vertices[2].arg(1), 1.0);
    EXPECT_EQ(gltest::dump(1, 3), "1: glPushMatrix()\n2: glTranslatef(0, 1, -2.5)\n");
}

TEST_F(RecordingGlTest, LightVectorsFlattenByParameter) {
    // The trailing 99 must never be read: it would show up as an extra argument.
    const std::array<GLfloat, 5> v{1.0f, 2.0f, 3.0f, 4.0f, 99.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, v.data());
    glLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, v.data());
    glLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, v.data());
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, v.data());
    glLightModelfv(GL_LIGHT_MODEL_TWO_SIDE, v.data());

    const auto& log = gltest::calls();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(gltest::toString(log[0]), "glLightfv(" + std::to_string(GL_LIGHT0) + ", " +
                                            std::to_string(GL_POSITION) + ", 1, 2, 3, 4)");
    EXPECT_EQ(log[1].argCount, 5);
    EXPECT_EQ(log[1].arg(1), static_cast<double>(GL_SPOT_DIRECTION));
    EXPECT_EQ(log[1].arg(4), 3.0);
    EXPECT_EQ(log[2].argCount, 3);
    EXPECT_EQ(log[3].argCount, 5);
    EXPECT_EQ(log[3].arg(0), static_cast<double>(GL_LIGHT_MODEL_AMBIENT));
    EXPECT_EQ(log[3].arg(4), 4.0);
    EXPECT_EQ(log[4].argCount, 2);
}

TEST_F(RecordingGlTest, MaterialAndFogVectorsFlattenByParameter) {
    const std::array<GLfloat, 5> v{0.5f, 0.25f, 0.125f, 1.0f, 99.0f};
    glMaterialfv(GL_FRONT, GL_EMISSION, v.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, v.data());
    glMaterialfv(GL_FRONT, GL_COLOR_INDEXES, v.data());
    glMaterialfv(GL_FRONT, GL_SHININESS, v.data());
    glFogfv(GL_FOG_COLOR, v.data());
    glFogfv(GL_FOG_DENSITY, v.data());

    const auto& log = gltest::calls();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].argCount, 6);
    EXPECT_EQ(log[0].arg(5), 1.0);
    EXPECT_EQ(log[1].argCount, 6);
    EXPECT_EQ(log[1].arg(0), static_cast<double>(GL_FRONT_AND_BACK));
    EXPECT_EQ(log[2].argCount, 5);
    EXPECT_EQ(log[2].arg(4), 0.125);
    EXPECT_EQ(log[3].argCount, 3);
    EXPECT_EQ(log[3].arg(2), 0.5);
    EXPECT_EQ(log[4].argCount, 5);
    EXPECT_EQ(log[4].arg(4), 1.0);
    EXPECT_EQ(log[5].argCount, 2);
}

TEST_F(RecordingGlTest, DigestIsTheSameInRecordAndDigestModes) {
    const std::uint64_t empty = gltest::digest();
    drawScene(0.0f);
    const std::uint64_t recorded = gltest::digest();
    EXPECT_NE(recorded, empty);

    gltest::reset();
    gltest::setMode(gltest::Mode::Digest);
    drawScene(0.0f);
    EXPECT_EQ(gltest::digest(), recorded);
    EXPECT_TRUE(gltest::calls().empty());
    EXPECT_EQ(gltest::totalCalls(), 10u);
}

TEST_F(RecordingGlTest, DigestChangesWhenAnArgumentChanges) {
    drawScene(0.0f);
    const std::uint64_t base = gltest::digest();

    gltest::reset();
    drawScene(0.5f);
    EXPECT_NE(gltest::digest(), base);

    // Same numbers under another name must differ too.
    gltest::reset();
    glVertex3f(1.0f, 2.0f, 3.0f);
    const std::uint64_t vertex = gltest::digest();
    gltest::reset();
    glNormal3f(1.0f, 2.0f, 3.0f);
    EXPECT_NE(gltest::digest(), vertex);
}

TEST_F(RecordingGlTest, DigestCoversWindowTitle) {
    EXPECT_EQ(glutCreateWindow("one"), 1);
    const std::uint64_t one = gltest::digest();
    ASSERT_EQ(gltest::calls().size(), 1u);
    EXPECT_EQ(gltest::calls()[0].text, "one");
    EXPECT_EQ(gltest::toString(gltest::calls()[0]), "glutCreateWindow(\"one\")");

    gltest::reset();
    glutCreateWindow("two");
    EXPECT_NE(gltest::digest(), one);
}

TEST_F(RecordingGlTest, OffModeRecordsNothing) {
    const std::uint64_t empty = gltest::digest();
    gltest::setMode(gltest::Mode::Off);
    drawScene(0.0f);
    glutCreateWindow("ignored");
    EXPECT_TRUE(gltest::calls().empty());
    EXPECT_EQ(gltest::totalCalls(), 0u);
    EXPECT_EQ(gltest::digest(), empty);

    gltest::setMode(gltest::Mode::Record);
    glFinish();
    EXPECT_EQ(gltest::calls().size(), 1u);
}

TEST_F(RecordingGlTest, ResetClearsEverythingAndReturnsToRecord) {
    gltest::setMode(gltest::Mode::Digest);
    drawScene(0.0f);
    glEnable(GL_FOG);
    gltest::reset();
    EXPECT_EQ(gltest::mode(), gltest::Mode::Record);
    EXPECT_EQ(gltest::totalCalls(), 0u);
    EXPECT_EQ(glIsEnabled(GL_FOG), GL_FALSE);
    EXPECT_EQ(gltest::calls().size(), 1u); // the glIsEnabled just made
}

void onDisplay() {}
void onReshape(int, int) {}
void onIdle() {}
void onKeyboard(unsigned char, int, int) {}
void onSpecial(int, int, int) {}
void onMouse(int, int, int, int) {}
void onMotion(int, int) {}
void onPassiveMotion(int, int) {}
void onClose() {}

TEST_F(RecordingGlTest, StoresGlutCallbacks) {
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutIdleFunc(onIdle);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecial);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutPassiveMotionFunc(onPassiveMotion);
    glutCloseFunc(onClose);

    const gltest::GlutCallbacks& cb = gltest::glutCallbacks();
    EXPECT_EQ(cb.display, &onDisplay);
    EXPECT_EQ(cb.reshape, &onReshape);
    EXPECT_EQ(cb.idle, &onIdle);
    EXPECT_EQ(cb.keyboard, &onKeyboard);
    EXPECT_EQ(cb.special, &onSpecial);
    EXPECT_EQ(cb.mouse, &onMouse);
    EXPECT_EQ(cb.motion, &onMotion);
    EXPECT_EQ(cb.passiveMotion, &onPassiveMotion);
    EXPECT_EQ(cb.close, &onClose);

    ASSERT_EQ(gltest::calls().size(), 9u);
    EXPECT_STREQ(gltest::calls()[6].name, "glutMotionFunc");
    EXPECT_STREQ(gltest::calls()[7].name, "glutPassiveMotionFunc");
    for (const gltest::GlCall& c : gltest::calls()) {
        EXPECT_EQ(c.argCount, 0) << c.name;
    }

    glutIdleFunc(nullptr);
    EXPECT_EQ(gltest::glutCallbacks().idle, nullptr);
    gltest::reset();
    EXPECT_EQ(gltest::glutCallbacks().display, nullptr);
}

TEST_F(RecordingGlTest, GetErrorReturnsTheSetErrorOnce) {
    gltest::setNextGlError(GL_INVALID_ENUM);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(gltest::count("glGetError"), 2u);
}

TEST_F(RecordingGlTest, IsEnabledFollowsEnableAndDisable) {
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_TRUE);
    glDisable(GL_LIGHTING);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_TRUE);
    ASSERT_EQ(gltest::count("glIsEnabled"), 4u);
    EXPECT_EQ(gltest::named("glIsEnabled")[0].arg(0), static_cast<double>(GL_LIGHTING));
}

TEST_F(RecordingGlTest, ReadPixelsZeroesExactlyTheImage) {
    constexpr int w = 5;
    constexpr int h = 3;
    std::vector<unsigned char> rgb(w * h * 3 + 4, 0xAB);
    glReadPixels(1, 2, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        ASSERT_EQ(rgb[i], i < w * h * 3 ? 0 : 0xAB) << "byte " << i;
    }

    std::vector<unsigned char> rgba(w * h * 4 + 4, 0xAB);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    EXPECT_EQ(rgba[w * h * 4 - 1], 0);
    EXPECT_EQ(rgba[w * h * 4], 0xAB);

    const auto reads = gltest::named("glReadPixels");
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].argCount, 6);
    EXPECT_EQ(reads[0].arg(1), 2.0);
    EXPECT_EQ(reads[0].arg(4), static_cast<double>(GL_RGB));
    EXPECT_EQ(reads[0].data, rgb.data());
}

TEST_F(RecordingGlTest, MipmapsRecordPixelPointerAsData) {
    const std::array<unsigned char, 12> pixels{};
    EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 2, 2, GL_RGB, GL_UNSIGNED_BYTE, pixels.data()),
              0);
    const gltest::GlCall& c = gltest::calls().at(0);
    EXPECT_STREQ(c.name, "gluBuild2DMipmaps");
    ASSERT_EQ(c.argCount, 6);
    EXPECT_EQ(c.arg(1), 3.0);
    EXPECT_EQ(c.arg(5), static_cast<double>(GL_UNSIGNED_BYTE));
    EXPECT_EQ(c.data, pixels.data());
}

TEST_F(RecordingGlTest, GlutQueriesAnswerFixedValues) {
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 640);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 480);
    EXPECT_EQ(glutGet(GLUT_ELAPSED_TIME), 0);
    EXPECT_EQ(glutGetWindow(), 1);
    int argc = 1;
    char arg0[] = "game";
    char* argv[] = {arg0, nullptr};
    glutInit(&argc, argv);
    glutMainLoop(); // must return
    EXPECT_EQ(gltest::named("glutGet")[2].arg(0), static_cast<double>(GLUT_ELAPSED_TIME));
    EXPECT_EQ(gltest::named("glutInit").at(0).arg(0), 1.0);
    EXPECT_EQ(gltest::count("glutMainLoop"), 1u);
}

TEST_F(RecordingGlTest, HoldsALargeLog) {
    constexpr std::size_t n = 1'000'000;
    for (std::size_t i = 0; i < n; ++i) {
        glVertex3f(static_cast<float>(i), 0.0f, 0.0f);
    }
    ASSERT_EQ(gltest::calls().size(), n);
    EXPECT_EQ(gltest::calls().back().arg(0), static_cast<double>(static_cast<float>(n - 1)));
}

} // namespace
