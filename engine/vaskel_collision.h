#pragma once

// Axis-aligned collision box. Along x and z it runs from corner 1 up to
// corner 2; along y the extent is expected to be zero or negative, so the
// box runs from corner 2 up to corner 1. Every primitive builds its box with
// (0, 1, 0, -1, 0, 1): one unit along +x, -y and +z from its placement.
class VK_BOUNDS {
public:
    VK_BOUNDS(float a, float b, float c, float d, float e, float f);
    ~VK_BOUNDS() {}

    // Corner 1 becomes (x, y, z), corner 2 that plus the extents.
    void SetPos(float x, float y, float z);
    // Inclusive on every face; any NaN makes it false.
    bool PointCollide(float px, float py, float pz);
    // One-sided: true when this box holds either stored corner of other.
    // a.Collide(b) and b.Collide(a) may differ.
    bool Collide(VK_BOUNDS* other);

    // The six constructor arguments as given: three (unused, extent) pairs
    // for x, y and z, so the extents are dims[1], dims[3] and dims[5].
    float dims[6];
    float x1 = 0, x2 = 0;
    float y1 = 0, y2 = 0;
    float z1 = 0, z2 = 0;
};
