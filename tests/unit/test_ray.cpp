// Tile placement under testroot, the view ray's near test and the ray
// segment's GL calls.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../fake/fake.h"
#include "game/game.h"

namespace {

class Ray : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        testroot = new gEntity(0, 0, 0);
        Texture_Obsidian = new VK_TEXTURE();
        player_x = player_y = player_z = 0;
        yrot = xrot = 0;
    }
    void TearDown() override {
        delete testroot;  // takes the tiles with it
        delete Texture_Obsidian;
        testroot = nullptr;
        Texture_Obsidian = nullptr;
        player_y = 2;
        yrot = xrot = 0;
    }

    static void expectTileAt(gEntity* tile, float x, float y, float z) {
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ(tile->x, x);
        EXPECT_EQ(tile->y, y);
        EXPECT_EQ(tile->z, z);
        EXPECT_TRUE(tile->blended);
        EXPECT_EQ(tile->texBottom, Texture_Obsidian);
        EXPECT_EQ(tile->texTop, Texture_Obsidian);
        EXPECT_EQ(tile->texSide, Texture_Obsidian);
        EXPECT_FALSE(tile->HasSibling());
    }

    bool traceFrom(float yaw, float pitch) {
        yrot = yaw;
        xrot = pitch;
        testroot->isNear = !testroot->isNear;  // so a missing write shows
        TraceRay();
        return testroot->isNear;
    }
};

TEST_F(Ray, TilesFormOneBlendedChain) {
    AddObsid_Tile(0, -1, 0);
    AddObsid_Tile(0, 2, 0);
    gEntity* first = testroot->firstChild;
    expectTileAt(first, 0, -1, 0);
    EXPECT_EQ(first->parent, testroot);
    gEntity* second = first->firstChild;
    expectTileAt(second, 0, 2, 0);
    EXPECT_EQ(second->parent, first);
    EXPECT_EQ(testroot->FindHead(), second);
    EXPECT_FALSE(testroot->blended);
    EXPECT_FALSE(testroot->HasSibling());

    AddObsid_Tile(0.5f, -1.25f, 3.75f);
    gEntity* third = second->firstChild;
    expectTileAt(third, 0.5f, -1.25f, 3.75f);
    EXPECT_EQ(third->parent, second);
    EXPECT_FALSE(third->HasChild());
    EXPECT_EQ(testroot->FindHead(), third);
}

TEST_F(Ray, TraceTestsAPointOneAndAQuarterAhead) {
    EXPECT_FALSE(traceFrom(0, 0));   // (0, 0, -1.25): 1.25 beyond the radius
    EXPECT_TRUE(traceFrom(180, 0));  // (0, 0, 1.25): on the near side of the one-sided test
}

TEST_F(Ray, TraceStartsAtTheFeetAndPitchDownLowersIt) {
    // The root one unit up: a ray at eye height would count as near.
    testroot->y = 1.0f;
    EXPECT_FALSE(traceFrom(180, 0));

    // Looking down 10 degrees lowers the end by 1.25 * tan(10) = 0.22.
    testroot->y = 0.3f;
    EXPECT_FALSE(traceFrom(180, 10));
    EXPECT_TRUE(traceFrom(180, -10));
}

TEST_F(Ray, RayPointDrawsARedSegmentInEyeSpace) {
    fake::clearCalls();
    RayPoint(0, 0, 0, 0, 0);
    EXPECT_EQ(fake::texts(), (std::vector<std::string>{
                                 "glPushMatrix()", "glLoadIdentity()", "glBegin(GL_LINE_LOOP)",
                                 "glColor3f(1, 0, 0)", "glVertex3f(0, 1.7, 0)", "glVertex3f(0, 1.7, -0.5)",
                                 "glEnd()", "glPopMatrix()"}));
}

TEST_F(Ray, RayPointRoundsEachCoordinateOnce) {
    fake::clearCalls();
    RayPoint(1.5f, -0.4f, 2.0f, 90, 30);
    std::vector<fake::Call> vertices;
    for (const fake::Call& c : fake::calls())
        if (c.name == "glVertex3f") vertices.push_back(c);
    ASSERT_EQ(vertices.size(), 2u);
    double eyeY = double(-0.4f) + 1.7;
    EXPECT_EQ(vertices[0].args, (std::vector<double>{1.5, double(float(eyeY)), 2.0}));
    const double k = 0.017453292519943295;
    EXPECT_EQ(vertices[1].args, (std::vector<double>{double(float(1.5 - std::sin(90 * k) * 0.5)),
                                                     double(float(eyeY - std::tan(30 * k) * 0.5)),
                                                     double(float(2.0 - std::cos(90 * k) * 0.5))}));
    EXPECT_NEAR(vertices[1].args[0], 1.0, 1e-7);
}

}  // namespace
