#pragma once

#include <cstdint>

// Game-wide state shared by the frame routine, the input handlers and the scene.
extern std::int32_t frameCount; // frames drawn so far; wraps by design
extern float spinSpeed;         // degrees added to spinAngle per frame: 0, +7 or -7
extern float spinAngle;         // world turn about the view axis, degrees; never wrapped
extern std::int32_t lastMouseX; // x of the latest mouse event of any kind, window pixels
