#include "enemies/RedOrb.h"

#include "render/RenderState.h"

void RedOrb::draw() {
    drawOrb({texture2.data(), kTextureSize, true, {0.7f, 0.2f, 0.2f}, TexCoords::OncePerWedge});
}
