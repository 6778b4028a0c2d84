#include <gtest/gtest.h>

#include "engine/vaskel_collision.h"

#include <cmath>
#include <limits>

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// The box every primitive builds: +1 in x, -1 in y, +1 in z.
VK_BOUNDS unitBox(float x, float y, float z) {
    VK_BOUNDS b(0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 1.0f);
    b.SetPos(x, y, z);
    return b;
}

}  // namespace

TEST(Bounds, SetPosPlacesBothCorners) {
    VK_BOUNDS b = unitBox(2, 5, -3);
    EXPECT_EQ(b.x1, 2);
    EXPECT_EQ(b.x2, 3);
    EXPECT_EQ(b.y1, 5);
    EXPECT_EQ(b.y2, 4);
    EXPECT_EQ(b.z1, -3);
    EXPECT_EQ(b.z2, -2);
}

TEST(Bounds, ExtentsComeFromEverySecondArgument) {
    // The first float of each pair is ignored; the second is the extent.
    VK_BOUNDS b(100, 2, 200, -3, 300, 4);
    b.SetPos(1, 1, 1);
    EXPECT_EQ(b.x2, 3);
    EXPECT_EQ(b.y2, -2);
    EXPECT_EQ(b.z2, 5);
}

TEST(Bounds, SetPosAgainReplacesPlacement) {
    VK_BOUNDS b = unitBox(2, 5, -3);
    b.SetPos(-10, 0, 7);
    EXPECT_EQ(b.x1, -10);
    EXPECT_EQ(b.x2, -9);
    EXPECT_EQ(b.y1, 0);
    EXPECT_EQ(b.y2, -1);
    EXPECT_EQ(b.z1, 7);
    EXPECT_EQ(b.z2, 8);
    EXPECT_FALSE(b.PointCollide(2.5f, 4.5f, -2.5f));
    EXPECT_TRUE(b.PointCollide(-9.5f, -0.5f, 7.5f));
}

TEST(Bounds, PointInsideIsInclusiveWithReversedY) {
    VK_BOUNDS b = unitBox(2, 5, -3);
    EXPECT_TRUE(b.PointCollide(2, 5, -3));  // corner 1
    EXPECT_TRUE(b.PointCollide(3, 4, -2));  // corner 2
    EXPECT_TRUE(b.PointCollide(3, 5, -3));
    EXPECT_TRUE(b.PointCollide(2, 4, -2));
    EXPECT_TRUE(b.PointCollide(2.5f, 4.5f, -2.5f));

    EXPECT_FALSE(b.PointCollide(2.5f, 5.5f, -2.5f));  // above corner 1
    EXPECT_FALSE(b.PointCollide(2.5f, 3.5f, -2.5f));  // below corner 2
    EXPECT_FALSE(b.PointCollide(3.5f, 4.5f, -2.5f));
    EXPECT_FALSE(b.PointCollide(1.5f, 4.5f, -2.5f));
    EXPECT_FALSE(b.PointCollide(2.5f, 4.5f, -1.5f));
    EXPECT_FALSE(b.PointCollide(2.5f, 4.5f, -3.5f));
    // Just outside a face.
    EXPECT_FALSE(b.PointCollide(std::nextafter(2.0f, 0.0f), 4.5f, -2.5f));
    EXPECT_FALSE(b.PointCollide(2.5f, std::nextafter(5.0f, 6.0f), -2.5f));
}

TEST(Bounds, NaNIsNeverInside) {
    VK_BOUNDS b = unitBox(0, 0, 0);
    EXPECT_FALSE(b.PointCollide(kNaN, -0.5f, 0.5f));
    EXPECT_FALSE(b.PointCollide(0.5f, kNaN, 0.5f));
    EXPECT_FALSE(b.PointCollide(0.5f, -0.5f, kNaN));

    VK_BOUNDS nanBox = unitBox(0, kNaN, 0);
    EXPECT_FALSE(nanBox.PointCollide(0.5f, -0.5f, 0.5f));
}

TEST(Bounds, PositiveYExtentContainsNothingZeroOnlyThePlane) {
    VK_BOUNDS up(0, 1, 0, 1, 0, 1);
    up.SetPos(0, 0, 0);
    EXPECT_FALSE(up.PointCollide(0.5f, 0.5f, 0.5f));
    EXPECT_FALSE(up.PointCollide(0.5f, 0, 0.5f));
    EXPECT_FALSE(up.PointCollide(0.5f, 1, 0.5f));

    VK_BOUNDS flat(0, 1, 0, 0, 0, 1);
    flat.SetPos(0, 2, 0);
    EXPECT_TRUE(flat.PointCollide(0.5f, 2, 0.5f));
    EXPECT_FALSE(flat.PointCollide(0.5f, 1.999f, 0.5f));
}

TEST(Bounds, CollideTestsOnlyTheOtherBoxsStoredCorners) {
    VK_BOUNDS a = unitBox(0, 0, 0);
    VK_BOUNDS overlapping = unitBox(0.5f, -0.5f, 0.5f);
    EXPECT_TRUE(a.Collide(&overlapping));  // its corner 1 is inside a
    EXPECT_TRUE(overlapping.Collide(&a));  // a's corner 2 is inside it

    // Encloses a, yet neither of its stored corners lies in a.
    VK_BOUNDS big(0, 3, 0, -3, 0, 3);
    big.SetPos(-1, 1, -1);
    EXPECT_FALSE(a.Collide(&big));
    EXPECT_TRUE(big.Collide(&a));

    VK_BOUNDS far = unitBox(5, 5, 5);
    EXPECT_FALSE(a.Collide(&far));
    EXPECT_FALSE(far.Collide(&a));
}

TEST(Bounds, CollideFallsBackToSecondCorner) {
    VK_BOUNDS a = unitBox(0, 0, 0);
    // Only corner 2 (0.5, -0.5, 0.5) of this box is inside a.
    VK_BOUNDS b = unitBox(-0.5f, 0.5f, -0.5f);
    EXPECT_FALSE(a.PointCollide(b.x1, b.y1, b.z1));
    EXPECT_TRUE(a.Collide(&b));
}
