#include <gtest/gtest.h>

#include "engine/vaskel_collision.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// The box every primitive builds: +1 in x, -1 in y, +1 in z.
VK_BOUNDS unitBox(float x, float y, float z) {
    VK_BOUNDS b(0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 1.0f);
    b.SetPos(x, y, z);
    return b;
}

}  // namespace

TEST(Bounds, PointCollideIsInclusiveWithYReversedAndFalseForNaN) {
    VK_BOUNDS b = unitBox(2, 5, -3);  // x 2..3, y 5 down to 4, z -3..-2
    const struct {
        float x, y, z;
        bool inside;
    } cases[] = {
        {2, 5, -3, true},          {3, 4, -2, true},          {3, 5, -3, true},          {2, 4, -2, true},
        {2.5f, 4.5f, -2.5f, true}, {2.5f, 5.5f, -2.5f, false}, {2.5f, 3.5f, -2.5f, false}, {3.5f, 4.5f, -2.5f, false},
        {1.5f, 4.5f, -2.5f, false}, {2.5f, 4.5f, -1.5f, false}, {2.5f, 4.5f, -3.5f, false},
        {std::nextafter(2.0f, 0.0f), 4.5f, -2.5f, false},     {2.5f, std::nextafter(5.0f, 6.0f), -2.5f, false},
        {kNaN, 4.5f, -2.5f, false}, {2.5f, kNaN, -2.5f, false}, {2.5f, 4.5f, kNaN, false},
    };
    for (const auto& c : cases) EXPECT_EQ(b.PointCollide(c.x, c.y, c.z), c.inside) << c.x << ", " << c.y << ", " << c.z;

    // Placing again replaces the box rather than moving it by the difference.
    b.SetPos(-10, 0, 7);
    EXPECT_FALSE(b.PointCollide(2.5f, 4.5f, -2.5f));
    EXPECT_TRUE(b.PointCollide(-10, 0, 7));
    EXPECT_TRUE(b.PointCollide(-9, -1, 8));
    EXPECT_FALSE(b.PointCollide(-8.5f, -0.5f, 7.5f));
    b.SetPos(0, kNaN, 0);
    EXPECT_FALSE(b.PointCollide(0.5f, -0.5f, 0.5f));

    // The extents are every second constructor argument.
    VK_BOUNDS odd(100, 2, 200, -3, 300, 4);
    odd.SetPos(1, 1, 1);
    EXPECT_EQ((std::vector<float>{odd.x2, odd.y2, odd.z2}), (std::vector<float>{3, -2, 5}));
}

TEST(Bounds, CollideTestsOnlyTheOtherBoxsStoredCorners) {
    VK_BOUNDS a = unitBox(0, 0, 0);
    VK_BOUNDS overlapping = unitBox(0.5f, -0.5f, 0.5f);
    EXPECT_TRUE(a.Collide(&overlapping));  // its corner 1 is inside a
    EXPECT_TRUE(overlapping.Collide(&a));  // a's corner 2 is inside it
    VK_BOUNDS secondOnly = unitBox(-0.5f, 0.5f, -0.5f);
    EXPECT_TRUE(a.Collide(&secondOnly));  // only its corner 2 is inside a

    // Encloses a, yet neither of its stored corners lies in a.
    VK_BOUNDS big(0, 3, 0, -3, 0, 3);
    big.SetPos(-1, 1, -1);
    EXPECT_FALSE(a.Collide(&big));
    EXPECT_TRUE(big.Collide(&a));

    VK_BOUNDS far = unitBox(5, 5, 5);
    EXPECT_FALSE(a.Collide(&far) || far.Collide(&a));
}
