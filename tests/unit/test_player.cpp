// Player movement, mouse turning and the camera, checked bit-exactly
// against a small reference stepper written from the movement rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../fake/fake.h"
#include "game/game.h"

namespace {

const double PI_OVER_180 = 0.017453292519943295;

// The frame's vertical and angular rules, double arithmetic on float state.
struct Ref {
    float x = 0, y = 2, z = 0, yaw = 0, pitch = 0, mx = 0, my = 0, mz = 0;

    void frame() {
        if (mx > 0 && yaw < 360.0f) yaw = float(double(yaw) + double(mx));
        else if (yaw >= 360.0f) yaw = 1.0f;
        if (mx < 0 && yaw > 0.0f) yaw = float(double(yaw) + double(mx));
        else if (yaw <= 0.0f) yaw = 359.0f;
        if (my < 0 && pitch > -80.0f) pitch = float(double(pitch) + double(my));
        if (my > 0 && pitch < 46.0f) pitch = float(double(pitch) + double(my));
        if (mz > 0) {
            y = float(double(y) + double(mz));
            mz = float(double(mz) - 0.1);
        }
        if (mx > 0) mx = float(double(mx) - 0.5);
        if (mx < 0) mx = float(double(mx) + 0.5);
        if (my > 0) my = float(double(my) - 0.5);
        if (my < 0) my = float(double(my) + 0.5);
        bool inside = x > -32.0f && x < 32.0f && z > -32.0f && z < 32.0f;
        if (double(y) < -0.3 && inside && y > -3.0f) y = -0.3f;
        if (y > -64.0f) y = float(double(y) - 0.1);
    }
};

class Player : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        player_x = player_z = 0;
        player_y = 2.0f;
        yrot = xrot = mxvel = myvel = mzvel = 0;
        SwitchFlag = false;
        for (bool& k : Keys) k = false;
    }
    void TearDown() override {
        for (bool& k : Keys) k = false;
    }

    void load(const Ref& r) {
        player_x = r.x; player_y = r.y; player_z = r.z;
        yrot = r.yaw; xrot = r.pitch;
        mxvel = r.mx; myvel = r.my; mzvel = r.mz;
    }
    // Runs one PlayerStep and the reference side by side.
    void stepBoth(Ref& r) {
        PlayerStep();
        r.frame();
        ASSERT_EQ(player_y, r.y);
        ASSERT_EQ(yrot, r.yaw);
        ASSERT_EQ(xrot, r.pitch);
        ASSERT_EQ(mxvel, r.mx);
        ASSERT_EQ(myvel, r.my);
        ASSERT_EQ(mzvel, r.mz);
    }
    void stand() {
        player_y = -0.3f;
        PlayerStep();
        ASSERT_EQ(player_y, float(-0.3f - 0.1));
    }
    void mouse(int x, int y, int dx, int dy) {
        fake::mouseX = x;
        fake::mouseY = y;
        fake::relX = dx;
        fake::relY = dy;
        GameMouse();
    }
};

TEST_F(Player, FirstFrameWithoutInputFlipsHeadingAndFallsOneStep) {
    PlayerStep();
    EXPECT_EQ(yrot, 359.0f);
    EXPECT_EQ(player_y, float(2.0f - 0.1));
    EXPECT_EQ(xrot, 0.0f);
    EXPECT_EQ(mzvel, 0.0f);
}

TEST_F(Player, CameraOnFirstFrameLooksDownNegativeZ) {
    PlayerStep();
    fake::clearCalls();
    PlaceCamera();
    ASSERT_EQ(fake::calls().size(), 1u);
    const fake::Call& c = fake::calls()[0];
    ASSERT_EQ(c.name, "gluLookAt");
    double eyeY = double(float(2.0f - 0.1)) + 1.7;
    double yaw = 359.0 * PI_OVER_180;
    std::vector<double> expected{0, eyeY, 0, -std::sin(yaw), eyeY - std::tan(0.0), -std::cos(yaw), 0, 1, 0};
    EXPECT_EQ(c.args, expected);
    EXPECT_GT(c.args[3], 0.0);  // very slightly toward +x
    EXPECT_LT(c.args[5], -0.99);
}

