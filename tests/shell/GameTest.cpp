#include "shell/Game.h"
#include "GameFixture.h"
#include "scene/Drawable.h"
#include "scene/GameState.h"
#include "shell/DesktopShell.h"
#include "shell/Shell.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using gltest::GlCall;

// A scene member that notes what the game looked like when the scene pass reached it.
class Probe : public Drawable {
public:
    void draw() override {
        ++draws;
        seenFrameCount = frameCount;
        seenSpinAngle = spinAngle;
        seenAtCall = gltest::calls().size();
    }

    int draws = 0;
    std::int32_t seenFrameCount = 0;
    float seenSpinAngle = 0.0f;
    std::size_t seenAtCall = 0;
};

// Model-view nesting before each call of the log; fails the test if a pop has no push.
std::vector<int> matrixDepths() {
    std::vector<int> depths;
    int depth = 0;
    for (const GlCall& call : gltest::calls()) {
        depths.push_back(depth);
        if (std::string(call.name) == "glPushMatrix") {
            ++depth;
        } else if (std::string(call.name) == "glPopMatrix") {
            --depth;
            EXPECT_GE(depth, 0) << "pop without push at call " << depths.size() - 1;
        }
    }
    depths.push_back(depth);
    return depths;
}

int liveShots(Game& game) {
    int live = 0;
    for (int slot = 0; slot < ShotController::kSlots; ++slot) {
        live += game.shots().shotInSlot(slot) != nullptr ? 1 : 0;
    }
    return live;
}

class GameTest : public GameStateTest {
protected:
    void SetUp() override {
        GameStateTest::SetUp();
        game_ = std::make_unique<Game>();
        gltest::reset();
    }

    Probe probe_; // outlives the game, whose scene may still point at it
    std::unique_ptr<Game> game_;
};

