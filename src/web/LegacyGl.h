#pragma once

// The OpenGL 1.1, GLU and GLUT entry points the game draws with are defined in LegacyGl.cpp, on
// WebGL directly; the game calls them by their usual names.

// Compiles the shaders and sets GL 1.1's initial state; call once, with the game's context current.
void initFixedFunctionGl();