// Notes where in the GL log the world was drawn.
struct MarkingCube : VK_CUBE {
    size_t drawnAt = 0;
    void Draw() override { drawnAt = fake::calls().size(); }
};

TEST_F(Player, GameDrawPlacesCameraThenWorldThenOverlay) {
    tCursor = new VK_SPRITE();
    sprLogo = new VK_SPRITE();
    splashtimer = 0;
    splashalpha = 0;
    auto* cube = new MarkingCube;
    lData[5] = cube;
    GameDraw();
    lData[5] = nullptr;
    EXPECT_EQ(yrot, 359.0f);
    EXPECT_EQ(player_y, float(2.0f - 0.1));

    std::vector<std::string> names;
    for (const fake::Call& c : fake::calls()) names.push_back(c.name);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "gluLookAt");
    EXPECT_EQ(fake::count("gluLookAt"), 1u);
    size_t firstOrtho = std::find(names.begin(), names.end(), "glOrtho") - names.begin();
    EXPECT_EQ(cube->drawnAt, 1u);
    EXPECT_LT(cube->drawnAt, firstOrtho);
    // The overlay leaves the perspective the next frame's world is drawn with.
    auto lastProjection = std::find_if(names.rbegin(), names.rend(), [](const std::string& n) {
        return n == "glOrtho" || n == "gluPerspective";
    });
    ASSERT_NE(lastProjection, names.rend());
    EXPECT_EQ(*lastProjection, "gluPerspective");
    delete cube;
    delete tCursor;
    delete sprLogo;
    tCursor = sprLogo = nullptr;
}

TEST_F(Player, FallFromStartReachesTheFloorAndStands) {
    Ref r;
    int frames = 0;
    while (player_y != float(-0.3f - 0.1) && frames < 100) {
        stepBoth(r);
        frames++;
    }
    EXPECT_GE(frames, 22);
    EXPECT_LE(frames, 25);
    for (int i = 0; i < 5; i++) {
        stepBoth(r);
        EXPECT_EQ(player_y, float(-0.3f - 0.1));
    }
}

TEST_F(Player, JumpRisesAboutOneAndAHalfAndLands) {
    stand();
    Keys[32] = true;
    GameKeyStep();
    Keys[32] = false;
    EXPECT_EQ(mzvel, 0.6f);

    Ref r;
    r.y = player_y;
    r.yaw = yrot;
    r.mz = 0.6f;
    const double rough[] = {0.1, 0.5, 0.8, 1.0, 1.1, 1.1};
    float peak = player_y;
    int frames = 0;
    for (; frames < 6; frames++) {
        stepBoth(r);
        peak = std::max(peak, player_y);
        EXPECT_NEAR(player_y, rough[frames], 1e-5) << "frame " << frames + 1;
    }
    while (player_y != float(-0.3f - 0.1) && frames < 60) {
        stepBoth(r);
        peak = std::max(peak, player_y);
        frames++;
    }
    EXPECT_NEAR(peak - float(-0.3f - 0.1), 1.5, 1e-5);
    EXPECT_GE(frames, 19);
    EXPECT_LE(frames, 22);
    EXPECT_NEAR(mzvel, -0.1, 1e-6);
    stepBoth(r);
    EXPECT_EQ(player_y, float(-0.3f - 0.1));
}

TEST_F(Player, SpaceInTheAirDoesNothingAndRestartsAfterLanding) {
    stand();
    Keys[32] = true;
    GameKeyStep();
    PlayerStep();
    int frames = 1;
    while (player_y > -0.3 && frames < 60) {
        float before = mzvel;
        GameKeyStep();
        EXPECT_EQ(mzvel, before) << "frame " << frames;
        PlayerStep();
        frames++;
    }
    ASSERT_LT(frames, 60);
    GameKeyStep();
    EXPECT_EQ(mzvel, 0.6f);
}

