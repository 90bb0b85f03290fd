#include "shell/Game.h"

#include "render/RenderState.h"
#include "scene/GameState.h"
#include "scene/Wrapping.h"
#include "shell/InputEvent.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

namespace {
constexpr float kSpinDegreesPerFrame = 7.0f;
constexpr float kSceneLift = 1.0f;      // the tunnel's axis sits this far above the eye
constexpr double kFieldOfViewY = 100.0; // degrees
constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 20.0;
} // namespace

Game::Game() : tunnel_(scene_), shots_(scene_), spawner_(scene_, shots_) {
    frameCount = 0;
    spinSpeed = 0.0f;
    spinAngle = 0.0f;
}

void Game::frame() {
    drawFrame();
    glutSwapBuffers();
}

void Game::drawFrame() {
    frameCount = wrappingIncrement(frameCount);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    {
        glTranslatef(0.0f, kSceneLift, 0.0f);
        spinAngle += spinSpeed;
        glRotatef(spinAngle, 0.0f, 0.0f, 1.0f);

        shots_.advance();
        tunnel_.update();
        spawner_.update();
        // Orbs run their hit tests while they are drawn, so a shot fired since the last frame
        // can already hit in this one.
        scene_.drawAll();
    }
    glPopMatrix();
    shipPass(ship_);
}

void Game::reshape(int width, int height) {
    // A window squeezed to no height still needs a finite aspect.
    const int safeHeight = height > 0 ? height : 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfViewY, static_cast<double>(width) / safeHeight, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Game::keyboard(unsigned char key) {
    switch (key) {
    case ' ':
        shots_.fire();
        break;
    case 'c':
        spinSpeed = 0.0f;
        break;
    case 'q':
        std::exit(kQuitStatus);
    case 't':
        texturingEnabled = texturingEnabled == 0 ? 1 : 0;
        break;
    case 'x':
        spinSpeed = -kSpinDegreesPerFrame;
        break;
    case 'z':
        spinSpeed = kSpinDegreesPerFrame;
        break;
    default:
        break;
    }
}

void Game::special(int key) {
    switch (key) {
    case GLUT_KEY_LEFT:
        spinSpeed = kSpinDegreesPerFrame;
        break;
    case GLUT_KEY_RIGHT:
        spinSpeed = -kSpinDegreesPerFrame;
        break;
    case GLUT_KEY_DOWN:
        spinSpeed = 0.0f;
        break;
    default:
        break;
    }
}

void Game::mouse(int button, int state, int x) {
    lastMouseX = x;
    if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) {
        shots_.fire();
    }
}

void Game::motion(int x) {
    // One degree per pixel; moving right turns the world clockwise.
    const std::int64_t delta = static_cast<std::int64_t>(x) - lastMouseX;
    lastMouseX = x;
    spinAngle = spinAngle - static_cast<float>(delta);
}

void Game::handle(const InputEvent& event) {
    switch (event.kind) {
    case InputEvent::Kind::Key:
        keyboard(static_cast<unsigned char>(event.code));
        break;
    case InputEvent::Kind::Special:
        special(event.code);
        break;
    case InputEvent::Kind::Mouse:
        mouse(event.code, event.state, event.x);
        break;
    case InputEvent::Kind::Motion:
        motion(event.x);
        break;
    }
}
