#include "scene/GameState.h"

std::int32_t frameCount = 0;
float spinSpeed = 0.0f;
float spinAngle = 0.0f;
std::int32_t lastMouseX = 0;
