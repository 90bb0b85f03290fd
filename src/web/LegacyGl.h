#pragma once

// The OpenGL 1.1, GLU and GLUT entry points that the browser's GL emulation lacks or gets wrong
// are defined in LegacyGl.cpp; the game calls them by their usual names. This is the one thing the
// web shell has to do for them itself.

// WebGL has no texture object 0, the texture a GL 1.1 program uses when it makes none. Binds one
// to stand in for it; call once, with the game's context current.
void bindDefaultTexture();
