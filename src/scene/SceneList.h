#pragma once

#include <cstdint>

class Drawable;

struct SceneNode {
    SceneNode* next = nullptr;    // not owned; null at the tail
    SceneNode* prev = nullptr;    // not owned; null at the head
    Drawable* drawable = nullptr; // not owned, never null
    std::int32_t id = 0;
};

// The draw order of everything that streams towards the viewer. It issues scene ids, owns only its
// nodes, and draws all members under one depth offset that grows with the frame counter.
class SceneList {
public:
    static constexpr std::int32_t kNoId = -1; // what owners keep in a slot with no id

    SceneList() = default;
    SceneList(const SceneList&) = delete;
    SceneList& operator=(const SceneList&) = delete;
    ~SceneList();

    std::int32_t add(Drawable* drawable);
    // Unknown and negative ids are ignored: owners recycle slots whose id may be stale.
    void remove(std::int32_t id);
    const SceneNode* find(std::int32_t id, const SceneNode* from) const;
    void drawAll();

    // Depth offset of the latest draw that had members; new objects are placed relative to it.
    float scrollZ() const { return scrollZ_; }
    const SceneNode* head() const { return head_; }
    const SceneNode* tail() const { return tail_; }
    std::int32_t lastId() const { return nextId_; }

    // Only for tests that check counter wrap-around; the game never sets it.
    void setLastIdForTest(std::int32_t id) { nextId_ = id; }

private:
    SceneNode* head_ = nullptr; // owned, with every node after it
    SceneNode* tail_ = nullptr;
    std::int32_t nextId_ = 0; // ids issued so far
    float scrollZ_ = 0.0f;
};
