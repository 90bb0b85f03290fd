#include "enemies/GreenOrb.h"

#include "render/RenderState.h"

void GreenOrb::draw() {
    drawOrb({ringPattern.data(),
             kRingPatternSize,
             false,
             {0.2f, 0.7f, 0.2f},
             TexCoords::AfterEveryVertex});
}
