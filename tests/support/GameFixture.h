#pragma once

#include "RecordingGl.h"
#include "render/RenderState.h"
#include "render/Ship.h"
#include "scene/GameState.h"
#include "scene/RandomSource.h"
#include "scene/SceneList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// Puts every piece of game-wide state back to how a freshly started process has it, so each test
// sees the game as a player would at start-up, with an empty GL call log.
inline void resetGameState() {
    frameCount = 0;
    spinSpeed = 0.0f;
    spinAngle = 0.0f;
    lastSpinAngle = 0.0f;
    lastMouseX = 0;
    texturingEnabled = 1;
    RandomSource::reset();
    gltest::reset();
}

class GameStateTest : public ::testing::Test {
protected:
    void SetUp() override { resetGameState(); }
};

// The scene's ids in draw order.
inline std::vector<std::int32_t> sceneIds(const SceneList& scene) {
    std::vector<std::int32_t> ids;
    for (const SceneNode* node = scene.head(); node != nullptr; node = node->next) {
        ids.push_back(node->id);
    }
    return ids;
}

inline bool inScene(const SceneList& scene, std::int32_t id) {
    const std::vector<std::int32_t> ids = sceneIds(scene);
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// How the recorder would print a call with these arguments, to compare whole calls in one check.
inline std::string callText(const char* name, const std::vector<double>& args) {
    gltest::GlCall call;
    call.name = name;
    std::copy(args.begin(), args.end(), call.args.begin());
    call.argCount = static_cast<int>(args.size());
    return gltest::toString(call);
}
