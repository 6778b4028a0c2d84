#include "expected_calls.h"
#include "../fake/fake.h"
#include "engine/vaskel_texture.h"
#include "scratch_dir.h"
#include "tga_bytes.h"

#include <gtest/gtest.h>

// The whole quad, from the ortho switch back to the perspective; texture
// row 0 runs along the bottom edge, negative positions stay off screen.
TEST(Sprite, DrawSendsOneQuadBetweenOrthoAndPerspective) {
    const struct {
        unsigned tex, w, h;
        int x, y;
    } cases[] = {{7, 16, 16, 312, 232}, {7, 16, 16, -40, -50}, {7, 16, 16, -8, 470}, {0, 0, 0, 100, 50}};
    for (const auto& c : cases) {
        fake::reset();
        fake::enabled.insert(GL_BLEND);
        VK_SPRITE s;
        s.texID = c.tex;
        s.width = c.w;
        s.height = c.h;
        s.Draw(c.x, c.y);
        auto vertex = [](int x, int y) { return "glVertex2f(" + std::to_string(x) + ", " + std::to_string(y) + ")"; };
        const int l = c.x, t = c.y, r = c.x + int(c.w), b = c.y + int(c.h);
        Texts expected = resizeCalls("640, 480", "glOrtho(0, 640, 480, 0, -1, 1)");
        Texts quad = {"glDisable(GL_DEPTH_TEST)", "glBindTexture(GL_TEXTURE_2D, " + std::to_string(c.tex) + ")",
                      "glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)", "glEnable(GL_BLEND)",
                      "glBegin(GL_QUADS)", "glTexCoord2f(0, 0)", vertex(l, b), "glTexCoord2f(1, 0)", vertex(r, b),
                      "glTexCoord2f(1, 1)", vertex(r, t), "glTexCoord2f(0, 1)", vertex(l, t), "glEnd()",
                      "glDisable(GL_BLEND)", "glEnable(GL_DEPTH_TEST)"};
        Texts back = resizeCalls("640, 480", kPerspective640);
        expected.insert(expected.end(), quad.begin(), quad.end());
        expected.insert(expected.end(), back.begin(), back.end());
        EXPECT_EQ(fake::texts(), expected) << "at " << c.x << ", " << c.y;
    }
}

TEST(Sprite, AresizeTakesHeightZeroAsOneAndUnknownModesAsIdentity) {
    const struct {
        float w, h;
        int mode;
        Texts calls;
    } cases[] = {
        {640, 0, RES_ORTHO, resizeCalls("640, 1", "glOrtho(0, 640, 1, 0, -1, 1)")},
        {640, 480, RES_PERSPECTIVE, resizeCalls("640, 480", kPerspective640)},
        {800.9f, 600.7f, 7, resizeCalls("800, 600", "")},
    };
    for (const auto& c : cases) {
        fake::reset();
        aresize(c.w, c.h, static_cast<res_mode>(c.mode));
        EXPECT_EQ(fake::texts(), c.calls) << c.mode;
    }
}

// A refused Targa keeps its header's size in a plain texture, but a sprite
// made from it must not draw a huge untextured block: it ends up blank.
TEST(Sprite, RefusedTargaLeavesABlankSprite) {
    WorkDir dir;
    writeFile("huge.tga", tgaHeader(65535, 65535, 32) + "short");
    writeFile("ok.tga", tgaFile(16, 8, 32));
    fake::reset();
    VK_SPRITE huge("huge.tga", true);
    EXPECT_EQ(huge.texID, 0u);
    EXPECT_EQ(huge.width, 0u);
    EXPECT_EQ(huge.height, 0u);
    VK_SPRITE ok("ok.tga", true);
    EXPECT_NE(ok.texID, 0u);
    EXPECT_EQ(ok.width, 16u);
    EXPECT_EQ(ok.height, 8u);
}
