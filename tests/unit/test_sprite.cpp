#include "../fake/fake.h"
#include "engine/vaskel_texture.h"

#include <gtest/gtest.h>

namespace {

class Sprite : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }

    // A sprite of the given size bound to texture name 7, as LoadTGA leaves it.
    static void shape(VK_SPRITE& s, unsigned w, unsigned h) {
        s.texID = 7;
        s.width = w;
        s.height = h;
    }

    // The four glVertex2f corners Draw emitted, as (x, y) pairs.
    static std::vector<std::pair<double, double>> corners() {
        std::vector<std::pair<double, double>> v;
        for (const fake::Call& c : fake::calls())
            if (c.name == "glVertex2f") v.emplace_back(c.args[0], c.args[1]);
        return v;
    }
};

const std::vector<std::string> kOrtho640 = {
    "glViewport(0, 0, 640, 480)", "glMatrixMode(GL_PROJECTION)", "glLoadIdentity()",
    "glOrtho(0, 640, 480, 0, -1, 1)", "glMatrixMode(GL_MODELVIEW)", "glLoadIdentity()",
};
const std::vector<std::string> kPerspective640 = {
    "glViewport(0, 0, 640, 480)", "glMatrixMode(GL_PROJECTION)", "glLoadIdentity()",
    "gluPerspective(45, 1.3333333730697632, 0.1, 100)", "glMatrixMode(GL_MODELVIEW)", "glLoadIdentity()",
};

}  // namespace

TEST_F(Sprite, DrawCentredCrosshairEmitsTheExactQuadAndState) {
    VK_SPRITE s;
    shape(s, 16, 16);
    fake::enabled.insert(GL_BLEND);
    s.Draw(312, 232);

    std::vector<std::string> expected = kOrtho640;
    for (const char* line : {
             "glDisable(GL_DEPTH_TEST)", "glBindTexture(GL_TEXTURE_2D, 7)",
             "glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)", "glEnable(GL_BLEND)", "glBegin(GL_QUADS)",
             "glTexCoord2f(0, 0)", "glVertex2f(312, 248)",  // bottom left: texture row 0 at the bottom
             "glTexCoord2f(1, 0)", "glVertex2f(328, 248)",  //
             "glTexCoord2f(1, 1)", "glVertex2f(328, 232)",  //
             "glTexCoord2f(0, 1)", "glVertex2f(312, 232)",  //
             "glEnd()", "glDisable(GL_BLEND)", "glEnable(GL_DEPTH_TEST)"})
        expected.push_back(line);
    expected.insert(expected.end(), kPerspective640.begin(), kPerspective640.end());
    EXPECT_EQ(fake::texts(), expected);

    EXPECT_TRUE(fake::isEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(fake::isEnabled(GL_BLEND));
    EXPECT_EQ(fake::boundTexture, 7u);
    EXPECT_EQ(fake::matrixMode, GLenum(GL_MODELVIEW));
    EXPECT_EQ(fake::count("glColor4f") + fake::count("glColor3f"), 0u);  // the caller's colour tints it
}

TEST_F(Sprite, BlankSpriteDrawsDegenerateQuadButStillSwitchesState) {
    VK_SPRITE s;
    s.Draw(100, 50);
    auto c = corners();
    ASSERT_EQ(c.size(), 4u);
    for (auto [x, y] : c) {
        EXPECT_EQ(x, 100);
        EXPECT_EQ(y, 50);
    }
    EXPECT_EQ(fake::texts("glBindTexture"), std::vector<std::string>{"glBindTexture(GL_TEXTURE_2D, 0)"});
    EXPECT_TRUE(fake::isEnabled(GL_DEPTH_TEST));
}

TEST_F(Sprite, NegativePositionsStayOffScreenNotStretched) {
    VK_SPRITE s;
    shape(s, 16, 16);
    s.Draw(-40, -50);
    auto c = corners();
    ASSERT_EQ(c.size(), 4u);
    for (auto [x, y] : c) {
        EXPECT_LE(x, -24);
        EXPECT_LE(y, -34);
    }
    EXPECT_EQ(c[1], std::make_pair(-24.0, -34.0));
    EXPECT_EQ(c[3], std::make_pair(-40.0, -50.0));

    fake::clearCalls();
    s.Draw(-8, 470);  // cut off at the left and bottom edges
    c = corners();
    EXPECT_EQ(c[0], std::make_pair(-8.0, 486.0));
    EXPECT_EQ(c[2], std::make_pair(8.0, 470.0));
}

TEST_F(Sprite, AresizeModes) {
    aresize(640, 0, RES_ORTHO);
    EXPECT_EQ(fake::texts(), (std::vector<std::string>{"glViewport(0, 0, 640, 1)", "glMatrixMode(GL_PROJECTION)",
                                                       "glLoadIdentity()", "glOrtho(0, 640, 1, 0, -1, 1)",
                                                       "glMatrixMode(GL_MODELVIEW)", "glLoadIdentity()"}));

    fake::clearCalls();
    aresize(800.9f, 600.7f, static_cast<res_mode>(7));
    EXPECT_EQ(fake::texts(), (std::vector<std::string>{"glViewport(0, 0, 800, 600)", "glMatrixMode(GL_PROJECTION)",
                                                       "glLoadIdentity()", "glMatrixMode(GL_MODELVIEW)",
                                                       "glLoadIdentity()"}));

    fake::clearCalls();
    aresize(640, 480, RES_PERSPECTIVE);
    EXPECT_EQ(fake::texts(), kPerspective640);
    EXPECT_EQ(fake::calls()[3].args[1], double(640.0f / 480.0f));
}
