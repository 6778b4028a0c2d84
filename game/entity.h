#pragma once

#include "../engine/vaskel_primitives.h"

#include <cstdint>

// A cube that is also a tree node. Children form a circular doubly linked
// ring in attach order (the last child is firstChild->prev); an entity owns
// its subtree and destroys it with itself. Face textures are shared.
class gEntity : public VK_CUBE {
public:
    gEntity();
    gEntity(float x, float y, float z);
    gEntity(float x, float y, float z, gEntity* parent);
    gEntity(float x, float y, float z, gEntity* parent, VK_TEXTURE* texture);
    gEntity(float x, float y, float z, VK_TEXTURE* texture);
    // Copies position, flags and face textures; the new entity is alone.
    explicit gEntity(gEntity* source);
    // Detaches, then destroys the subtree: children in ring order, each
    // entity's destructor body before its own children's, each child's
    // subtree finished before the next child's. The stack stays flat at any
    // depth; while their turn comes, grandchildren point at the entity that
    // started the teardown.
    ~gEntity() override;

    bool HasChild();
    bool HasParent();
    bool HasSibling();
    bool IsFirst();
    bool IsLast();
    bool IsRoot();

    // The parent's firstChild becomes this entity's successor, so detaching
    // a middle child rotates the ring. No-op without a parent.
    void Detach();
    // Moves this entity and its subtree to the end of newParent's ring.
    // No-op for null, self or a descendant (that would orphan a cycle).
    void AttachTo(gEntity* newParent);
    void Attach(gEntity* child);
    // Bottom of the first-child chain; siblings are not looked at.
    gEntity* FindHead();

    // Shallow traced walk on stderr: draws this entity unless it is a root,
    // its first child, and its next sibling unless it is the last child.
    virtual void Update(gEntity* unused);
    // 1.0 when each coordinate is at least the root's minus radius (signed,
    // one-sided), else 0.0; the result is stored in the root's isNear.
    float CheckNear(float px, float py, float pz, float radius);

    bool isNear = false;
    gEntity* next = this;
    gEntity* prev = this;
    gEntity* firstChild = nullptr;
    gEntity* parent = nullptr;
    bool reservedFlagA = false;
    bool reservedFlagB = false;

private:
    void handChildrenTo(gEntity* owner);
    static gEntity* tearingDown;
};

// A position with a shared, non-owned model drawn there.
class mcEntity {
public:
    mcEntity(float x, float y, float z);
    void AttachModel(VK_PRIMITIVE* m);  // replaces any earlier model

    // Moves the shared model here (not its bounds) and draws it; the model
    // keeps the position of the last entity that drew it.
    virtual void Draw();
    virtual void Update();
    virtual void Destroy();
    virtual void Collide();
    virtual ~mcEntity();  // leaves the model alive

    VK_PRIMITIVE* model = nullptr;
    uint32_t reservedA = 0;
    uint32_t reservedB = 0;
    float x, y, z;
};
