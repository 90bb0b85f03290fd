#include "enemies/Enemy.h"

#include "enemies/EnemySpawner.h"
#include "enemies/OrbGeometry.h"
#include "render/RenderState.h"
#include "shots/ShotController.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {
constexpr float kBurstGrowth = 1.5f;    // burst radius factor per draw
constexpr float kBurstStart = 0.5f;     // burst radius in the draw that finds the hit
constexpr float kHiddenBeyond = 100.0f; // burst radius past which nothing is drawn
constexpr float kTexCoordScale = 5.0f;  // green orbs repeat their pattern across the sphere
} // namespace

Enemy::Enemy(EnemySpawner& owner, float x, float y, float z) : position_{x, y, z}, owner_(owner) {}

void Enemy::drawOrb(const Look& look) {
    // Grown before the hit test, so the draw that finds a hit already shows the wedges apart.
    burstRadius_ *= kBurstGrowth;
    if (hit_ == 0) {
        const std::int32_t shotId =
            owner_.shotController().hitTest(position_[0], position_[1], position_[2]);
        if (shotId != ShotController::kMiss) {
            burstRadius_ = kBurstStart;
            hit_ = 1;
        }
    }
    if (burstRadius_ > kHiddenBeyond) {
        return;
    }
    glPushMatrix();
    {
        if (texturingEnabled != 0) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
            gluBuild2DMipmaps(GL_TEXTURE_2D, 3, look.imageSize, look.imageSize, GL_RGB,
                              GL_UNSIGNED_BYTE, look.image);
            glEnable(GL_TEXTURE_2D);
        }
        glTranslatef(position_[0], position_[1], position_[2]);
        if (look.quarterTurnAboutY) {
            glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
        }
        glColor3f(look.colour[0], look.colour[1], look.colour[2]);
        drawWedges(look);
        glDisable(GL_TEXTURE_2D);
    }
    glPopMatrix();
}

void Enemy::drawWedges(const Look& look) const {
    for (const OrbGeometry::Wedge& wedge : OrbGeometry::instance().wedges) {
        glPushMatrix();
        {
            glTranslatef(wedge.directionX * burstRadius_, wedge.directionY * burstRadius_, 0.0f);
            glBegin(GL_TRIANGLE_STRIP);
            {
                for (const OrbGeometry::Vertex& vertex : wedge.strip) {
                    glVertex3f(vertex.x, vertex.y, vertex.z);
                    if (look.texCoords == TexCoords::AfterEveryVertex) {
                        glTexCoord2f(kTexCoordScale * vertex.x, kTexCoordScale * vertex.y);
                    }
                }
                if (look.texCoords == TexCoords::OncePerWedge) {
                    glTexCoord2f(wedge.texCoordS, wedge.texCoordT);
                }
            }
            glEnd();
        }
        glPopMatrix();
    }
}
