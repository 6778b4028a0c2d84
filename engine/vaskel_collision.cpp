#include "vaskel_collision.h"
// placeholder: replaced by the real box tests
VK_BOUNDS::VK_BOUNDS(float, float, float, float, float, float) : dims{} {}
void VK_BOUNDS::SetPos(float, float, float) {}
bool VK_BOUNDS::PointCollide(float, float, float) { return false; }
bool VK_BOUNDS::Collide(VK_BOUNDS*) { return false; }
