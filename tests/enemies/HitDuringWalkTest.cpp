// Hits are found while the scene is drawn: an orb's draw consumes a shot and takes its node out of
// the very list that is being walked. These tests run the real scene list and shot controller.

#include "GameFixture.h"
#include "RecordingGl.h"

#include "enemies/EnemySpawner.h"
#include "enemies/GreenOrb.h"
#include "scene/Drawable.h"
#include "scene/SceneList.h"
#include "shots/ShotController.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every orb here sits straight below the axis at depth 0, where a shot fired at spin 0 before the
// scene was ever drawn also flies: each orb matches the shot.
constexpr float kOrbX = 0.0f;
constexpr float kOrbY = -2.1f;
constexpr float kOrbZ = 0.0f;

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) {
        out.push_back(w);
    }
    return out;
}

// Puts a name on a scene member and notes, in GL-log terms, when it was drawn; an inner object
// (an orb) is drawn through it, a member with none is a bystander that draws nothing.
struct Labelled : Drawable {
    Labelled(std::string name, Drawable* inner,
             std::vector<std::pair<std::size_t, std::string>>& log)
        : name(std::move(name)), inner(inner), log(log) {}
    void draw() override {
        log.emplace_back(gltest::calls().size(), name);
        if (inner != nullptr) {
            inner->draw();
        }
    }
    std::string name;
    Drawable* inner;
    std::vector<std::pair<std::size_t, std::string>>& log;
};

// A scene built from a layout such as "O1 S X1": orbs O1, O2 (both matching the shot), bystanders
// X1, X2 and the one shot S, added in that order.
struct World {
    explicit World(const std::string& layout) {
        for (const std::string& token : words(layout)) {
            if (token == "S") {
                shots.fire();
                continue;
            }
            Drawable* inner = nullptr;
            if (token[0] == 'O') {
                orbs[token] = std::make_unique<GreenOrb>(spawner, kOrbX, kOrbY, kOrbZ);
                inner = orbs[token].get();
            }
            members.push_back(std::make_unique<Labelled>(token, inner, drawLog));
            scene.add(members.back().get());
        }
    }

    // Names of the members drawn since the log was last cleared, the shot included, in draw order.
    std::string drawn() const {
        std::vector<std::pair<std::size_t, std::string>> all = drawLog;
        const std::vector<gltest::GlCall>& calls = gltest::calls();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (std::string(calls[i].name) == "glutSolidSphere") {
                all.emplace_back(i, "S");
            }
        }
        // A member logs itself before it draws, so a shot drawn just before it sorts first.
        std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
            return a.first < b.first || (a.first == b.first && a.second == "S");
        });
        std::string out;
        for (const auto& entry : all) {
            out += (out.empty() ? "" : " ") + entry.second;
        }
        return out;
    }

    // The list's members by name, read forwards; the backward links must agree.
    std::string remaining() const {
        std::vector<std::string> forward;
        const SceneNode* last = nullptr;
        for (const SceneNode* node = scene.head(); node != nullptr; node = node->next) {
            forward.push_back(nameOf(node->drawable));
            last = node;
        }
        EXPECT_EQ(scene.tail(), last);
        std::vector<std::string> backward;
        for (const SceneNode* node = scene.tail(); node != nullptr; node = node->prev) {
            backward.push_back(nameOf(node->drawable));
        }
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(backward, forward);
        std::string out;
        for (const std::string& name : forward) {
            out += (out.empty() ? "" : " ") + name;
        }
        return out;
    }

    std::string nameOf(const Drawable* drawable) const {
        for (const auto& member : members) {
            if (member.get() == drawable) {
                return member->name;
            }
        }
        return "S";
    }

    void clearLogs() {
        drawLog.clear();
        gltest::reset();
    }

    SceneList scene;
    ShotController shots{scene};
    EnemySpawner spawner{scene, shots};
    std::map<std::string, std::unique_ptr<GreenOrb>> orbs;
    std::vector<std::pair<std::size_t, std::string>> drawLog;
    std::vector<std::unique_ptr<Labelled>> members;
};

class HitDuringWalkTest : public GameStateTest {};

TEST_F(HitDuringWalkTest, ShotIsConsumedByTheFirstMatchingOrbInListOrder) {
    struct Case {
        const char* layout;
        const char* drawn;  // this frame, in order
        const char* remain; // the list after the frame
        const char* hitOrb;
    };
    const std::array<Case, 9> cases = {{
        // The orb comes first: the shot is gone before its turn, and it is the orb's next node
        // and the list's tail.
        {"O1 S", "O1", "O1", "O1"},
        // The shot is the next node but not the tail.
        {"O1 S X1", "O1 X1", "O1 X1", "O1"},
        // The shot is the tail but not the next node.
        {"O1 X1 S", "O1 X1", "O1 X1", "O1"},
        // The shot comes first: drawn, then consumed; it was the head.
        {"S O1", "S O1", "O1", "O1"},
        {"X1 S O1 X2", "X1 S O1 X2", "X1 O1 X2", "O1"},
        // Two orbs on the shot: the earlier one in the list takes it, the other is left whole.
        {"O1 O2 S", "O1 O2", "O1 O2", "O1"},
        {"S O1 O2", "S O1 O2", "O1 O2", "O1"},
        {"O2 S O1", "O2 O1", "O2 O1", "O2"},
        {"X1 O2 X2 O1 S", "X1 O2 X2 O1", "X1 O2 X2 O1", "O2"},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        resetGameState();
        World world(c.layout);
        const std::int32_t shotId = world.shots.shotIdInSlot(1);
        world.clearLogs();

        world.scene.drawAll();

        EXPECT_EQ(world.drawn(), c.drawn) << gltest::dump();
        EXPECT_EQ(world.remaining(), c.remain);
        EXPECT_EQ(world.shots.shotInSlot(1), nullptr);
        EXPECT_EQ(world.scene.find(shotId, world.scene.head()), nullptr);
        for (const auto& [name, orb] : world.orbs) {
            SCOPED_TRACE(name);
            const bool hit = name == c.hitOrb;
            EXPECT_EQ(orb->isHit(), hit);
            EXPECT_EQ(orb->burstRadius(), hit ? 0.5f : 0.0f);
        }

        // The links left behind by the removal carry the next walk over every member once.
        world.clearLogs();
        world.scene.drawAll();
        EXPECT_EQ(world.drawn(), c.remain);
    }
}

TEST_F(HitDuringWalkTest, OrbsStillUntouchedTakeTheNextShots) {
    // Two shots in one frame and two orbs: each orb asks in turn and takes the lowest slot left.
    World world("O1 S O2");
    world.shots.fire();
    const std::int32_t secondShotId = world.shots.shotIdInSlot(2);
    world.clearLogs();

    world.scene.drawAll();

    EXPECT_TRUE(world.orbs["O1"]->isHit());
    EXPECT_TRUE(world.orbs["O2"]->isHit());
    EXPECT_EQ(world.shots.shotInSlot(1), nullptr);
    EXPECT_EQ(world.shots.shotInSlot(2), nullptr);
    EXPECT_EQ(world.drawn(), "O1 O2");
    EXPECT_EQ(world.remaining(), "O1 O2");
    EXPECT_EQ(world.scene.find(secondShotId, world.scene.head()), nullptr);
}

} // namespace
