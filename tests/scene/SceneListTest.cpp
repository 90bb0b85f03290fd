#include "scene/SceneList.h"
#include "GameFixture.h"
#include "scene/Drawable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// A member that logs when it is drawn and, like an orb consuming a shot, may take other members
// out of the list from inside its own draw.
class Member : public Drawable {
public:
    Member(char name, std::string& drawLog) : name(name), drawLog_(drawLog) {}

    void draw() override {
        drawLog_ += name;
        glCallsBeforeDraw = gltest::calls().size();
        for (std::int32_t id : removeOnDraw) {
            list->remove(id);
        }
    }

    char name;
    SceneList* list = nullptr;
    std::vector<std::int32_t> removeOnDraw;
    std::size_t glCallsBeforeDraw = 0;

private:
    std::string& drawLog_;
};

class SceneListTest : public GameStateTest {
protected:
    // Adds members "A", "B", ... in order; the first gets id 1, the next 2 and so on.
    void addMembers(int count) {
        for (int i = 0; i < count; ++i) {
            Member& member = members_.emplace_back(static_cast<char>('A' + i), drawLog_);
            member.list = list_.get();
        }
        for (Member& member : members_) {
            list_->add(&member);
        }
    }

    // The members in list order, read forwards, after checking that the backward links, the ends
    // and the ids all agree with the forward walk.
    std::string order() const {
        std::string forward;
        std::vector<const SceneNode*> nodes;
        for (const SceneNode* node = list_->head(); node != nullptr; node = node->next) {
            nodes.push_back(node);
            forward += static_cast<const Member*>(node->drawable)->name;
            EXPECT_EQ(node->id, forward.back() - 'A' + 1) << "id of " << forward.back();
        }
        if (nodes.empty()) {
            EXPECT_EQ(list_->tail(), nullptr);
            return forward;
        }
        EXPECT_EQ(list_->head()->prev, nullptr);
        EXPECT_EQ(list_->tail(), nodes.back());
        for (std::size_t i = 1; i < nodes.size(); ++i) {
            EXPECT_EQ(nodes[i]->prev, nodes[i - 1]) << "prev link of " << forward[i];
        }
        return forward;
    }

    // members_ must not reallocate once the list holds pointers into it.
    void SetUp() override {
        GameStateTest::SetUp();
        members_.reserve(8);
    }

    // A fresh list and fresh game state for the next case of a table.
    void restart() {
        resetGameState();
        list_ = std::make_unique<SceneList>();
        members_.clear();
        drawLog_.clear();
    }

    std::string drawLog_;
    std::vector<Member> members_;
    std::unique_ptr<SceneList> list_ = std::make_unique<SceneList>();
};

TEST_F(SceneListTest, IssuesIdsInOrderAndNeverReusesThem) {
    Member a('A', drawLog_);
    EXPECT_EQ(list_->add(&a), 1);
    list_->remove(1);
    EXPECT_EQ(list_->head(), nullptr);
    EXPECT_EQ(list_->add(&a), 2);
    EXPECT_EQ(list_->add(&a), 3);
    EXPECT_EQ(list_->lastId(), 3);
}

struct RemovalCase {
    const char* name;
    std::vector<std::int32_t> removed;
    std::string remaining;
};

TEST_F(SceneListTest, RemoveKeepsTheOrderOfTheOthers) {
    const std::vector<RemovalCase> cases = {
        {"head", {1}, "BCD"},
        {"tail", {4}, "ABC"},
        {"middle", {2}, "ACD"},
        {"head then new head", {1, 2}, "CD"},
        {"tail then new tail", {4, 3}, "AB"},
        {"down to the last node", {1, 2, 3}, "D"},
        {"down to the first node", {4, 3, 2}, "A"},
        {"all", {2, 4, 1, 3}, ""},
        {"the no-id marker", {-1}, "ABCD"},
        {"an id never issued", {0, 5, 99}, "ABCD"},
        {"an id already removed", {2, 2}, "ACD"},
    };
    for (const RemovalCase& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        addMembers(4);

        for (std::int32_t id : c.removed) {
            list_->remove(id);
        }
        EXPECT_EQ(order(), c.remaining);
        // The drawn order follows the links as well.
        drawLog_.clear();
        list_->drawAll();
        EXPECT_EQ(drawLog_, c.remaining);
    }
}