TEST_F(Player, KeysMoveRelativeToHeading) {
    struct Case {
        std::vector<int> keys;
        float yaw;
    };
    const Case cases[] = {
        {{'w'}, 0}, {{'s'}, 0}, {{'d'}, 0}, {{'a'}, 0}, {{'w'}, 37.5f},
        {{'w', 's'}, 0}, {{'w', 's'}, 37.5f}, {{'w', 'd'}, 0}, {{'s', 'a'}, 123},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.keys.size()) + " keys at yaw " + std::to_string(c.yaw));
        for (bool& k : Keys) k = false;
        player_x = 1.5f;
        player_z = -2.25f;
        yrot = c.yaw;
        double x = player_x, z = player_z;
        // Reference: each key in table order, each from the previous result.
        const int order[] = {'w', 's', 'd', 'a'};
        const double offset[] = {0, 0, -90, 90};
        const double sign[] = {-1, 1, -1, -1};
        for (int k : c.keys) Keys[k] = true;
        for (int i = 0; i < 4; i++) {
            if (!Keys[order[i]]) continue;
            double a = (double(c.yaw) + offset[i]) * PI_OVER_180;
            x = float(float(x) + sign[i] * 0.25 * std::sin(a));
            z = float(float(z) + sign[i] * 0.25 * std::cos(a));
        }
        GameKeyStep();
        EXPECT_EQ(player_x, float(x));
        EXPECT_EQ(player_z, float(z));
    }
}

TEST_F(Player, KeyDirectionsAtHeadingZero) {
    player_x = player_z = 0;
    Keys['w'] = true;
    GameKeyStep();
    EXPECT_EQ(player_x, 0.0f);
    EXPECT_EQ(player_z, -0.25f);

    player_z = 0;
    Keys['w'] = false;
    Keys['d'] = true;
    GameKeyStep();
    EXPECT_EQ(player_x, 0.25f);
    EXPECT_NEAR(player_z, 0.0, 1e-7);

    player_x = player_z = 0;
    Keys['w'] = Keys['s'] = true;
    Keys['d'] = false;
    GameKeyStep();
    EXPECT_EQ(player_x, 0.0f);
    EXPECT_EQ(player_z, 0.0f);

    player_x = player_z = 0;
    Keys['s'] = false;
    Keys['d'] = true;
    GameKeyStep();
    EXPECT_NEAR(std::hypot(player_x, player_z), 0.3536, 1e-4);
}

TEST_F(Player, MouseCountsOnlyTheSignOfMotion) {
    yrot = 10;
    mouse(300, 200, 100, 0);
    EXPECT_EQ(mxvel, -1.0f);
    mxvel = 0;
    mouse(300, 200, 1, 0);
    EXPECT_EQ(mxvel, -1.0f);

    PlayerStep();
    EXPECT_EQ(yrot, 9.0f);
    EXPECT_EQ(mxvel, -0.5f);
    PlayerStep();
    EXPECT_EQ(yrot, 8.5f);
    EXPECT_EQ(mxvel, 0.0f);
    PlayerStep();
    EXPECT_EQ(yrot, 8.5f);

    mouse(300, 200, -3, 5);
    EXPECT_EQ(mxvel, 1.0f);
    EXPECT_EQ(myvel, 1.0f);
    mouse(300, 200, 0, -7);
    EXPECT_EQ(myvel, 0.0f);
    EXPECT_TRUE(fake::texts("SDL_WarpMouse").empty());
}

TEST_F(Player, MouseVelocityStopsAtFour) {
    for (int i = 0; i < 6; i++) mouse(300, 200, 5, 5);
    EXPECT_EQ(mxvel, -4.0f);
    EXPECT_EQ(myvel, 4.0f);
    mxvel = -3.5f;
    myvel = 3.5f;
    mouse(300, 200, 5, 5);
    EXPECT_EQ(mxvel, -4.5f);
    EXPECT_EQ(myvel, 4.5f);
}

