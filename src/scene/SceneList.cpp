#include "scene/SceneList.h"

#include "scene/Drawable.h"
#include "scene/GameState.h"

#include <GL/gl.h>

#include <limits>

namespace {
constexpr float kScrollPerFrame = 0.2f; // units towards the viewer per frame
constexpr float kScrollStart = 24.0f;   // depth offset before the first frame
} // namespace

SceneList::~SceneList() {
    while (head_ != nullptr) {
        SceneNode* next = head_->next;
        delete head_;
        head_ = next;
    }
}

std::int32_t SceneList::add(Drawable* drawable) {
    // Owners ignore negative ids, so an id that ran past the largest positive value would leave its
    // object in the scene after the object is gone. Start again from 1 instead: by then every id
    // still in use is billions of ids younger.
    nextId_ = nextId_ == std::numeric_limits<std::int32_t>::max() ? 1 : nextId_ + 1;
    auto* node = new SceneNode{nullptr, nullptr, drawable, nextId_};
    if (head_ == nullptr) {
        head_ = node;
        tail_ = node;
    } else {
        tail_->next = node;
        node->prev = tail_;
        tail_ = node;
    }
    return nextId_;
}

const SceneNode* SceneList::find(std::int32_t id, const SceneNode* from) const {
    for (const SceneNode* node = from; node != nullptr; node = node->next) {
        if (node->id == id) {
            return node;
        }
    }
    return nullptr;
}

void SceneList::remove(std::int32_t id) {
    if (id < 0 || head_ == nullptr) {
        return;
    }
    // The nodes are ours to change; find only hands them out read-only.
    auto* node = const_cast<SceneNode*>(find(id, head_));
    if (node == nullptr) {
        return;
    }
    if (node == head_) {
        head_ = node->next;
        if (head_ == nullptr) {
            tail_ = nullptr;
        } else {
            head_->prev = nullptr;
            if (head_->next == nullptr) {
                tail_ = head_;
            }
        }
    } else if (node == tail_) {
        tail_ = node->prev;
        tail_->next = nullptr;
    } else {
        node->prev->next = node->next;
        node->next->prev = node->prev;
    }
    delete node;
}

void SceneList::drawAll() {
    if (head_ == nullptr) {
        return;
    }
    // The product is kept unrounded until the end: rounding it to float first would bring the scene
    // to exactly 0 at frame 120, where the single-precision 0.2 puts it 3.58e-7 beyond 0.
    scrollZ_ = static_cast<float>(static_cast<double>(frameCount) * kScrollPerFrame - kScrollStart);
    glTranslatef(0.0f, 0.0f, scrollZ_);
    // A member's draw may remove other members (an orb consumes a shot), including the next node or
    // the tail, so both are read only once the current draw has returned.
    for (SceneNode* node = head_;;) {
        node->drawable->draw();
        if (node == tail_) {
            break;
        }
        node = node->next;
    }
}
