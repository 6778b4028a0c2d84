// Exact GL traffic of the cube, checked against the recording stand-ins.
#include <gtest/gtest.h>

#include "../fake/fake.h"
#include "engine/vaskel_collision.h"
#include "engine/vaskel_primitives.h"
#include "engine/vaskel_texture.h"

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

enum { BOTTOM, TOP, SIDE };

struct Corner {
    const char* st;
    int ox, oy, oz;
};
struct Face {
    int tex;
    const char* normal;
    Corner c[4];
};

// The six faces as the cube must send them, copied by hand.
const Face kExpectedFaces[6] = {
    {BOTTOM, "0, -1, 0", {{"0, 1", 0, 0, 1}, {"1, 1", 1, 0, 1}, {"1, 0", 1, 0, 0}, {"0, 0", 0, 0, 0}}},
    {TOP, "0, 1, 0", {{"0, 0", 0, 1, 0}, {"1, 0", 1, 1, 0}, {"1, 1", 1, 1, 1}, {"0, 1", 0, 1, 1}}},
    {SIDE, "-1, 0, 0", {{"0, 0", 0, 0, 1}, {"1, 0", 0, 0, 0}, {"1, 1", 0, 1, 0}, {"0, 1", 0, 1, 1}}},
    {SIDE, "1, 0, 0", {{"0, 0", 1, 0, 1}, {"1, 0", 1, 0, 0}, {"1, 1", 1, 1, 0}, {"0, 1", 1, 1, 1}}},
    {SIDE, "0, 0, -1", {{"0, 0", 0, 0, 0}, {"1, 0", 1, 0, 0}, {"1, 1", 1, 1, 0}, {"0, 1", 0, 1, 0}}},
    {SIDE, "0, 0, 1", {{"0, 0", 0, 0, 1}, {"1, 0", 1, 0, 1}, {"1, 1", 1, 1, 1}, {"0, 1", 0, 1, 1}}},
};

const unsigned kTexName[3] = {11, 22, 33};

std::string bind(unsigned name) { return "glBindTexture(GL_TEXTURE_2D, " + std::to_string(name) + ")"; }

// Face i at integer position (x, y, z), optionally preceded by its bind.
void appendFace(Texts& out, int i, int x, int y, int z, bool withBind, const unsigned* names = kTexName) {
    const Face& f = kExpectedFaces[i];
    if (withBind) out.push_back(bind(names[f.tex]));
    out.push_back("glBegin(GL_QUADS)");
    out.push_back(std::string("glNormal3f(") + f.normal + ")");
    for (const Corner& c : f.c) {
        out.push_back(std::string("glTexCoord2f(") + c.st + ")");
        out.push_back("glVertex3f(" + std::to_string(x + c.ox) + ", " + std::to_string(y + c.oy) + ", " +
                      std::to_string(z + c.oz) + ")");
    }
    out.push_back("glEnd()");
}

Texts expectedDraw(int x, int y, int z, bool blended) {
    Texts out{bind(kTexName[BOTTOM])};
    if (blended) {
        out.push_back("glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)");
        out.push_back("glEnable(GL_BLEND)");
    } else {
        out.push_back("glDisable(GL_BLEND)");
        out.push_back("glEnable(GL_DEPTH_TEST)");
    }
    appendFace(out, 0, x, y, z, false);
    for (int i = 1; i < 6; i++) appendFace(out, i, x, y, z, true);
    return out;
}

class CubeCalls : public ::testing::Test {
protected:
    void SetUp() override {
        bottom.texID = kTexName[BOTTOM];
        top.texID = kTexName[TOP];
        side.texID = kTexName[SIDE];
        fake::reset();
    }
    VK_TEXTURE bottom, top, side;
};

}  // namespace