TEST_F(Player, EdgeWarpsIgnoreOnlyTheNextHorizontalMotion) {
    mouse(637, 120, 0, 0);
    mouse(2, 120, 0, 0);
    EXPECT_TRUE(fake::texts("SDL_WarpMouse").empty());
    EXPECT_FALSE(SwitchFlag);

    mouse(638, 120, 4, 0);
    EXPECT_EQ(mxvel, -1.0f);
    EXPECT_EQ(fake::texts("SDL_WarpMouse"), std::vector<std::string>{"SDL_WarpMouse(2, 120)"});
    EXPECT_TRUE(SwitchFlag);

    mouse(2, 130, -636, 3);  // the warp's own jump
    EXPECT_EQ(mxvel, -1.0f);
    EXPECT_EQ(myvel, 1.0f);
    EXPECT_FALSE(SwitchFlag);

    mouse(3, 130, -1, 0);
    EXPECT_EQ(mxvel, 0.0f);

    fake::clearCalls();
    mouse(1, 140, -2, 0);
    EXPECT_EQ(mxvel, 1.0f);
    EXPECT_EQ(fake::texts("SDL_WarpMouse"), std::vector<std::string>{"SDL_WarpMouse(637, 140)"});
    EXPECT_TRUE(SwitchFlag);
    mouse(637, 140, 636, -2);
    EXPECT_EQ(mxvel, 1.0f);
    EXPECT_EQ(myvel, 0.0f);
}

TEST_F(Player, PitchOvershootsItsLimitOnceAndStays) {
    xrot = -79;
    myvel = -4;
    PlayerStep();
    EXPECT_EQ(xrot, -83.0f);
    EXPECT_EQ(myvel, -3.5f);
    PlayerStep();
    EXPECT_EQ(xrot, -83.0f);

    xrot = 45;
    myvel = 4.5f;
    PlayerStep();
    EXPECT_EQ(xrot, 49.5f);
    PlayerStep();
    EXPECT_EQ(xrot, 49.5f);
}

TEST_F(Player, HeadingWrapsOneFrameLate) {
    yrot = 359.5f;
    mxvel = 1;
    PlayerStep();
    EXPECT_EQ(yrot, 360.5f);
    PlayerStep();
    EXPECT_EQ(yrot, 1.0f);

    yrot = 0.5f;
    mxvel = -1;
    PlayerStep();
    EXPECT_EQ(yrot, -0.5f);
    PlayerStep();
    EXPECT_EQ(yrot, 359.0f);
}

TEST_F(Player, WalkingOffTheSquareFallsToTheLimit) {
    stand();
    player_x = 31.9f;
    yrot = 270;
    Keys['w'] = true;
    GameKeyStep();
    Keys['w'] = false;
    EXPECT_EQ(player_x, float(31.9f + 0.25));
    EXPECT_NEAR(player_x, 32.15, 1e-5);

    Ref r;
    r.x = player_x;
    r.y = player_y;
    r.yaw = yrot;
    float last = player_y;
    for (int i = 0; i < 700; i++) {
        stepBoth(r);
        if (player_y > -63.9) {
            EXPECT_EQ(player_y, float(double(last) - 0.1)) << "frame " << i;
        }
        last = player_y;
    }
    EXPECT_LE(player_y, -64.0f);
    EXPECT_NEAR(player_y, -64.1, 0.01);
    PlayerStep();
    EXPECT_EQ(player_y, last);

    // Back inside the square far below: the floor no longer catches.
    player_x = 0;
    PlayerStep();
    EXPECT_EQ(player_y, last);
}

TEST_F(Player, WalkingBackInAboveMinusThreeLandsAtOnce) {
    stand();
    player_x = 32.15f;
    for (int i = 0; i < 5; i++) PlayerStep();
    EXPECT_NEAR(player_y, -0.9, 1e-5);
    player_x = 31.9f;
    PlayerStep();
    EXPECT_EQ(player_y, float(-0.3f - 0.1));

    player_z = -32.0f;  // the edge itself is outside
    PlayerStep();
    EXPECT_NEAR(player_y, -0.5, 1e-6);
    player_z = 0;
    player_y = -2.95f;
    PlayerStep();
    EXPECT_EQ(player_y, float(-0.3f - 0.1));
    player_y = -3.0f;
    PlayerStep();
    EXPECT_EQ(player_y, float(-3.0f - 0.1));
}

}  // namespace
