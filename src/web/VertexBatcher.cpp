#include "web/VertexBatcher.h"

void VertexBatcher::setState(const DrawState& state) {
    state_ = state;
    stateOpen_ = draws_.empty() || !(draws_.back().state == state_);
}

void VertexBatcher::begin(std::uint32_t mode) {
    mode_ = mode;
    inPrimitive_ = true;
    primitiveFirst_ = static_cast<std::uint32_t>(vertices_.size());
    primitiveCount_ = 0;
}

void VertexBatcher::end() {
    inPrimitive_ = false;
}

void VertexBatcher::vertex(const Vertex& vertex) {
    if (!inPrimitive_) {
        return; // GL ignores a vertex outside glBegin/glEnd
    }
    switch (mode_) {
    case kTriangles:
    case kTriangleStrip:
    case kTriangleFan:
    case kQuads:
        break;
    default:
        return;
    }
    vertices_.push_back(vertex);
    const std::uint32_t k = primitiveCount_++; // this vertex, counted within its primitive
    const std::uint32_t at = primitiveFirst_ + k;
    switch (mode_) {
    case kTriangles:
        if (k % 3 == 2) {
            triangle(at - 2, at - 1, at);
        }
        break;
    case kTriangleStrip:
        // Every second triangle of a strip swaps its first two vertices to keep the winding.
        if (k >= 2) {
            if (k % 2 == 0) {
                triangle(at - 2, at - 1, at);
            } else {
                triangle(at - 1, at - 2, at);
            }
        }
        break;
    case kTriangleFan:
        if (k >= 2) {
            triangle(primitiveFirst_, at - 1, at);
        }
        break;
    case kQuads:
        if (k % 4 == 3) {
            triangle(at - 3, at - 2, at - 1);
            triangle(at - 3, at - 1, at);
        }
        break;
    default:
        break;
    }
}

void VertexBatcher::triangle(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    if (stateOpen_) {
        draws_.push_back({state_, static_cast<std::uint32_t>(indices_.size()), 0});
        stateOpen_ = false;
    }
    indices_.push_back(a);
    indices_.push_back(b);
    indices_.push_back(c);
    draws_.back().indexCount += 3;
}

void VertexBatcher::clear() {
    // Called between primitives: GL allows nothing that draws inside glBegin/glEnd.
    vertices_.clear();
    indices_.clear();
    draws_.clear();
    stateOpen_ = true;
    primitiveFirst_ = 0;
    primitiveCount_ = 0;
    inPrimitive_ = false;
}