TEST_F(GameTest, FrameRunsItsStepsInOrder) {
    game_->scene().add(&probe_);
    spinSpeed = 7.0f;

    game_->frame();

    const auto& calls = gltest::calls();
    ASSERT_GE(calls.size(), 6u) << gltest::dump();
    EXPECT_EQ(gltest::toString(calls[0]),
              callText("glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}));
    EXPECT_EQ(gltest::toString(calls[1]), "glPushMatrix()");
    EXPECT_EQ(gltest::toString(calls[2]), "glTranslatef(0, 1, 0)");
    EXPECT_EQ(gltest::toString(calls[3]), "glRotatef(7, 0, 0, 1)");
    // The scene pass scrolls by the already incremented counter: frame 1, not 0.
    EXPECT_STREQ(calls[4].name, "glTranslatef");
    EXPECT_EQ(calls[4].arg(2), static_cast<double>(-23.8f));

    ASSERT_EQ(probe_.draws, 1);
    EXPECT_EQ(probe_.seenFrameCount, 1);
    EXPECT_EQ(probe_.seenSpinAngle, 7.0f);
    EXPECT_EQ(probe_.seenAtCall, 5u);

    // The scene transform closes after the scene is drawn, then the ship pass opens its own at the
    // identity, and the frame ends with the swap.
    const std::vector<int> depths = matrixDepths();
    EXPECT_GE(depths[probe_.seenAtCall], 1);
    std::size_t scenePop = 2;
    while (scenePop < calls.size() && depths[scenePop + 1] != 0) {
        ++scenePop;
    }
    ASSERT_LT(scenePop + 2, calls.size()) << gltest::dump();
    EXPECT_GE(scenePop, probe_.seenAtCall); // seenAtCall is the index of the next call
    EXPECT_STREQ(calls[scenePop].name, "glPopMatrix");
    EXPECT_STREQ(calls[scenePop + 1].name, "glPushMatrix");
    EXPECT_EQ(gltest::toString(calls[scenePop + 2]),
              callText("glTranslatef", {0, static_cast<double>(-1.1f), -1.5}));
    EXPECT_EQ(lastSpinAngle, 7.0f); // the ship pass saw this frame's turn

    EXPECT_STREQ(calls.back().name, "glutSwapBuffers");
    EXPECT_EQ(gltest::count("glutSwapBuffers"), 1u);
    EXPECT_EQ(depths.back(), 0);
}

TEST_F(GameTest, DrawFrameIsTheFrameWithoutTheSwap) {
    game_->drawFrame();
    EXPECT_EQ(frameCount, 1);
    EXPECT_EQ(gltest::count("glutSwapBuffers"), 0u);
    EXPECT_STREQ(gltest::calls().front().name, "glClear");
}

// Long enough for tunnel bands, shots and orbs to be drawn, with the world spinning both ways.
TEST_F(GameTest, EveryFrameLeavesTheModelViewMatrixAsItFoundIt) {
    for (int frame = 1; frame <= 400; ++frame) {
        if (frame % 10 == 0) {
            game_->keyboard(' ');
        }
        spinSpeed = frame < 200 ? 7.0f : -7.0f;
        gltest::reset();
        game_->frame();
        const std::vector<int> depths = matrixDepths();
        ASSERT_EQ(depths.back(), 0) << "frame " << frame;
        ASSERT_EQ(gltest::count("glMatrixMode"), 0u) << "frame " << frame;
        ASSERT_FALSE(HasFailure()) << "frame " << frame;
    }
    EXPECT_EQ(frameCount, 400);
    // The frames above really drew a populated world.
    EXPECT_GT(game_->scene().lastId(), 23 + 40);
}

TEST_F(GameTest, SpinSpeedTurnsTheWorldEveryFrame) {
    game_->scene().add(&probe_);
    for (float speed : {0.0f, 7.0f, -7.0f}) {
        SCOPED_TRACE(speed);
        spinAngle = 0.0f;
        spinSpeed = speed;
        for (int frame = 1; frame <= 3; ++frame) {
            gltest::reset();
            game_->frame();
            const float expected = speed * static_cast<float>(frame);
            EXPECT_EQ(spinAngle, expected);
            EXPECT_EQ(probe_.seenSpinAngle, expected);
            EXPECT_EQ(gltest::calls()[3].arg(0), static_cast<double>(expected));
        }
    }
}

TEST(GameReshape, SetsTheViewportAndAHundredDegreePerspective) {
    struct ReshapeCase {
        int width, height;
        double aspect;
    };
    const std::vector<ReshapeCase> cases = {
        {640, 480, 640.0 / 480.0},
        {1280, 480, 1280.0 / 480.0}, // wider view, same vertical field
        {300, 700, 300.0 / 700.0},
        {640, 0, 640.0}, // no height: taken as 1 so the aspect stays finite
    };
    for (const ReshapeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        resetGameState();
        Game::reshape(c.width, c.height);
        const std::vector<std::string> expected = {
            callText("glViewport",
                     {0, 0, static_cast<double>(c.width), static_cast<double>(c.height)}),
            callText("glMatrixMode", {GL_PROJECTION}),
            "glLoadIdentity()",
            callText("gluPerspective", {100, c.aspect, 1, 20}),
            callText("glMatrixMode", {GL_MODELVIEW}),
            "glLoadIdentity()",
        };
        const auto& calls = gltest::calls();
        ASSERT_EQ(calls.size(), expected.size()) << gltest::dump();
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(gltest::toString(calls[i]), expected[i]);
        }
        EXPECT_TRUE(std::isfinite(calls[3].arg(1)));
        EXPECT_EQ(calls[3].arg(1), c.aspect); // exact, not just to printed precision
    }
}

struct Input {
    enum class Kind { Key, Special, Mouse, Motion };
    Kind kind;
    int code = 0;
    int state = 0;
    int x = 0;
};

Input key(unsigned char c) {
    return {Input::Kind::Key, c};
}
Input special(int k) {
    return {Input::Kind::Special, k};
}
Input mouse(int button, int state, int x) {
    return {Input::Kind::Mouse, button, state, x};
}
Input motion(int x) {
    return {Input::Kind::Motion, 0, 0, x};
}

// Not a speed any input sets, so "left alone" and "set" can be told apart.
constexpr float kSpeedBefore = 2.5f;
constexpr float kAngleBefore = 30.0f;

struct ControlCase {
    const char* name;
    std::vector<Input> inputs;
    float spinSpeed = kSpeedBefore;
    float spinAngle = kAngleBefore;
    std::int32_t lastMouseX = 0;
    std::int32_t texturing = 1;
    int shots = 0;
};

TEST_F(GameTest, ControlsChangeTheGameState) {
    const std::vector<ControlCase> cases = {
        {"space fires", {key(' ')}, kSpeedBefore, kAngleBefore, 0, 1, 1},
        {"each repeat of space fires",
         {key(' '), key(' '), key(' ')},
         kSpeedBefore,
         kAngleBefore,
         0,
         1,
         3},
        {"c stops the spin", {key('c')}, 0.0f},
        {"x spins clockwise", {key('x')}, -7.0f},
        {"z spins counter-clockwise", {key('z')}, 7.0f},
        {"a set speed stays until changed", {key('z'), key('c')}, 0.0f},
        {"t turns texturing off", {key('t')}, kSpeedBefore, kAngleBefore, 0, 0},
        {"t twice turns it back on", {key('t'), key('t')}, kSpeedBefore, kAngleBefore, 0, 1},
        {"upper case and other keys do nothing",
         {key('Q'), key('T'), key('Z'), key('C'), key('X'), key('a'), key('1'), key(27), key(0),
          key(255)}},
        {"left arrow", {special(GLUT_KEY_LEFT)}, 7.0f},
        {"right arrow", {special(GLUT_KEY_RIGHT)}, -7.0f},
        {"down arrow", {special(GLUT_KEY_DOWN)}, 0.0f},
        {"up arrow and other special keys do nothing",
         {special(GLUT_KEY_UP), special(GLUT_KEY_F1), special(GLUT_KEY_PAGE_UP),
          special(GLUT_KEY_HOME)}},
        {"left press fires and records x",
         {mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 200)},
         kSpeedBefore,
         kAngleBefore,
         200,
         1,
         1},
        {"left release only records x",
         {mouse(GLUT_LEFT_BUTTON, GLUT_UP, 210)},
         kSpeedBefore,
         kAngleBefore,
         210},
        {"other buttons only record x",
         {mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 150), mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 160),
          mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 170)},
         kSpeedBefore,
         kAngleBefore,
         170},
        {"first motion turns by minus its x", {motion(50)}, kSpeedBefore, kAngleBefore - 50, 50},
        {"motion turns by the pixels moved",
         {motion(50), motion(80), motion(70)},
         kSpeedBefore,
         kAngleBefore - 50 - 30 + 10,
         70},
        {"a click moves the origin of the next motion",
         {mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 200), motion(190)},
         kSpeedBefore,
         kAngleBefore + 10,
         190,
         1,
         1},
        {"motion past the window's left edge",
         {motion(10), motion(-15)},
         kSpeedBefore,
         kAngleBefore - 10 + 25,
         -15},
        {"keys and mouse act together", {key('z'), motion(5)}, 7.0f, kAngleBefore - 5, 5},
    };

    for (const ControlCase& c : cases) {
        SCOPED_TRACE(c.name);
        resetGameState();
        game_ = std::make_unique<Game>();
        spinSpeed = kSpeedBefore;
        spinAngle = kAngleBefore;
        const std::int32_t idsBefore = game_->scene().lastId();

        for (const Input& input : c.inputs) {
            switch (input.kind) {
            case Input::Kind::Key:
                game_->keyboard(static_cast<unsigned char>(input.code));
                break;
            case Input::Kind::Special:
                Game::special(input.code);
                break;
            case Input::Kind::Mouse:
                game_->mouse(input.code, input.state, input.x);
                break;
            case Input::Kind::Motion:
                Game::motion(input.x);
                break;
            }
        }

        EXPECT_EQ(spinSpeed, c.spinSpeed);
        EXPECT_EQ(spinAngle, c.spinAngle);
        EXPECT_EQ(lastMouseX, c.lastMouseX);
        EXPECT_EQ(texturingEnabled, c.texturing);
        EXPECT_EQ(liveShots(*game_), c.shots);
        EXPECT_EQ(game_->scene().lastId() - idsBefore, c.shots);
        EXPECT_EQ(frameCount, 0); // input never advances the game
    }
}

