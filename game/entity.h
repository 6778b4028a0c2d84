#pragma once

#include "../engine/vaskel_primitives.h"

#include <cstdint>

// A cube that is also a tree node. Children form a circular doubly linked
// ring; an entity owns its subtree and destroys it with itself.
class gEntity : public VK_CUBE {
public:
    gEntity();
    gEntity(float x, float y, float z);
    gEntity(float x, float y, float z, gEntity* parent);
    gEntity(float x, float y, float z, gEntity* parent, VK_TEXTURE* texture);
    gEntity(float x, float y, float z, VK_TEXTURE* texture);
    // Copies position, flags and face textures; the new entity is alone.
    explicit gEntity(gEntity* source);
    ~gEntity() override;

    bool HasChild();
    bool HasParent();
    bool HasSibling();
    bool IsFirst();
    bool IsLast();
    bool IsRoot();

    void Detach();                      // no-op without a parent
    void AttachTo(gEntity* newParent);  // no-op for null, self or a descendant
    void Attach(gEntity* child);
    gEntity* FindHead();

    virtual void Update(gEntity* unused);
    float CheckNear(float px, float py, float pz, float radius);

    bool isNear = false;
    gEntity* next = this;
    gEntity* prev = this;
    gEntity* firstChild = nullptr;
    gEntity* parent = nullptr;
    bool reservedFlagA = false;
    bool reservedFlagB = false;
};

// A position with a shared, non-owned model drawn there.
class mcEntity {
public:
    mcEntity(float x, float y, float z);
    virtual ~mcEntity();
    void AttachModel(VK_PRIMITIVE* m);

    virtual void Draw();
    virtual void Update();
    virtual void Destroy();
    virtual void Collide();

    VK_PRIMITIVE* model = nullptr;
    uint32_t reservedA = 0;
    uint32_t reservedB = 0;
    float x, y, z;
};
