#include "tunnel/TunnelSegment.h"

#include "render/RenderState.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {
constexpr GLfloat kBandSpecular[4] = {0.1f, 0.1f, 0.1f, 1.0f};
}

void TunnelSegment::draw() {
    if (texturingEnabled != 0) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, kTextureSize, kTextureSize, GL_RGB, GL_UNSIGNED_BYTE,
                          texture1.data());
        glEnable(GL_TEXTURE_2D);
    }
    glBegin(GL_TRIANGLE_STRIP);
    {
        for (int i = 0; i < kVertexCount; ++i) {
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kBandSpecular);
            glColor3f(colours.red[i], colours.green[i], colours.blue[i]);
            glVertex3f(vertices.x[i], vertices.y[i], vertices.z[i]);
            // Given after its vertex, so it textures the next one: walls are mapped by world x, y.
            glTexCoord2f(vertices.x[i], vertices.y[i]);
        }
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}
