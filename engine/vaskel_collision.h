#pragma once

// Axis-aligned collision box. Along x and z it runs from corner 1 up to
// corner 2; along y the extent is expected to be zero or negative, so the
// box runs from corner 2 up to corner 1.
class VK_BOUNDS {
public:
    VK_BOUNDS(float a, float b, float c, float d, float e, float f);
    ~VK_BOUNDS() {}

    void SetPos(float x, float y, float z);
    bool PointCollide(float px, float py, float pz);
    // One-sided: true when this box holds either stored corner of other.
    bool Collide(VK_BOUNDS* other);

    float dims[6];
    float x1 = 0, x2 = 0;
    float y1 = 0, y2 = 0;
    float z1 = 0, z2 = 0;
};
