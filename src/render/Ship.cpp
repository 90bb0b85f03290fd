#include "render/Ship.h"

#include "render/ShipModel.h"
#include "scene/GameState.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

float lastSpinAngle = 0.0f;

namespace {

constexpr float kShipHeight = -1.1f;  // eye units: straight below the axis at the shot radius
constexpr float kShipDepth = -1.5f;   // eye units in front of the viewer
constexpr float kModelScale = 0.005f; // model units to eye units
constexpr float kBankDegrees = 5.0f;

constexpr GLfloat kShininess = 0.1f;
constexpr GLfloat kSpecular[4] = {0.1f, 0.1f, 0.1f, 0.0f};

// A small sphere under the centre block, in model units.
constexpr float kSphereY = -1.1f;
constexpr float kSphereZ = 9.3f;
constexpr double kSphereRadius = 0.3;
constexpr int kSphereSlices = 10;
constexpr int kSphereStacks = 10;

void drawPiece(const ShipModel::Piece& piece) {
    glColor3f(piece.colour.x, piece.colour.y, piece.colour.z);
    glBegin(GL_TRIANGLES);
    {
        for (const ShipModel::Triangle& triangle : ShipModel::triangles) {
            const ShipModel::Vec3& normal = piece.normals[triangle.normal];
            for (int index : triangle.vertices) {
                const ShipModel::Vec3& vertex = piece.vertices[index];
                glNormal3f(normal.x, normal.y, normal.z);
                glVertex3f(vertex.x, vertex.y, vertex.z);
            }
        }
    }
    glEnd();
}

} // namespace

// GL_NORMALIZE stays off, so the scale makes the unit normals 200 times longer and the diffuse term
// saturates: that is what gives the ship its flat, bright shading.
void Ship::draw() const {
    glPushMatrix();
    {
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kShininess);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kSpecular);
        for (const ShipModel::Piece& piece : ShipModel::pieces) {
            drawPiece(piece);
        }
        glDisable(GL_TEXTURE_2D);
    }
    glPopMatrix();
    glPushMatrix();
    {
        glColor3f(0.8f, 0.4f, 0.4f);
        glTranslatef(0.0f, kSphereY, kSphereZ);
        glutSolidSphere(kSphereRadius, kSphereSlices, kSphereStacks);
    }
    glPopMatrix();
}

void shipPass(const Ship& ship) {
    glPushMatrix();
    {
        glTranslatef(0.0f, kShipHeight, kShipDepth);
        glScalef(kModelScale, kModelScale, kModelScale);
        glRotatef(180.0f, 0.0f, 1.0f, 0.0f); // nose down the tunnel
        // Bank by a fixed amount in the sense the world turned, whatever the size of the turn.
        if (spinAngle > lastSpinAngle) {
            glRotatef(-kBankDegrees, 0.0f, 0.0f, 1.0f);
        } else if (spinAngle < lastSpinAngle) {
            glRotatef(kBankDegrees, 0.0f, 0.0f, 1.0f);
        }
        lastSpinAngle = spinAngle;
        ship.draw();
    }
    glPopMatrix();
}
