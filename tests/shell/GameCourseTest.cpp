// The game's course is fixed by its never-seeded random source: with the tunnel's draws every fifth
// frame ahead of the spawner's, every run meets the same enemies at the same frames, whatever the
// player does.

#include "GameFixture.h"
#include "RecordingGl.h"

#include "enemies/GreenOrb.h"
#include "enemies/RedOrb.h"
#include "shell/Game.h"

#include <GL/freeglut.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kLastFrame = 275;

struct Spawn {
    std::int32_t frame;
    int slot;
    bool green;
    std::array<float, 3> position;
};

// What the frames are expected to spawn, worked out with a generator of our own from the order of
// draws: 82 for a tunnel band on every fifth frame, then the spawner's r1, and r2 and r3 only when
// r1 spawns.
std::vector<Spawn> predictedSpawns() {
    std::uint32_t seed = 1;
    auto draw = [&seed] {
        seed = seed * 214013u + 2531011u;
        return static_cast<int>((seed >> 16) & 32767u);
    };
    std::vector<Spawn> out;
    for (std::int32_t frame = 1; frame <= kLastFrame; ++frame) {
        if (frame % 5 == 0) {
            for (int n = 0; n < 82; ++n) {
                draw();
            }
        }
        const int r1 = draw();
        if (!(r1 > 32768 * (0.99 - 0.0001 * frame))) {
            continue;
        }
        const int r2 = draw();
        const int r3 = draw();
        const double angle = static_cast<float>(r2 / 32768.0 * 2 * 3.1415);
        // The scene has had members since frame 5, so the last drawn scroll is the previous
        // frame's.
        const float previousScroll = static_cast<float>(frame - 1) * 0.2f - 24.0f;
        out.push_back({frame,
                       static_cast<int>(out.size() + 1) % 25,
                       r3 <= 16383,
                       {static_cast<float>(std::sin(angle) * 2.1),
                        static_cast<float>(std::cos(angle) * 2.1), -previousScroll - 20.0f}});
    }
    return out;
}

// Runs the game from start-up to kLastFrame and notes each frame that filled a new slot.
std::vector<Spawn> playCourse(const std::function<void(Game&, std::int32_t)>& input) {
    Game game;
    gltest::setMode(gltest::Mode::Off); // hundreds of frames of orbs and bands: no log wanted
    std::vector<Spawn> out;
    for (std::int32_t frame = 1; frame <= kLastFrame; ++frame) {
        input(game, frame);
        const std::int32_t slotBefore = game.spawner().lastSlot();
        game.frame();
        // At most one spawn a frame, and each moves on to the next slot.
        const std::int32_t slot = game.spawner().lastSlot();
        if (slot == slotBefore) {
            continue;
        }
        const Enemy* enemy = game.spawner().enemyInSlot(slot);
        EXPECT_NE(enemy, nullptr);
        if (enemy == nullptr) {
            continue;
        }
        out.push_back(
            {frame, slot, dynamic_cast<const GreenOrb*>(enemy) != nullptr, enemy->position()});
        EXPECT_NE(dynamic_cast<const GreenOrb*>(enemy) != nullptr,
                  dynamic_cast<const RedOrb*>(enemy) != nullptr);
    }
    return out;
}

void checkCourse(const std::vector<Spawn>& seen) {
    // The first five enemies of every run.
    struct Known {
        std::int32_t frame;
        int slot;
        bool green;
    };
    const std::array<Known, 5> known = {{
        {118, 1, true},
        {180, 2, false},
        {221, 3, false},
        {245, 4, true},
        {275, 5, false},
    }};
    ASSERT_EQ(seen.size(), known.size());
    for (std::size_t n = 0; n < known.size(); ++n) {
        SCOPED_TRACE("enemy " + std::to_string(n + 1));
        EXPECT_EQ(seen[n].frame, known[n].frame);
        EXPECT_EQ(seen[n].slot, known[n].slot);
        EXPECT_EQ(seen[n].green, known[n].green);
    }
    EXPECT_NEAR(seen[0].position[0], -2.0958, 1e-4);
    EXPECT_NEAR(seen[0].position[1], -0.1335, 1e-4);
    // Spawned in frame 118 under the scroll of frame 117, -0.6: drawn 19.8 away in its own frame.
    EXPECT_NEAR(seen[0].position[2], -19.4, 1e-4);

    const std::vector<Spawn> predicted = predictedSpawns();
    ASSERT_EQ(predicted.size(), seen.size());
    for (std::size_t n = 0; n < seen.size(); ++n) {
        SCOPED_TRACE("enemy " + std::to_string(n + 1));
        EXPECT_EQ(seen[n].frame, predicted[n].frame);
        EXPECT_EQ(seen[n].green, predicted[n].green);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(seen[n].position[axis], predicted[n].position[axis], 1e-5)
                << "axis " << axis;
        }
    }
}

class GameCourseTest : public GameStateTest {};

TEST_F(GameCourseTest, UntouchedGameMeetsTheSameFirstEnemies) {
    checkCourse(playCourse([](Game&, std::int32_t) {}));
}

TEST_F(GameCourseTest, PlayerInputDoesNotChangeTheEnemies) {
    // Firing, spinning both ways, mouse turns and texturing off: none of it draws from the
    // random source.
    checkCourse(playCourse([](Game& game, std::int32_t frame) {
        if (frame % 7 == 3) {
            game.keyboard(' ');
        }
        if (frame == 20) {
            game.keyboard('t');
        }
        if (frame == 40) {
            game.keyboard('z');
        }
        if (frame == 90) {
            Game::special(GLUT_KEY_RIGHT);
        }
        if (frame == 150) {
            game.keyboard('c');
        }
        if (frame % 11 == 0) {
            Game::motion(frame * 3);
        }
        if (frame % 13 == 0) {
            game.mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, frame);
        }
    }));
}

} // namespace
