// The overlay pass: the logo's timeline, the projection switch and the GL
// state the pass leaves for the next frame's world.
#include "game_test_env.h"

#include <algorithm>

using namespace gametest;

namespace {

const unsigned CURSOR_TEX = 5;
const unsigned LOGO_TEX = 6;
const char* const PERSPECTIVE_45 = "gluPerspective(45, 1.3333333730697632, 0.1, 100)";

class HudTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        forgetGame();
        tCursor = sprite(CURSOR_TEX, 16, 16);
        sprLogo = sprite(LOGO_TEX, 64, 32);
        splashtimer = 60;
        splashalpha = 1.0f;
        fake::enabled.insert(GL_LIGHTING);
    }
    void TearDown() override {
        delete tCursor;
        delete sprLogo;
        forgetGame();
    }

    static VK_SPRITE* sprite(unsigned tex, unsigned w, unsigned h) {
        VK_SPRITE* s = new VK_SPRITE();
        s->texID = tex;
        s->width = w;
        s->height = h;
        return s;
    }

    // One overlay pass; returns how many times the logo was drawn in it.
    size_t frame() {
        fake::clearCalls();
        DrawOverlay();
        size_t n = 0;
        for (const std::string& t : fake::texts())
            n += t == "glBindTexture(GL_TEXTURE_2D, " + std::to_string(LOGO_TEX) + ")";
        return n;
    }
};

std::vector<std::string> slice(const std::vector<std::string>& v, size_t from, size_t n) {
    if (from + n > v.size()) return {};
    return std::vector<std::string>(v.begin() + long(from), v.begin() + long(from + n));
}

TEST_F(HudTest, LogoShowsAtFullStrengthForSixtyFrames) {
    EXPECT_EQ(frame(), 1u);
    EXPECT_EQ(splashtimer, 59);
    EXPECT_EQ(splashalpha, 1.0f);
    EXPECT_EQ(fake::count("glColor4f"), 0u);  // drawn with the frame's opaque white
    for (int f = 2; f <= 60; f++) ASSERT_EQ(frame(), 1u) << "frame " << f;
    EXPECT_EQ(splashtimer, 0);
    EXPECT_EQ(splashalpha, 1.0f);
}

TEST_F(HudTest, FadeStepIsTheDoubleConstantRoundedToFloat) {
    splashtimer = 0;  // frame 61
    EXPECT_EQ(frame(), 1u);
    const float expected = float(1.0f - 0.04);
    EXPECT_EQ(splashalpha, expected);
    EXPECT_EQ(fake::texts("glColor4f"),
              std::vector<std::string>({"glColor4f(1, 1, 1, 0.96)", "glColor4f(1, 1, 1, 1)"}));
    // The fading colour is in force around the logo's quad only.
    std::vector<std::string> all = fake::texts();
    auto at = [&](const std::string& t) { return std::find(all.begin(), all.end(), t) - all.begin(); };
    EXPECT_LT(at("glColor4f(1, 1, 1, 0.96)"), at("glBindTexture(GL_TEXTURE_2D, 6)"));
    EXPECT_LT(at("glBindTexture(GL_TEXTURE_2D, 6)"), at("glColor4f(1, 1, 1, 1)"));
    for (float c : fake::color) EXPECT_EQ(c, 1.0f);
}

TEST_F(HudTest, FadeLastsTwentyFiveFramesThenTheLogoIsGone) {
    splashtimer = 0;
    int fading = 0;
    while (splashalpha > 0 && fading < 100) fading += int(frame());
    EXPECT_EQ(fading, 25);  // frames 61 to 85
    EXPECT_LE(splashalpha, 0.0f);
    const float frozen = splashalpha;
    for (int f = 0; f < 3; f++) {
        EXPECT_EQ(frame(), 0u);
        EXPECT_EQ(fake::count("glColor4f"), 0u);
        EXPECT_EQ(splashalpha, frozen);
        EXPECT_EQ(splashtimer, 0);
    }
}