TEST_F(GameTest, QuitKeyEndsTheProcessWithStatus42) {
    EXPECT_EXIT(game_->keyboard('q'), ::testing::ExitedWithCode(42), "");
}

// Checked in a newly started copy of this test program, so no other test has touched the globals.
TEST(GameAtStartUp, GlobalStateStartsAtZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(frameCount == 0 && spinSpeed == 0.0f && spinAngle == 0.0f &&
                                  lastMouseX == 0 && lastSpinAngle == 0.0f
                              ? 0
                              : 1),
                ::testing::ExitedWithCode(0), "");
}

// runGame keeps its world in a function-local static, so this is the one test that calls it.
TEST(GameStartUp, RunGameOpensTheWindowAndHandsTheGameToGlut) {
    resetGameState();
    frameCount = 99;
    spinSpeed = 7.0f;
    spinAngle = 45.0f;
    char title[] = "spintunnel-under-test";
    char* argv[] = {title, nullptr};

    runGame(1, argv);

    EXPECT_EQ(frameCount, 0);
    EXPECT_EQ(spinSpeed, 0.0f);
    EXPECT_EQ(spinAngle, 0.0f);

    std::vector<std::string> startUp;
    for (const GlCall& call : gltest::calls()) {
        startUp.push_back(gltest::toString(call));
    }
    const gltest::GlutCallbacks callbacks = gltest::glutCallbacks();

    gltest::reset();
    initRenderState();
    std::vector<std::string> expected = {
        "glutInit(1)",
        callText("glutInitDisplayMode", {GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH}),
        "glutInitWindowSize(640, 480)",
        "glutInitWindowPosition(0, 0)",
        "glutCreateWindow(\"spintunnel-under-test\")",
    };
    for (const GlCall& call : gltest::calls()) {
        expected.push_back(gltest::toString(call));
    }
    for (const char* registration : {"glutDisplayFunc", "glutReshapeFunc", "glutIdleFunc",
                                     "glutKeyboardFunc", "glutSpecialFunc", "glutMouseFunc",
                                     "glutMotionFunc", "glutPassiveMotionFunc", "glutMainLoop"}) {
        expected.push_back(std::string(registration) + "()");
    }
    ASSERT_EQ(startUp.size(), expected.size()) << ::testing::PrintToString(startUp);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(startUp[i], expected[i]) << "call " << i;
    }

    // The registered handlers drive the game that runGame built.
    ASSERT_NE(callbacks.idle, nullptr);
    ASSERT_NE(callbacks.display, nullptr);
    ASSERT_NE(callbacks.reshape, nullptr);
    ASSERT_NE(callbacks.keyboard, nullptr);
    ASSERT_NE(callbacks.special, nullptr);
    ASSERT_NE(callbacks.mouse, nullptr);
    ASSERT_NE(callbacks.motion, nullptr);
    EXPECT_EQ(callbacks.passiveMotion, callbacks.motion);

    gltest::reset();
    callbacks.idle();
    EXPECT_EQ(frameCount, 1);
    ASSERT_FALSE(gltest::calls().empty());
    EXPECT_STREQ(gltest::calls().front().name, "glClear");
    EXPECT_STREQ(gltest::calls().back().name, "glutSwapBuffers");

    gltest::reset();
    callbacks.display();
    EXPECT_EQ(frameCount, 2);
    EXPECT_EQ(gltest::count("glutSwapBuffers"), 1u);

    callbacks.keyboard('z', 100, 100);
    EXPECT_EQ(spinSpeed, 7.0f);
    callbacks.special(GLUT_KEY_DOWN, 100, 100);
    EXPECT_EQ(spinSpeed, 0.0f);
    callbacks.keyboard('t', 0, 0);
    EXPECT_EQ(texturingEnabled, 0);

    const float angle = spinAngle;
    callbacks.mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 30, 40);
    EXPECT_EQ(lastMouseX, 30);
    callbacks.motion(50, 0);
    EXPECT_EQ(spinAngle, angle - 20.0f);
    callbacks.passiveMotion(45, 300);
    EXPECT_EQ(spinAngle, angle - 15.0f);
    EXPECT_EQ(lastMouseX, 45);

    gltest::reset();
    callbacks.reshape(800, 600);
    const std::vector<GlCall> perspective = gltest::named("gluPerspective");
    ASSERT_EQ(perspective.size(), 1u);
    EXPECT_EQ(perspective[0].arg(1), 800.0 / 600.0);
}

} // namespace
