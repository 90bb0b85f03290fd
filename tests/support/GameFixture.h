#pragma once

#include "RecordingGl.h"
#include "render/RenderState.h"
#include "render/Ship.h"
#include "scene/RandomSource.h"
#include "shell/GameState.h"

#include <gtest/gtest.h>

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
