#include "entity.h"
// placeholder: replaced by the real entity tree
gEntity::gEntity() {}
gEntity::gEntity(float, float, float) {}
gEntity::gEntity(float, float, float, gEntity*) {}
gEntity::gEntity(float, float, float, gEntity*, VK_TEXTURE*) {}
gEntity::gEntity(float, float, float, VK_TEXTURE*) {}
gEntity::gEntity(gEntity*) {}
gEntity::~gEntity() {}
bool gEntity::HasChild() { return false; }
bool gEntity::HasParent() { return false; }
bool gEntity::HasSibling() { return false; }
bool gEntity::IsFirst() { return false; }
bool gEntity::IsLast() { return false; }
bool gEntity::IsRoot() { return true; }
void gEntity::Detach() {}
void gEntity::AttachTo(gEntity*) {}
void gEntity::Attach(gEntity*) {}
gEntity* gEntity::FindHead() { return this; }
void gEntity::Update(gEntity*) {}
float gEntity::CheckNear(float, float, float, float) { return 0; }
mcEntity::mcEntity(float px, float py, float pz) : x(px), y(py), z(pz) {}
mcEntity::~mcEntity() {}
void mcEntity::AttachModel(VK_PRIMITIVE* m) { model = m; }
void mcEntity::Draw() {}
void mcEntity::Update() {}
void mcEntity::Destroy() {}
void mcEntity::Collide() {}