TEST_F(HudTest, CrosshairIsDrawnCentredEveryFrame) {
    for (int phase : {60, 0, -1}) {
        splashtimer = phase;
        if (phase < 0) splashalpha = 0;
        frame();
        EXPECT_EQ(fake::count("glBindTexture"), size_t(1 + (phase >= 0))) << phase;
        std::vector<std::string> v = fake::texts("glVertex2f");
        ASSERT_GE(v.size(), 4u);
        EXPECT_EQ(v[0], "glVertex2f(312, 248)");
        EXPECT_EQ(v[2], "glVertex2f(328, 232)");
    }
}

TEST_F(HudTest, OverlayRunsUnlitInScreenSpaceAndRestoresThePerspective) {
    frame();
    std::vector<std::string> all = fake::texts();
    EXPECT_EQ(slice(all, 0, 8),
              std::vector<std::string>({"glViewport(0, 0, 640, 480)", "glMatrixMode(GL_PROJECTION)",
                                        "glLoadIdentity()", "glOrtho(0, 640, 480, 0, -1, 1)",
                                        "glMatrixMode(GL_MODELVIEW)", "glLoadIdentity()",
                                        "glLoadIdentity()", "glDisable(GL_LIGHTING)"}));
    ASSERT_GE(all.size(), 8u);
    EXPECT_EQ(slice(all, all.size() - 8, 8),
              std::vector<std::string>({"glViewport(0, 0, 640, 480)", "glMatrixMode(GL_PROJECTION)",
                                        "glLoadIdentity()", PERSPECTIVE_45,
                                        "glMatrixMode(GL_MODELVIEW)", "glLoadIdentity()",
                                        "glEnable(GL_LIGHTING)", "glLoadIdentity()"}));
    // Nothing between the two switches turns lighting back on.
    for (size_t i = 8; i + 8 < all.size(); i++) EXPECT_NE(all[i], "glEnable(GL_LIGHTING)");
    EXPECT_TRUE(fake::isEnabled(GL_LIGHTING));
    EXPECT_EQ(fake::matrixMode, GLenum(GL_MODELVIEW));
}

// ---- sresize ----

TEST(Sresize, ZeroHeightIsTakenAsOne) {
    fake::reset();
    sresize(640, 0, SR_ORTHO);
    EXPECT_EQ(fake::texts(),
              std::vector<std::string>({"glViewport(0, 0, 640, 1)", "glMatrixMode(GL_PROJECTION)",
                                        "glLoadIdentity()", "glOrtho(0, 640, 1, 0, -1, 1)",
                                        "glMatrixMode(GL_MODELVIEW)", "glLoadIdentity()"}));
    fake::clearCalls();
    sresize(640, 0, SR_PERSPECTIVE);
    EXPECT_EQ(fake::texts("gluPerspective"), std::vector<std::string>({"gluPerspective(45, 640, 0.1, 100)"}));
}

TEST(Sresize, UnknownModeLeavesBothMatricesAtIdentity) {
    fake::reset();
    sresize(640, 480, sr_mode(2));
    EXPECT_EQ(fake::texts(),
              std::vector<std::string>({"glViewport(0, 0, 640, 480)", "glMatrixMode(GL_PROJECTION)",
                                        "glLoadIdentity()", "glMatrixMode(GL_MODELVIEW)",
                                        "glLoadIdentity()"}));
}

TEST(Sresize, ViewportTruncatesButTheAspectUsesTheFloats) {
    fake::reset();
    sresize(100.9f, 50.5f, SR_PERSPECTIVE);
    EXPECT_EQ(fake::texts("glViewport"), std::vector<std::string>({"glViewport(0, 0, 100, 50)"}));
    ASSERT_EQ(fake::count("gluPerspective"), 1u);
    EXPECT_EQ(fake::calls()[3].args[1], double(100.9f / 50.5f));
}

}  // namespace