TEST_F(SceneListTest, AListEmptiedAgainDrawsNothingAndKeepsItsScroll) {
    EXPECT_EQ(list_->scrollZ(), 0.0f);
    list_->drawAll(); // never had a member
    EXPECT_EQ(gltest::totalCalls(), 0u);
    EXPECT_EQ(list_->scrollZ(), 0.0f);

    addMembers(1);
    frameCount = 1;
    list_->drawAll();
    const float scrollOfLastDraw = list_->scrollZ();

    list_->remove(1);
    EXPECT_EQ(list_->head(), nullptr);
    EXPECT_EQ(list_->tail(), nullptr);

    gltest::reset();
    drawLog_.clear();
    frameCount = 5;
    list_->drawAll();
    EXPECT_EQ(drawLog_, "");
    EXPECT_EQ(gltest::totalCalls(), 0u) << gltest::dump();
    EXPECT_EQ(list_->scrollZ(), scrollOfLastDraw);
}

// scrollZ = frameCount * 0.2 - 24 with the constants in single precision. The product of an int
// and the float 0.2 is exact in double, so rounding the double result once to float is the value
// the rule describes; at frame 120 that is the excess of 0.2f over 0.2, times 120.
float expectedScroll(std::int32_t frame) {
    return static_cast<float>(static_cast<double>(frame) * static_cast<double>(0.2f) - 24.0);
}

TEST_F(SceneListTest, ScrollsEveryMemberByTheFrameCounter) {
    struct ScrollCase {
        std::int32_t frame;
        float scroll;
    };
    const std::vector<ScrollCase> cases = {
        {1, -23.8f},
        {5, -23.0f},
        {120, expectedScroll(120)},
        {121, expectedScroll(121)},
        {0, -24.0f},
        {1000, expectedScroll(1000)},
    };
    // 120 frames bring the scene exactly to the eye only in real arithmetic.
    ASSERT_NEAR(expectedScroll(120), 3.5762786865234375e-7, 1e-13);
    EXPECT_EQ(expectedScroll(1), -23.8f);
    EXPECT_EQ(expectedScroll(5), -23.0f);

    addMembers(2);
    for (const ScrollCase& c : cases) {
        SCOPED_TRACE(c.frame);
        gltest::reset();
        drawLog_.clear();
        frameCount = c.frame;
        list_->drawAll();

        EXPECT_EQ(list_->scrollZ(), c.scroll);
        ASSERT_EQ(gltest::calls().size(), 1u) << gltest::dump();
        const gltest::GlCall& translate = gltest::calls()[0];
        EXPECT_STREQ(translate.name, "glTranslatef");
        ASSERT_EQ(translate.argCount, 3);
        EXPECT_EQ(translate.arg(0), 0.0);
        EXPECT_EQ(translate.arg(1), 0.0);
        EXPECT_EQ(translate.arg(2), static_cast<double>(c.scroll));
        // Members are drawn under the offset, not before it.
        EXPECT_EQ(drawLog_, "AB");
        EXPECT_EQ(members_[0].glCallsBeforeDraw, 1u);
    }
}

struct WalkCase {
    const char* name;
    int members;
    // removeOnDraw[i] is what member i takes out of the list while it is drawn.
    std::vector<std::vector<std::int32_t>> removeOnDraw;
    std::string drawn;
    std::string remaining;
};

TEST_F(SceneListTest, WalkSurvivesRemovalsByTheMemberBeingDrawn) {
    const std::vector<WalkCase> cases = {
        {"the next node", 4, {{2}}, "ACD", "ACD"},
        {"the next two nodes", 4, {{2, 3}}, "AD", "AD"},
        {"the tail, from the middle", 3, {{}, {3}}, "AB", "AB"},
        {"the tail, which is also the next node", 2, {{2}}, "A", "A"},
        {"the next node and the tail", 3, {{2, 3}}, "A", "A"},
        {"every other node, from the tail", 3, {{}, {}, {1, 2}}, "ABC", "C"},
        {"an earlier node", 4, {{}, {}, {1}}, "ABCD", "BCD"},
        {"an id already gone", 3, {{}, {7, -1}}, "ABC", "ABC"},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        addMembers(c.members);
        for (std::size_t i = 0; i < c.removeOnDraw.size(); ++i) {
            members_[i].removeOnDraw = c.removeOnDraw[i];
        }

        list_->drawAll();
        EXPECT_EQ(drawLog_, c.drawn);
        EXPECT_EQ(order(), c.remaining);

        // The next walk sees the list as it was left.
        for (Member& member : members_) {
            member.removeOnDraw.clear();
        }
        drawLog_.clear();
        list_->drawAll();
        EXPECT_EQ(drawLog_, c.remaining);
    }
}

} // namespace
