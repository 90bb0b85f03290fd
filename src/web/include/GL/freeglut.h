#pragma once

// Emscripten ships freeglut's standard interface but not this umbrella header. The game uses
// nothing from freeglut's extensions, so the standard part is all it needs.
#include <GL/freeglut_std.h>
