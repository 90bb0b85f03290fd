#include "shots/Shot.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

namespace {
constexpr float kShotRadiusFromAxis = 2.1f; // the circle shots and orbs share
constexpr float kDrawAhead = 1.3f;          // units drawn beyond the shot's own depth
constexpr double kSphereRadius = 0.15;
constexpr int kSphereSlices = 5;
constexpr int kSphereStacks = 5;
} // namespace

void Shot::draw() {
    glPushMatrix();
    {
        glColor3f(0.2f, 0.2f, 0.8f);
        // Turning back by the firing spin puts the shot below the axis, where the ship was.
        glRotatef(-angle, 0.0f, 0.0f, 1.0f);
        glTranslatef(0.0f, -kShotRadiusFromAxis, depth() - kDrawAhead);
        glutSolidSphere(kSphereRadius, kSphereSlices, kSphereStacks);
    }
    glPopMatrix();
}
