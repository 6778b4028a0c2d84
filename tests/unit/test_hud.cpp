// The overlay pass: the logo's timeline, the projection switch and the GL
// state the pass leaves for the next frame's world.
#include "expected_calls.h"
#include "game_test_env.h"

#include <algorithm>

using namespace gametest;

namespace {

const char* const kLogoBind = "glBindTexture(GL_TEXTURE_2D, 6)";

class HudTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        forgetGame();
        cursor.texID = 5;
        cursor.width = cursor.height = 16;
        logo.texID = 6;
        logo.width = 64;
        logo.height = 32;
        tCursor = &cursor;
        sprLogo = &logo;
        splashtimer = 60;
        splashalpha = 1.0f;
        fake::enabled.insert(GL_LIGHTING);
    }
    void TearDown() override { forgetGame(); }
    // One overlay pass, its calls left in calls; the crosshair is drawn
    // centred every time.
    void frame() {
        fake::clearCalls();
        DrawOverlay();
        calls = fake::texts();
        Texts v = fake::texts("glVertex2f");
        ASSERT_GE(v.size(), 4u);
        EXPECT_EQ(v[0], "glVertex2f(312, 248)");
        EXPECT_EQ(v[2], "glVertex2f(328, 232)");
    }
    size_t count(const std::string& text) const { return size_t(std::count(calls.begin(), calls.end(), text)); }
    VK_SPRITE cursor, logo;
    Texts calls;
};

}  // namespace

TEST_F(HudTest, LogoShowsSixtyFramesThenFadesForTwentyFiveAndIsGone) {
    for (int f = 1; f <= 60; f++) {
        frame();
        ASSERT_EQ(count(kLogoBind), 1u) << "frame " << f;
        ASSERT_EQ(fake::count("glColor4f"), 0u);  // drawn with the frame's opaque white
        ASSERT_EQ(splashtimer, 60 - f);
        ASSERT_EQ(splashalpha, 1.0f);
    }
    // Frame 61: the double step rounded to float, in force around the logo only.
    frame();
    EXPECT_EQ(splashalpha, float(1.0f - 0.04));
    EXPECT_EQ(fake::texts("glColor4f"), (Texts{"glColor4f(1, 1, 1, 0.96)", "glColor4f(1, 1, 1, 1)"}));
    auto at = [&](const std::string& t) { return std::find(calls.begin(), calls.end(), t) - calls.begin(); };
    EXPECT_LT(at("glColor4f(1, 1, 1, 0.96)"), at(kLogoBind));
    EXPECT_LT(at(kLogoBind), at("glColor4f(1, 1, 1, 1)"));
    int fading = 1;
    for (; splashalpha > 0 && fading < 100; fading++) frame();
    EXPECT_EQ(fading, 25);  // frames 61 to 85
    const float frozen = splashalpha;
    for (int f = 0; f < 3; f++) {
        frame();
        EXPECT_EQ(count(kLogoBind) + fake::count("glColor4f"), 0u);
        EXPECT_EQ(splashalpha, frozen);
        EXPECT_EQ(splashtimer, 0);
    }
}

TEST_F(HudTest, OverlayRunsUnlitInScreenSpaceAndRestoresThePerspective) {
    frame();
    Texts head = resizeCalls("640, 480", "glOrtho(0, 640, 480, 0, -1, 1)");
    head.push_back("glLoadIdentity()");
    head.push_back("glDisable(GL_LIGHTING)");
    Texts tail = resizeCalls("640, 480", kPerspective640);
    tail.push_back("glEnable(GL_LIGHTING)");
    tail.push_back("glLoadIdentity()");
    ASSERT_GE(calls.size(), 16u);
    EXPECT_EQ(Texts(calls.begin(), calls.begin() + 8), head);
    EXPECT_EQ(Texts(calls.end() - 8, calls.end()), tail);
    EXPECT_EQ(count("glEnable(GL_LIGHTING)"), 1u);  // not before the end
    EXPECT_TRUE(fake::isEnabled(GL_LIGHTING));
    EXPECT_EQ(fake::matrixMode, GLenum(GL_MODELVIEW));
}

TEST(Sresize, TakesHeightZeroAsOneAndUnknownModesAsIdentity) {
    const struct {
        float h;
        int mode;
        Texts calls;
    } cases[] = {
        {0, SR_ORTHO, resizeCalls("640, 1", "glOrtho(0, 640, 1, 0, -1, 1)")},
        {0, SR_PERSPECTIVE, resizeCalls("640, 1", "gluPerspective(45, 640, 0.1, 100)")},
        {480, 2, resizeCalls("640, 480", "")},
    };
    for (const auto& c : cases) {
        fake::reset();
        sresize(640, c.h, sr_mode(c.mode));
        EXPECT_EQ(fake::texts(), c.calls) << c.mode;
    }
}
