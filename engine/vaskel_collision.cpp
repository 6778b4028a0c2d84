#include "vaskel_collision.h"

VK_BOUNDS::VK_BOUNDS(float a, float b, float c, float d, float e, float f) : dims{a, b, c, d, e, f} {}

void VK_BOUNDS::SetPos(float x, float y, float z) {
    x1 = x;
    y1 = y;
    z1 = z;
    x2 = dims[1] + x;
    y2 = dims[3] + y;
    z2 = dims[5] + z;
}

bool VK_BOUNDS::PointCollide(float px, float py, float pz) {
    // Written as positive comparisons so that a NaN fails every one of them.
    return px >= x1 && px <= x2 &&
           py <= y1 && py >= y2 &&
           pz >= z1 && pz <= z2;
}

bool VK_BOUNDS::Collide(VK_BOUNDS* other) {
    return PointCollide(other->x1, other->y1, other->z1) ||
           PointCollide(other->x2, other->y2, other->z2);
}