TEST_F(CubeCalls, ConstructorsKeepTheBoxAtTheOrigin) {
    VK_CUBE c(2, -2, 5, &bottom, &top, &side);
    EXPECT_EQ(c.x, 2);
    EXPECT_EQ(c.y, -2);
    EXPECT_EQ(c.z, 5);
    EXPECT_EQ(c.texBottom, &bottom);
    EXPECT_EQ(c.texTop, &top);
    EXPECT_EQ(c.texSide, &side);
    EXPECT_TRUE(c.flagA);
    EXPECT_TRUE(c.flagB);
    EXPECT_FALSE(c.blended);
    EXPECT_EQ(c.color[0] + c.color[1] + c.color[2] + c.color[3], 4.0f);
    ASSERT_NE(c.bounds, nullptr);
    EXPECT_EQ(c.bounds->x1, 0);
    EXPECT_EQ(c.bounds->y1, 0);
    EXPECT_EQ(c.bounds->z1, 0);
    EXPECT_EQ(c.bounds->y2, -1);

    VK_CUBE d;
    EXPECT_EQ(d.texBottom, nullptr);
    EXPECT_EQ(d.texTop, nullptr);
    EXPECT_EQ(d.texSide, nullptr);
    EXPECT_EQ(d.x + d.y + d.z, 0);

    VK_PRIMITIVE p(1, 2, 3, &top);
    EXPECT_EQ(p.texture, &top);
    EXPECT_EQ(p.bounds->x1, 1);
    EXPECT_EQ(p.bounds->y1, 2);
    EXPECT_EQ(p.bounds->z1, 3);
    EXPECT_EQ(p.bounds->x2, 2);
    EXPECT_TRUE(fake::calls().empty());  // construction touches no GL
}

TEST_F(CubeCalls, PrimitiveDrawEmitsNothing) {
    VK_PRIMITIVE* p = new VK_PRIMITIVE();
    p->Draw();
    EXPECT_TRUE(fake::calls().empty());
    delete p;
}

