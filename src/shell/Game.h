#pragma once

#include "enemies/EnemySpawner.h"
#include "render/Ship.h"
#include "scene/SceneList.h"
#include "shots/ShotController.h"
#include "tunnel/Tunnel.h"

// The world and the frame routine that drives it. Members are created in declaration order, which
// is the order the game needs (the scene first, the spawner after the shots it hands on).
struct InputEvent;

class Game {
public:
    static constexpr int kWindowWidth = 640;
    static constexpr int kWindowHeight = 480;
    static constexpr int kQuitStatus = 42;

    Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // One game step: advance everything, draw the frame, show it.
    void frame();
    // The same step without the buffer swap, for callers that read the frame back first.
    void drawFrame();

    static void reshape(int width, int height);

    void keyboard(unsigned char key);
    static void special(int key);
    void mouse(int button, int state, int x);
    static void motion(int x);

    // Routes a recorded or scripted input to the handler the live game uses for it.
    void handle(const InputEvent& event);

    SceneList& scene() { return scene_; }
    Tunnel& tunnel() { return tunnel_; }
    ShotController& shots() { return shots_; }
    EnemySpawner& spawner() { return spawner_; }

private:
    SceneList scene_;
    Tunnel tunnel_;
    Ship ship_;
    ShotController shots_;
    EnemySpawner spawner_;
};
