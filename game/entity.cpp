#include "entity.h"

#include <cstdio>

namespace {

void trace(const char* line) { std::fputs(line, stderr); }

}  // namespace

gEntity::gEntity() { reservedFlagA = reservedFlagB = true; }

gEntity::gEntity(float px, float py, float pz) {
    x = px;
    y = py;
    z = pz;
    reservedFlagA = reservedFlagB = true;
}

gEntity::gEntity(float px, float py, float pz, gEntity* newParent) {
    x = px;
    y = py;
    z = pz;
    AttachTo(newParent);
    reservedFlagA = reservedFlagB = true;
}

gEntity::gEntity(float px, float py, float pz, gEntity* newParent, VK_TEXTURE* tex) {
    x = px;
    y = py;
    z = pz;
    texBottom = texTop = texSide = tex;
    AttachTo(newParent);
}

gEntity::gEntity(float px, float py, float pz, VK_TEXTURE* tex) {
    x = px;
    y = py;
    z = pz;
    texBottom = texTop = texSide = tex;
}

gEntity::gEntity(gEntity* source) {
    x = source->x;
    y = source->y;
    z = source->z;
    flagA = source->flagA;
    flagB = source->flagB;
    blended = source->blended;
    texBottom = source->texBottom;
    texTop = source->texTop;
    texSide = source->texSide;
    reservedFlagA = reservedFlagB = true;
}

// The entity whose destructor is running the flat teardown loop below;
// null outside any teardown. Single-threaded, like the rest of the tree.
gEntity* gEntity::tearingDown = nullptr;

// Destroys as a recursive teardown would, each entity's destructor body
// before its children and every subtree before the next sibling, but with a
// flat stack: a child deleted by the loop hands its own children to the
// front of the loop's ring instead of deleting them itself.
gEntity::~gEntity() {
    gEntity* owner = parent;
    Detach();
    if (owner && owner == tearingDown) {
        handChildrenTo(owner);
        return;
    }
    gEntity* outer = tearingDown;
    tearingDown = this;
    while (firstChild) delete firstChild;
    tearingDown = outer;
}

// Splices this entity's whole child ring, in order, in front of owner's
// first child. The children point at owner from then on: this entity is
// gone before they are destroyed.
void gEntity::handChildrenTo(gEntity* owner) {
    gEntity* first = firstChild;
    if (!first) return;
    firstChild = nullptr;
    gEntity* last = first->prev;
    gEntity* c = first;
    do {
        c->parent = owner;
        c = c->next;
    } while (c != first);
    gEntity* ownerFirst = owner->firstChild;
    if (ownerFirst) {
        gEntity* ownerLast = ownerFirst->prev;
        ownerLast->next = first;
        first->prev = ownerLast;
        last->next = ownerFirst;
        ownerFirst->prev = last;
    }
    owner->firstChild = first;
}

bool gEntity::HasChild() { return firstChild != nullptr; }
bool gEntity::HasParent() { return parent != nullptr; }
bool gEntity::HasSibling() { return next != this; }
bool gEntity::IsFirst() { return parent && parent->firstChild == this; }
bool gEntity::IsLast() { return parent && parent->firstChild->prev == this; }
bool gEntity::IsRoot() { return !HasParent() && !HasSibling(); }

void gEntity::Detach() {
    if (!parent) return;
    if (HasSibling()) {
        prev->next = next;
        next->prev = prev;
        parent->firstChild = next;
        next = prev = this;
    } else {
        parent->firstChild = nullptr;
    }
    parent = nullptr;
}

void gEntity::AttachTo(gEntity* newParent) {
    for (gEntity* a = newParent; a; a = a->parent)
        if (a == this) return;
    if (!newParent) return;
    Detach();
    parent = newParent;
    gEntity* first = newParent->firstChild;
    if (!first) {
        newParent->firstChild = this;
        return;
    }
    gEntity* last = first->prev;
    last->next = this;
    prev = last;
    next = first;
    first->prev = this;
}

void gEntity::Attach(gEntity* child) { child->AttachTo(this); }

gEntity* gEntity::FindHead() {
    gEntity* e = this;
    while (e->firstChild) e = e->firstChild;
    return e;
}

void gEntity::Update(gEntity*) {
    trace("Entering 'gEntity::Update()'\n");
    trace("Performing: 'if(!IsRoot())Draw();\n");
    if (!IsRoot()) Draw();
    trace("Performing: 'if(HasChild())\n");
    if (HasChild()) {
        trace("Drawing Child\n");
        firstChild->Draw();
    }
    trace("Checking for sibling\n");
    if (HasParent() && !IsLast()) {
        trace("Drawing sibling (next->Draw())\n");
        next->Draw();
    }
}

float gEntity::CheckNear(float px, float py, float pz, float radius) {
    gEntity* root = this;
    while (root->parent) root = root->parent;
    float dx = root->x - px;
    float dy = root->y - py;
    float dz = root->z - pz;
    // Signed differences: only the negative side is bounded. NaN fails all.
    bool near = radius >= dx && radius >= dy && radius >= dz;
    root->isNear = near;
    return near ? 1.0f : 0.0f;
}

mcEntity::mcEntity(float px, float py, float pz) : x(px), y(py), z(pz) {}

mcEntity::~mcEntity() {}

void mcEntity::AttachModel(VK_PRIMITIVE* m) { model = m; }

void mcEntity::Draw() {
    if (!model) return;
    model->x = x;
    model->y = y;
    model->z = z;
    model->Draw();
}

void mcEntity::Update() {}
void mcEntity::Destroy() {}
void mcEntity::Collide() {}