TEST_F(CubeCalls, DrawAtOriginSendsTheFaceTableInOrder) {
    VK_CUBE c(0, 0, 0, &bottom, &top, &side);
    c.Draw();
    Texts got = fake::texts();
    EXPECT_EQ(got, expectedDraw(0, 0, 0, false));

    // Spot checks written out literally, independent of the table above.
    ASSERT_EQ(got.size(), 3u + 11u + 5u * 12u);
    EXPECT_EQ(got[3], "glBegin(GL_QUADS)");
    EXPECT_EQ(got[4], "glNormal3f(0, -1, 0)");
    EXPECT_EQ(got[5], "glTexCoord2f(0, 1)");
    EXPECT_EQ(got[6], "glVertex3f(0, 0, 1)");
    EXPECT_EQ(got[12], "glVertex3f(0, 0, 0)");
    EXPECT_EQ(got[13], "glEnd()");
    EXPECT_EQ(got[14], "glBindTexture(GL_TEXTURE_2D, 22)");
    EXPECT_EQ(got[got.size() - 3], "glTexCoord2f(0, 1)");
    EXPECT_EQ(got[got.size() - 2], "glVertex3f(0, 1, 1)");
    EXPECT_EQ(fake::count("glBindTexture"), 6u);
    EXPECT_EQ(fake::count("glNormal3f"), 6u);
    EXPECT_EQ(fake::count("glVertex3f"), 24u);
    EXPECT_EQ(fake::boundTexture, 33u);  // texSide left bound
    EXPECT_FALSE(fake::isEnabled(GL_BLEND));
    EXPECT_TRUE(fake::isEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(fake::count("glPushMatrix") + fake::count("glColor3f") + fake::count("glColor4f"), 0u);
}

TEST_F(CubeCalls, DrawAwayFromOriginUsesAbsoluteCoordinates) {
    VK_CUBE c(-3, -2, 7, &bottom, &top, &side);
    c.Draw();
    Texts got = fake::texts();
    EXPECT_EQ(got, expectedDraw(-3, -2, 7, false));
    // Top face in the plane y = -1.
    Texts topFace(got.begin() + 14, got.begin() + 26);
    EXPECT_EQ(topFace[0], "glBindTexture(GL_TEXTURE_2D, 22)");
    EXPECT_EQ(topFace[4], "glVertex3f(-3, -1, 7)");
    EXPECT_EQ(topFace[10], "glVertex3f(-3, -1, 8)");
}

TEST_F(CubeCalls, BlendedDrawTurnsBlendOnAndLeavesDepthAlone) {
    VK_CUBE c(1, 2, 3, &bottom, &top, &side);
    c.blended = true;
    c.Draw();
    EXPECT_EQ(fake::texts(), expectedDraw(1, 2, 3, true));
    EXPECT_TRUE(fake::isEnabled(GL_BLEND));
    EXPECT_EQ(fake::blendSrc, GLenum(GL_SRC_ALPHA));
    EXPECT_EQ(fake::blendDst, GLenum(GL_ONE_MINUS_SRC_ALPHA));
    EXPECT_EQ(fake::count("glDisable"), 0u);

    // A following opaque cube turns blending off again.
    VK_CUBE opaque(0, 0, 0, &bottom, &top, &side);
    opaque.Draw();
    EXPECT_FALSE(fake::isEnabled(GL_BLEND));
}

TEST_F(CubeCalls, MakeListRecordsEveryFaceWithItsBindAndDrawsNothing) {
    VK_CUBE c(2, 3, 4, &bottom, &top, &side);
    c.SetList(99);
    unsigned name = c.MakeList();
    EXPECT_EQ(name, 1u);
    EXPECT_EQ(c.displayList, 99u);

    Texts expected{"glGenLists(1)", "glNewList(1, GL_COMPILE)"};
    for (int i = 0; i < 6; i++) appendFace(expected, i, 2, 3, 4, true);
    expected.push_back("glEndList()");
    EXPECT_EQ(fake::texts(), expected);

    // Everything between glNewList and glEndList is recorded, not drawn.
    const auto& calls = fake::calls();
    for (size_t i = 2; i + 1 < calls.size(); i++) EXPECT_TRUE(calls[i].inList) << calls[i].text;
    EXPECT_EQ(fake::count("glBlendFunc") + fake::count("glEnable") + fake::count("glDisable"), 0u);
    EXPECT_EQ(fake::boundTexture, 0u);

    // Moving the cube and recording again gives a new list at the new place.
    c.x = 0;
    fake::clearCalls();
    unsigned second = c.MakeList();
    EXPECT_NE(second, name);
    EXPECT_EQ(c.displayList, 99u);
    EXPECT_EQ(fake::texts("glVertex3f").front(), "glVertex3f(0, 3, 5)");
}

TEST_F(CubeCalls, DrawSReplaysTheListInEyeSpace) {
    VK_CUBE c(1, 0, -5, &bottom, &top, &side);
    c.SetList(7);
    c.DrawS();
    EXPECT_EQ(fake::texts(), (Texts{"glPushMatrix()", "glLoadIdentity()", "glTranslatef(1, 0, -5)",
                                    "glCallList(7)", "glPopMatrix()"}));

    fake::clearCalls();
    c.SetList(8);
    c.x = -2.5f;
    c.DrawS();
    EXPECT_EQ(fake::texts("glTranslatef"), Texts{"glTranslatef(-2.5, 0, -5)"});
    EXPECT_EQ(fake::texts("glCallList"), Texts{"glCallList(8)"});
}

// Mended: a cube without textures binds name 0 instead of crashing.
TEST_F(CubeCalls, MissingTexturesBindNameZero) {
    const unsigned none[3] = {0, 0, 0};
    VK_CUBE c;
    c.Draw();
    Texts expected{bind(0), "glDisable(GL_BLEND)", "glEnable(GL_DEPTH_TEST)"};
    appendFace(expected, 0, 0, 0, 0, false, none);
    for (int i = 1; i < 6; i++) appendFace(expected, i, 0, 0, 0, true, none);
    EXPECT_EQ(fake::texts(), expected);

    fake::clearCalls();
    VK_CUBE partial(0, 0, 0, &bottom, nullptr, &side);
    partial.MakeList();
    EXPECT_EQ(fake::texts("glBindTexture"),
              (Texts{bind(11), bind(0), bind(33), bind(33), bind(33), bind(33)}));
}

TEST_F(CubeCalls, DeletingThroughTheBaseLeavesTexturesAlone) {
    VK_PRIMITIVE* p = new VK_CUBE(0, 0, 0, &bottom, &top, &side);
    delete p;  // the box is freed once (ASan builds check this)
    EXPECT_EQ(bottom.texID, 11u);
    EXPECT_EQ(fake::count("glDeleteTextures"), 0u);
}
