// Tile placement under testroot, the view ray's near test and the ray
// segment's GL calls.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../fake/fake.h"
#include "game/game.h"
#include "game_test_env.h"

namespace {

class Ray : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        gametest::forgetGame();
        player_y = 0;
        testroot = new gEntity(0, 0, 0);
        Texture_Obsidian = new VK_TEXTURE();
    }
    void TearDown() override {
        delete testroot;  // takes the tiles with it
        delete Texture_Obsidian;
        gametest::forgetGame();
    }
};

}  // namespace

TEST_F(Ray, TilesFormOneBlendedChainBelowTheRoot) {
    const float at[3][3] = {{0, -1, 0}, {0, 2, 0}, {0.5f, -1.25f, 3.75f}};
    gEntity* parent = testroot;
    for (const auto& p : at) {
        AddObsid_Tile(p[0], p[1], p[2]);
        gEntity* tile = parent->firstChild;
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ((std::vector<float>{tile->x, tile->y, tile->z}), (std::vector<float>{p[0], p[1], p[2]}));
        EXPECT_TRUE(tile->blended);
        EXPECT_TRUE(tile->texBottom == Texture_Obsidian && tile->texTop == Texture_Obsidian &&
                    tile->texSide == Texture_Obsidian);
        EXPECT_FALSE(tile->HasSibling() || tile->HasChild());
        EXPECT_EQ(testroot->FindHead(), tile);
        parent = tile;
    }
    EXPECT_FALSE(testroot->blended);
}

// The ray runs 1.25 ahead from the feet, not the eye, and pitch tilts it.
TEST_F(Ray, TraceTestsAPointOneAndAQuarterAheadOfTheFeet) {
    const struct {
        float yaw, pitch, rootY;
        bool near;
    } cases[] = {
        {0, 0, 0, false},     // (0, 0, -1.25): beyond the radius
        {180, 0, 0, true},    // (0, 0, 1.25): on the near side of the one-sided test
        {180, 0, 1, false},   // a ray at eye height would count as near
        {180, 10, 0.3f, false},  // looking down lowers the end by 1.25 * tan(10) = 0.22
        {180, -10, 0.3f, true},
    };
    for (const auto& c : cases) {
        yrot = c.yaw;
        xrot = c.pitch;
        testroot->y = c.rootY;
        testroot->isNear = !c.near;  // so a missing write shows
        TraceRay();
        EXPECT_EQ(testroot->isNear, c.near) << c.yaw << ", " << c.pitch << ", " << c.rootY;
    }
}

TEST_F(Ray, RayPointDrawsARedSegmentInEyeSpace) {
    RayPoint(0, 0, 0, 0, 0);
    EXPECT_EQ(fake::texts(), (std::vector<std::string>{"glPushMatrix()", "glLoadIdentity()", "glBegin(GL_LINE_LOOP)",
                                                       "glColor3f(1, 0, 0)", "glVertex3f(0, 1.7, 0)",
                                                       "glVertex3f(0, 1.7, -0.5)", "glEnd()", "glPopMatrix()"}));
    // Each coordinate is computed in double and rounded to float once.
    fake::clearCalls();
    RayPoint(1.5f, -0.4f, 2.0f, 90, 30);
    ASSERT_EQ(fake::calls().size(), 8u);
    const double eyeY = double(-0.4f) + 1.7, k = 0.017453292519943295;
    EXPECT_EQ(fake::calls()[4].args, (std::vector<double>{1.5, float(eyeY), 2.0}));
    EXPECT_EQ(fake::calls()[5].args, (std::vector<double>{float(1.5 - std::sin(90 * k) * 0.5),
                                                          float(eyeY - std::tan(30 * k) * 0.5),
                                                          float(2.0 - std::cos(90 * k) * 0.5)}));
}
