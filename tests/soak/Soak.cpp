// A long game with random input, built with the address and undefined-behaviour sanitizers: after
// every frame the scene and the three slot rings must still agree, and at the end everything the
// world made must have been released (LeakSanitizer checks at exit).

#include "GameFixture.h"
#include "RecordingGl.h"
#include "shell/Game.h"
#include "shell/InputEvent.h"

#include <GL/freeglut.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

// The input's own generator, so the game's random source keeps exactly its course.
class InputRandom {
public:
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    int below(int limit) { return static_cast<int>(next() % static_cast<std::uint32_t>(limit)); }

private:
    std::uint32_t state = 2463534242u;
};

// Any input a player could give, except the quit key, which ends the process.
InputEvent randomEvent(InputRandom& random) {
    InputEvent event;
    switch (random.below(4)) {
    case 0:
        event.kind = InputEvent::Kind::Key;
        do {
            event.code = random.below(256);
        } while (event.code == 'q');
        // Favour the keys that do something, or the game would hardly be played.
        if (random.below(2) == 0) {
            event.code = " ctxz"[random.below(5)];
        }
        break;
    case 1:
        event.kind = InputEvent::Kind::Special;
        event.code = random.below(2) == 0 ? GLUT_KEY_LEFT + random.below(4) : random.below(120);
        break;
    case 2:
        event.kind = InputEvent::Kind::Mouse;
        event.code = random.below(5);
        event.state = random.below(2) == 0 ? GLUT_DOWN : GLUT_UP;
        event.x = random.below(4000) - 2000;
        event.y = random.below(4000) - 2000;
        break;
    default:
        event.kind = InputEvent::Kind::Motion;
        event.x = random.below(4000) - 2000;
        event.y = random.below(4000) - 2000;
        break;
    }
    return event;
}

struct Census {
    int bands = 0;
    int shots = 0;
    int enemies = 0;
};

// Every slot that holds an object has it in the scene under the slot's id, and the scene holds
// nothing else; ids along the list only increase.
void checkScene(Game& game, std::int32_t previousLastId, Census& census) {
    std::map<const Drawable*, std::int32_t> expected; // object -> id its owner keeps for it
    census = {};
    for (int slot = 0; slot < Tunnel::kSlots; ++slot) {
        if (const TunnelSegment* band = game.tunnel().segmentInSlot(slot)) {
            expected[band] = game.tunnel().segmentIdInSlot(slot);
            ++census.bands;
        }
    }
    for (int slot = 0; slot < ShotController::kSlots; ++slot) {
        if (const Shot* shot = game.shots().shotInSlot(slot)) {
            expected[shot] = game.shots().shotIdInSlot(slot);
            ++census.shots;
        }
    }
    for (int slot = 0; slot < EnemySpawner::kSlots; ++slot) {
        if (const Enemy* enemy = game.spawner().enemyInSlot(slot)) {
            expected[enemy] = game.spawner().enemyIdInSlot(slot);
            ++census.enemies;
        }
    }
    ASSERT_LE(census.bands, 23);
    ASSERT_LE(census.shots, 20);
    ASSERT_LE(census.enemies, 25);

    const SceneList& scene = game.scene();
    ASSERT_GE(scene.lastId(), previousLastId);
    std::size_t members = 0;
    std::int32_t previousId = 0;
    for (const SceneNode* node = scene.head(); node != nullptr; node = node->next) {
        ASSERT_GT(node->id, previousId) << "ids out of order or repeated";
        ASSERT_LE(node->id, scene.lastId());
        const auto owner = expected.find(node->drawable);
        ASSERT_NE(owner, expected.end()) << "scene member " << node->id << " has no owner";
        ASSERT_EQ(owner->second, node->id) << "owner keeps another id for the member";
        previousId = node->id;
        ++members;
    }
    ASSERT_EQ(members, expected.size()) << "an owned object is missing from the scene";
}

std::int32_t soakFrames() {
    const char* frames = std::getenv("SPINTUNNEL_SOAK_FRAMES");
    return frames != nullptr ? static_cast<std::int32_t>(std::atol(frames)) : 200000;
}

} // namespace

TEST(Soak, RandomInputKeepsTheSceneAndTheSlotRingsInStep) {
    resetGameState();
    gltest::setMode(gltest::Mode::Off); // a million GL calls a second are not worth keeping
    InputRandom random;
    auto game = std::make_unique<Game>();
    const std::int32_t frames = soakFrames();
    long events = 0;
    Census census;
    Census largest;
    for (std::int32_t frame = 1; frame <= frames; ++frame) {
        // Mostly quiet frames, now and then a burst of input, as a player gives it.
        const int count = random.below(8) == 0 ? 1 + random.below(4) : 0;
        for (int i = 0; i < count; ++i) {
            game->handle(randomEvent(random));
            ++events;
        }
        // Now and then a volley larger than the shot ring, so slots are recycled while live.
        if (random.below(500) == 0) {
            for (int i = 0; i < 25; ++i) {
                game->handle({frame, InputEvent::Kind::Key, ' ', 0, 0, 0});
                ++events;
            }
        }
        const std::int32_t lastId = game->scene().lastId();
        game->frame();
        ASSERT_EQ(frameCount, frame);
        checkScene(*game, lastId, census);
        if (HasFatalFailure()) {
            FAIL() << "after frame " << frame;
        }
        largest.bands = std::max(largest.bands, census.bands);
        largest.shots = std::max(largest.shots, census.shots);
        largest.enemies = std::max(largest.enemies, census.enemies);
    }
    // The run must have reached the full rings, or it proved little.
    EXPECT_EQ(largest.bands, 23);
    EXPECT_EQ(largest.enemies, 25);
    EXPECT_GT(largest.shots, 10);
    const std::int32_t idsIssued = game->scene().lastId();
    game.reset(); // everything the world made must go with it; LeakSanitizer checks at exit
    std::printf("soaked %d frames, %ld random events, %d scene ids issued\n", frames, events,
                idsIssued);
}
