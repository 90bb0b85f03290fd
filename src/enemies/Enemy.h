#pragma once

#include "scene/Drawable.h"

#include <array>
#include <cstdint>

class EnemySpawner;

// An orb standing still in scene coordinates. Its draw also runs its hit test, so hits are found
// while the scene is walked; a hit orb bursts apart and is hidden once the burst is wide enough.
class Enemy : public Drawable {
public:
    Enemy(EnemySpawner& owner, float x, float y, float z);

    const std::array<float, 3>& position() const { return position_; }
    bool isHit() const { return hit_ != 0; }
    float burstRadius() const { return burstRadius_; }

protected:
    enum class TexCoords {
        AfterEveryVertex, // each vertex's own coordinate, so the next vertex takes it
        OncePerWedge,     // one after a wedge's last vertex, so the next wedge takes it
    };

    struct Look {
        const std::uint8_t* image; // not owned
        int imageSize;             // texels per side
        bool quarterTurnAboutY;    // poles on the scene's x axis instead of z
        std::array<float, 3> colour;
        TexCoords texCoords;
    };

    void drawOrb(const Look& look);

private:
    void drawWedges(const Look& look) const;

    std::array<float, 3> position_;
    std::int32_t hit_ = 0;
    float burstRadius_ = 0.0f;
    EnemySpawner& owner_; // the spawner that made us; we only borrow its shot controller
};
