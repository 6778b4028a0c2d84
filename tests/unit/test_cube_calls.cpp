// Exact GL traffic of the cube, checked against the recording stand-ins.
#include <gtest/gtest.h>

#include "expected_calls.h"
#include "../fake/fake.h"
#include "engine/vaskel_primitives.h"
#include "engine/vaskel_texture.h"

#include <string>
#include <vector>

namespace {

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
const unsigned kNoTex[3] = {0, 0, 0};

std::string bind(unsigned name) { return "glBindTexture(GL_TEXTURE_2D, " + std::to_string(name) + ")"; }

// The six faces at integer position (x, y, z), each after its bind.
Texts faces(int x, int y, int z, const unsigned* names = kTexName) {
    Texts out;
    for (const Face& f : kExpectedFaces) {
        out.push_back(bind(names[f.tex]));
        out.push_back("glBegin(GL_QUADS)");
        out.push_back(std::string("glNormal3f(") + f.normal + ")");
        for (const Corner& c : f.c) {
            out.push_back(std::string("glTexCoord2f(") + c.st + ")");
            out.push_back("glVertex3f(" + std::to_string(x + c.ox) + ", " + std::to_string(y + c.oy) + ", " +
                          std::to_string(z + c.oz) + ")");
        }
        out.push_back("glEnd()");
    }
    return out;
}

// Draw binds the bottom texture once, before the blend state.
Texts expectedDraw(int x, int y, int z, bool blended, const unsigned* names = kTexName) {
    Texts all = faces(x, y, z, names);
    Texts out{all[0]};
    if (blended)
        out.insert(out.end(), {"glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)", "glEnable(GL_BLEND)"});
    else
        out.insert(out.end(), {"glDisable(GL_BLEND)", "glEnable(GL_DEPTH_TEST)"});
    out.insert(out.end(), all.begin() + 1, all.end());
    return out;
}

Texts expectedList(unsigned name, int x, int y, int z) {
    Texts out = faces(x, y, z);
    out.insert(out.begin(), {"glGenLists(1)", "glNewList(" + std::to_string(name) + ", GL_COMPILE)"});
    out.push_back("glEndList()");
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

TEST_F(CubeCalls, DrawSendsTheFaceTableAtItsPositionWithBlendOrDepthState) {
    const struct {
        int x, y, z;
        bool blended;
    } cases[] = {{0, 0, 0, false}, {-3, -2, 7, false}, {1, 2, 3, true}, {0, 0, 0, false}};
    for (const auto& c : cases) {
        fake::clearCalls();
        VK_CUBE cube(float(c.x), float(c.y), float(c.z), &bottom, &top, &side);
        cube.blended = c.blended;
        cube.Draw();
        EXPECT_EQ(fake::texts(), expectedDraw(c.x, c.y, c.z, c.blended)) << c.x << ", " << c.y << ", " << c.z;
        EXPECT_EQ(fake::isEnabled(GL_BLEND), c.blended);  // an opaque cube after a blended one turns it off
    }
}

TEST_F(CubeCalls, MakeListRecordsEveryFaceWithItsBindAndDrawsNothing) {
    VK_CUBE c(2, 3, 4, &bottom, &top, &side);
    c.SetList(99);
    EXPECT_EQ(c.MakeList(), 1u);
    EXPECT_EQ(fake::texts(), expectedList(1, 2, 3, 4));
    const auto& calls = fake::calls();
    for (size_t i = 2; i + 1 < calls.size(); i++) EXPECT_TRUE(calls[i].inList) << calls[i].text;
    EXPECT_EQ(fake::boundTexture, 0u);

    // Moved and recorded again: a new list at the new place.
    c.x = 0;
    fake::clearCalls();
    EXPECT_EQ(c.MakeList(), 2u);
    EXPECT_EQ(fake::texts(), expectedList(2, 0, 3, 4));
    EXPECT_EQ(c.displayList, 99u);
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
    EXPECT_EQ(fake::texts(), (Texts{"glPushMatrix()", "glLoadIdentity()", "glTranslatef(-2.5, 0, -5)",
                                    "glCallList(8)", "glPopMatrix()"}));
}

// Mended: a cube without textures binds name 0 instead of crashing.
TEST_F(CubeCalls, MissingTexturesBindNameZero) {
    VK_CUBE none;
    none.Draw();
    EXPECT_EQ(fake::texts(), expectedDraw(0, 0, 0, false, kNoTex));

    fake::clearCalls();
    VK_CUBE partial(0, 0, 0, &bottom, nullptr, &side);
    partial.MakeList();
    EXPECT_EQ(fake::texts("glBindTexture"), (Texts{bind(11), bind(0), bind(33), bind(33), bind(33), bind(33)}));
}
