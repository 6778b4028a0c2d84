#include "../unit/tga_bytes.h"
#include "engine/vaskel_texture.h"
#include "gl_env.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using RGB = std::array<int, 3>;

// Texel (x, row) of the test sprites, row 0 being the first in the file.
RGB texel(unsigned x, unsigned row) { return {int(x * 15 + 10), int(row * 15 + 10), 200}; }

// A w x h 32-bit Targa of texel() colours and the given alpha, loaded as a sprite.
void loadSprite(VK_SPRITE& s, unsigned w, unsigned h, int alpha) {
    std::string f = tgaHeader(w, h, 32);
    for (unsigned row = 0; row < h; row++)
        for (unsigned x = 0; x < w; x++) {
            RGB c = texel(x, row);
            f += {char(c[2]), char(c[1]), char(c[0]), char(alpha)};
        }
    std::ofstream("sprite.tga", std::ios::binary) << f;
    ASSERT_TRUE(s.LoadTGA("./sprite.tga"));
}

class SpriteGL : public ::testing::Test {
protected:
    void SetUp() override {
        gltest::resetState();
        glEnable(GL_TEXTURE_2D);  // the game's start-up does this, not Draw
    }
    void TearDown() override { gltest::resetState(); }
};

}  // namespace

TEST_F(SpriteGL, TexelsLandAtThePositionWithTheFirstRowAtTheBottom) {
    VK_SPRITE s;
    loadSprite(s, 16, 16, 255);
    s.Draw(312, 232);
    for (unsigned row = 0; row < 16; row++)
        for (unsigned x = 0; x < 16; x++)
            ASSERT_EQ(gltest::pixel(int(312 + x), int(232 + 15 - row)), texel(x, row)) << x << "," << row;
    for (auto [x, y] : {std::pair{311, 240}, {328, 240}, {320, 231}, {320, 248}})
        EXPECT_EQ(gltest::pixel(x, y), RGB{}) << x << "," << y;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

}

TEST_F(SpriteGL, AlphaBlendsWithTheBackgroundScaledByTheCurrentColour) {
    VK_SPRITE s;
    loadSprite(s, 8, 8, 128);
    glClearColor(0, 0, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    s.Draw(100, 100);
    RGB want = texel(3, 4), got = gltest::pixel(103, 100 + 7 - 4);
    const double a = 128.0 / 255.0;
    EXPECT_NEAR(got[0], want[0] * a, 2);
    EXPECT_NEAR(got[1], want[1] * a, 2);
    EXPECT_NEAR(got[2], want[2] * a + 255 * (1 - a), 2);

    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 1, 1, 0);  // as the splash logo fades
    s.Draw(100, 100);
    EXPECT_EQ(gltest::pixel(103, 103), (RGB{0, 0, 255}));
}

// Over GL's size limit the upload would fail and leave a white band on screen.
TEST_F(SpriteGL, ALogoWiderThanGlAllowsIsRefusedAndDrawsNothing) {
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    ASSERT_GT(limit, 0);
    const unsigned w = unsigned(limit) + 1;
    std::ofstream("wide.tga", std::ios::binary) << tgaFile(w, 2, 32);
    VK_SPRITE s("./wide.tga", true);
    EXPECT_EQ(s.texID, 0u);
    EXPECT_EQ(s.width + s.height, 0u);
    glColor4f(1, 1, 1, 1);
    s.Draw(0, 0);
    EXPECT_EQ(gltest::pixel(1, 0), RGB{});
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
