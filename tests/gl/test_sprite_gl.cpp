#include "../unit/tga_bytes.h"
#include "engine/vaskel_texture.h"
#include "gl_env.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <fstream>

namespace {

// A 32-bit Targa whose texel (x, row) has colour texel(x, row); row 0 is the
// first row in the file.
std::array<int, 4> texel(unsigned x, unsigned row) {
    return {int(x * 15 + 10), int(row * 15 + 10), 200, 255};
}

std::string spriteTga(unsigned w, unsigned h, int alpha = -1) {
    std::string f = tgaHeader(w, h, 32);
    for (unsigned row = 0; row < h; row++)
        for (unsigned x = 0; x < w; x++) {
            auto c = texel(x, row);
            f += {char(c[2]), char(c[1]), char(c[0]), char(alpha < 0 ? c[3] : alpha)};
        }
    return f;
}

class SpriteGL : public ::testing::Test {
protected:
    void SetUp() override {
        gltest::resetState();
        glEnable(GL_TEXTURE_2D);  // the game's start-up does this, not Draw
    }
    void TearDown() override { gltest::resetState(); }

    static void write(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }
};

}  // namespace

TEST_F(SpriteGL, CrosshairShowsItsTexelsCentredWithFirstRowAtTheBottom) {
    write("cross.tga", spriteTga(16, 16));
    VK_SPRITE s("./cross.tga", true);
    ASSERT_NE(s.texID, 0u);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    s.Draw(312, 232);

    for (unsigned row = 0; row < 16; row++)
        for (unsigned x = 0; x < 16; x++) {
            auto want = texel(x, row);
            auto got = gltest::pixel(int(312 + x), int(232 + 15 - row));
            ASSERT_EQ(got, (std::array<int, 3>{want[0], want[1], want[2]})) << "texel " << x << "," << row;
        }
    for (auto [x, y] : {std::pair{311, 240}, {328, 240}, {320, 231}, {320, 248}})
        EXPECT_EQ(gltest::pixel(x, y), (std::array<int, 3>{0, 0, 0})) << x << "," << y;

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(SpriteGL, HalfTransparentSpriteBlendsWithTheBackground) {
    write("half.tga", spriteTga(8, 8, 128));
    VK_SPRITE s("./half.tga", true);
    glClearColor(0, 0, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    s.Draw(100, 100);
    auto want = texel(3, 4);
    auto got = gltest::pixel(103, 100 + 7 - 4);
    const double a = 128.0 / 255.0;
    EXPECT_NEAR(got[0], want[0] * a, 2);
    EXPECT_NEAR(got[1], want[1] * a, 2);
    EXPECT_NEAR(got[2], want[2] * a + 255 * (1 - a), 2);

    // The current colour's alpha fades it further (the splash logo).
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1, 1, 1, 0);
    s.Draw(100, 100);
    EXPECT_EQ(gltest::pixel(103, 103), (std::array<int, 3>{0, 0, 255}));
}

TEST_F(SpriteGL, SpritesOffTheTopLeftDrawNothingAndEdgesClip) {
    write("cross.tga", spriteTga(16, 16));
    VK_SPRITE s("./cross.tga", true);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    s.Draw(-40, 100);
    s.Draw(100, -40);
    s.Draw(-40, -40);
    std::vector<unsigned char> screen = gltest::readScreen();
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 0), long(screen.size())) << "something was drawn";

    s.Draw(-8, 0);  // the right half shows at the left edge
    auto want = texel(8, 15);
    EXPECT_EQ(gltest::pixel(0, 0), (std::array<int, 3>{want[0], want[1], want[2]}));
    EXPECT_EQ(gltest::pixel(8, 0), (std::array<int, 3>{0, 0, 0}));
}
