#include "tunnel/Tunnel.h"

#include "scene/RandomSource.h"
#include "scene/SceneList.h"
#include "scene/Wrapping.h"

#include <cmath>

namespace {
constexpr float kRadius = 3.0f;
constexpr float kFirstRingZ = 8.0f;
constexpr float kRingStep = 0.31415f; // radians; 20 steps fall just short of a full turn
constexpr float kRingSpacing = 1.0f;  // units along -z between rings
constexpr float kJitter = 0.5f;       // largest offset of a point from the circle, per axis
constexpr float kColourLift = 0.2f;   // green and blue sit this far above red, up to 1
constexpr int kClosingPoint = Tunnel::kRingPoints - 1;

float unitDraw() {
    return static_cast<float>(RandomSource::draw()) / RandomSource::kRange;
}
} // namespace

Tunnel::Tunnel(SceneList& scene) : scene_(scene) {
    segmentIds_.fill(-1);
    initRings();
}

// The segments go with the tunnel; their ids may still be in the scene only if the scene outlives
// us, so take them out as well.
Tunnel::~Tunnel() {
    for (int slot = 0; slot < kSlots; ++slot) {
        dropSegment(slot);
    }
}

void Tunnel::initRings() {
    for (int k = 0; k < kRingPoints; ++k) {
        const float angle = k < kClosingPoint ? static_cast<float>(k) * kRingStep : 0.0f;
        const float x = kRadius * std::cos(angle);
        const float y = kRadius * std::sin(angle);
        previousRing_.x[k] = baseRing_.x[k] = x;
        previousRing_.y[k] = baseRing_.y[k] = y;
        previousRing_.z[k] = baseRing_.z[k] = kFirstRingZ;
    }
}

void Tunnel::update() {
    framesSinceSegment_ = wrappingIncrement(framesSinceSegment_);
    if (framesSinceSegment_ < kFramesPerSegment) {
        return;
    }
    // Once the count has wrapped the tunnel stops growing, and keeps coming back here.
    segmentCount_ = wrappingIncrement(segmentCount_);
    if (segmentCount_ <= 0) {
        return;
    }
    dropSegment((slotIndex_ + 1) % kSlots);

    auto segment = std::make_unique<TunnelSegment>();
    advanceRing(*segment);
    buildColours(segment->colours);
    segmentIds_[slotIndex_] = scene_.add(segment.get());
    segments_[slotIndex_] = std::move(segment);

    framesSinceSegment_ = 0;
    slotIndex_ = (slotIndex_ + 1) % kSlots;
}

void Tunnel::dropSegment(int slot) {
    if (segments_[slot] != nullptr) {
        scene_.remove(segmentIds_[slot]);
        segments_[slot].reset();
    }
}

void Tunnel::advanceRing(TunnelSegment& segment) {
    newRing_ = previousRing_;
    jitterRing();
    buildStrip(segment.vertices);
    previousRing_ = newRing_;
}

void Tunnel::jitterRing() {
    for (int k = 0; k < kClosingPoint; ++k) {
        const float a = unitDraw();
        const float b = unitDraw();
        // Offsets are taken from the fixed circle, so rings never wander away from it.
        newRing_.x[k] = baseRing_.x[k] + (a - kJitter);
        newRing_.y[k] = baseRing_.y[k] + (b - kJitter);
        newRing_.z[k] = newRing_.z[k] - kRingSpacing;
    }
    newRing_.x[kClosingPoint] = newRing_.x[0];
    newRing_.y[kClosingPoint] = newRing_.y[0];
    newRing_.z[kClosingPoint] = newRing_.z[0];
}

void Tunnel::buildStrip(TunnelSegment::Vertices& vertices) const {
    for (int i = 0; i < TunnelSegment::kVertexCount; ++i) {
        const Ring& ring = i % 2 == 0 ? previousRing_ : newRing_;
        const int point = i / 2;
        vertices.x[i] = ring.x[point];
        vertices.y[i] = ring.y[point];
        vertices.z[i] = ring.z[point];
    }
}

void Tunnel::buildColours(TunnelSegment::Colours& colours) {
    for (int i = 0; i < TunnelSegment::kVertexCount; ++i) {
        const float red = unitDraw();
        const float lifted = red + kColourLift;
        const float greenBlue = lifted > 1.0f ? 1.0f : lifted;
        colours.red[i] = red;
        colours.green[i] = greenBlue;
        colours.blue[i] = greenBlue;
    }
}
