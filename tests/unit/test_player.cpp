// Player movement, mouse turning and the camera. Vertical motion is checked
// bit-exactly against a reference step written from the rules: double
// constants on float state.
#include "game_test_env.h"

#include <algorithm>
#include <cmath>

namespace {

const double PI_OVER_180 = 0.017453292519943295;
const float STANDING = float(-0.3f - 0.1);  // the floor's -0.3, then gravity

// One frame of the vertical rules: jump, floor, gravity.
float refY(float y, float& mz, bool overFloor) {
    if (mz > 0) {
        y = float(double(y) + double(mz));
        mz = float(double(mz) - 0.1);
    }
    if (double(y) < -0.3 && overFloor && y > -3.0f) y = -0.3f;
    if (y > -64.0f) y = float(double(y) - 0.1);
    return y;
}

class Player : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        gametest::forgetGame();
    }
    void TearDown() override { gametest::forgetGame(); }

    void stepBoth(float& y, float& mz, bool overFloor) {
        PlayerStep();
        y = refY(y, mz, overFloor);
        ASSERT_EQ(player_y, y);
        ASSERT_EQ(mzvel, mz);
    }
    void mouse(int x, int y, int dx, int dy) {
        fake::mouseX = x;
        fake::mouseY = y;
        fake::relX = dx;
        fake::relY = dy;
        GameMouse();
    }
};

}  // namespace

TEST_F(Player, CameraLooksAlongHeadingAndPitchFromEyeHeight) {
    const struct {
        float x, y, z, yaw, pitch;
    } cases[] = {{0, float(2.0f - 0.1), 0, 359, 0}, {1.5f, -0.4f, -2, 30, -10}};
    for (const auto& c : cases) {
        player_x = c.x, player_y = c.y, player_z = c.z, yrot = c.yaw, xrot = c.pitch;
        fake::clearCalls();
        PlaceCamera();
        ASSERT_EQ(fake::calls().size(), 1u);
        EXPECT_EQ(fake::calls()[0].name, "gluLookAt");
        double eyeY = double(c.y) + 1.7, yaw = double(c.yaw) * PI_OVER_180, pitch = double(c.pitch) * PI_OVER_180;
        EXPECT_EQ(fake::calls()[0].args, (std::vector<double>{c.x, eyeY, c.z, c.x - std::sin(yaw), eyeY - std::tan(pitch),
                                                              c.z - std::cos(yaw), 0, 1, 0}));
    }
}

TEST_F(Player, FallFromTheStartLandsAndStandsAtMinus04) {
    float y = player_y, mz = 0;
    stepBoth(y, mz, true);
    EXPECT_EQ(std::make_pair(yrot, xrot), std::make_pair(359.0f, 0.0f));  // the first frame flips the heading
    EXPECT_EQ(player_y, float(2.0f - 0.1));
    int frames = 1;
    for (; player_y != STANDING && frames < 100; frames++) stepBoth(y, mz, true);
    EXPECT_EQ(frames, 24);
    for (int i = 0; i < 5; i++) {
        stepBoth(y, mz, true);
        EXPECT_EQ(player_y, STANDING);
    }
}

TEST_F(Player, JumpRisesAboutOneAndAHalfFrameByFrameAndLands) {
    player_y = STANDING;
    Keys[32] = true;  // held throughout: it acts only on the ground
    GameKeyStep();
    EXPECT_EQ(mzvel, 0.6f);
    float y = player_y, mz = mzvel, peak = y;
    const double rough[] = {0.1, 0.5, 0.8, 1.0, 1.1, 1.1};
    int frames = 0;
    for (; (player_y != STANDING || frames == 0) && frames < 60; frames++) {
        if (player_y > -0.3) {
            GameKeyStep();
            ASSERT_EQ(mzvel, mz) << "space in the air, frame " << frames;
        }
        stepBoth(y, mz, true);
        if (frames < 6) {
            EXPECT_NEAR(player_y, rough[frames], 1e-5) << "frame " << frames + 1;
        }
        peak = std::max(peak, player_y);
    }
    EXPECT_NEAR(peak - STANDING, 1.5, 1e-5);
    EXPECT_EQ(frames, 21);
    EXPECT_NEAR(mzvel, -0.1, 1e-6);
    GameKeyStep();
    EXPECT_EQ(mzvel, 0.6f);
}

TEST_F(Player, KeysMoveRelativeToHeadingEachFromWhereTheLastLeft) {
    const struct {
        std::vector<int> keys;
        float yaw;
    } cases[] = {
        {{'w'}, 0},      {{'s'}, 0},         {{'d'}, 0},      {{'a'}, 0},         {{'w'}, 37.5f},
        {{'w', 's'}, 0}, {{'w', 's'}, 37.5f}, {{'w', 'd'}, 0}, {{'s', 'a'}, 123},
    };
    const int order[] = {'w', 's', 'd', 'a'};
    const double offset[] = {0, 0, -90, 90}, sign[] = {-1, 1, -1, -1};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.keys.size()) + " keys at yaw " + std::to_string(c.yaw));
        for (bool& k : Keys) k = false;
        for (int k : c.keys) Keys[k] = true;
        player_x = 1.5f;
        player_z = -2.25f;
        yrot = c.yaw;
        float x = player_x, z = player_z;
        for (int i = 0; i < 4; i++) {
            if (!Keys[order[i]]) continue;
            double a = (double(c.yaw) + offset[i]) * PI_OVER_180;
            x = float(x + sign[i] * 0.25 * std::sin(a));
            z = float(z + sign[i] * 0.25 * std::cos(a));
        }
        GameKeyStep();
        EXPECT_EQ(player_x, x);
        EXPECT_EQ(player_z, z);
    }
    // Forward is -z and right is +x at heading 0.
    for (bool& k : Keys) k = false;
    player_x = player_z = yrot = 0;
    Keys['w'] = Keys['d'] = true;
    GameKeyStep();
    EXPECT_EQ(std::make_pair(player_x, player_z), std::make_pair(0.25f, -0.25f));
}

// Only the sign of a motion counts, up to 4 either way. Past the side edges
// the cursor is warped back and the next horizontal motion (the warp's own
// jump) is ignored.
TEST_F(Player, MouseMotionStepsTheVelocitiesAndWarpsAtTheEdges) {
    const struct {
        int x, y, dx, dy;
        float mx, my;
        const char* warp;
    } steps[] = {
        {637, 120, 0, 0, 0, 0, ""},     {2, 120, 0, 0, 0, 0, ""},
        {638, 120, 4, 0, -1, 0, "SDL_WarpMouse(2, 120)"},
        {2, 130, -636, 3, -1, 1, ""},   {3, 130, -1, 0, 0, 1, ""},
        {1, 140, -2, 0, 1, 1, "SDL_WarpMouse(637, 140)"},
        {637, 140, 636, -2, 1, 0, ""},  {300, 200, 100, 0, 0, 0, ""},  {300, 200, 1, 0, -1, 0, ""},
        {300, 200, -3, 5, 0, 1, ""},    {300, 200, 0, -7, 0, 0, ""},   {300, 200, 5, 5, -1, 1, ""},
        {300, 200, 5, 5, -2, 2, ""},    {300, 200, 5, 5, -3, 3, ""},   {300, 200, 5, 5, -4, 4, ""},
        {300, 200, 5, 5, -4, 4, ""},
    };
    for (const auto& s : steps) {
        fake::clearCalls();
        mouse(s.x, s.y, s.dx, s.dy);
        SCOPED_TRACE(std::to_string(s.x) + ", " + std::to_string(s.y) + " by " + std::to_string(s.dx));
        EXPECT_EQ(std::make_pair(mxvel, myvel), std::make_pair(s.mx, s.my));
        EXPECT_EQ(fake::texts("SDL_WarpMouse"), *s.warp ? std::vector<std::string>{s.warp} : std::vector<std::string>{});
        EXPECT_EQ(SwitchFlag, *s.warp != 0);
    }
}

TEST_F(Player, TurningAndPitchingSlowByHalfAStepPerFrame) {
    yrot = 10;
    mxvel = -2;
    myvel = 1.5f;
    for (auto [yaw, pitch] : {std::pair{8.0f, 1.5f}, {6.5f, 2.5f}, {5.5f, 3.0f}, {5.0f, 3.0f}, {5.0f, 3.0f}}) {
        PlayerStep();
        EXPECT_EQ(std::make_pair(yrot, xrot), std::make_pair(yaw, pitch));
    }
}

// Heading wraps by assignment one frame after passing 360 or 0; pitch
// changes only inside its limits, so one step overshoots them.
TEST_F(Player, HeadingWrapsOneFrameLatePitchOvershootsOnceAndStays) {
    const struct {
        float yaw, pitch, mx, my, yaw1, pitch1, yaw2, pitch2;
    } cases[] = {
        {359.5f, -79, 1, -4, 360.5f, -83, 1, -83},
        {0.5f, 45, -1, 4.5f, -0.5f, 49.5f, 359, 49.5f},
    };
    for (const auto& c : cases) {
        yrot = c.yaw, xrot = c.pitch, mxvel = c.mx, myvel = c.my;
        PlayerStep();
        EXPECT_EQ(std::make_pair(yrot, xrot), std::make_pair(c.yaw1, c.pitch1));
        EXPECT_EQ(myvel, c.my - std::copysign(0.5f, c.my));
        PlayerStep();
        EXPECT_EQ(std::make_pair(yrot, xrot), std::make_pair(c.yaw2, c.pitch2));
    }
}

TEST_F(Player, OffTheSquareTheFloorCatchesOnlyAboveMinus3AndTheFallStopsNearMinus64) {
    player_y = STANDING;
    player_x = 31.9f;
    yrot = 270;
    Keys['w'] = true;
    GameKeyStep();
    Keys['w'] = false;
    EXPECT_EQ(player_x, float(31.9f + 0.25));  // 32.15: off the square
    float y = player_y, mz = 0;
    for (int i = 0; i < 5; i++) stepBoth(y, mz, false);
    EXPECT_NEAR(player_y, -0.9, 1e-5);

    player_x = 31.9f;  // back in above -3: landed at once
    PlayerStep();
    EXPECT_EQ(player_y, STANDING);
    player_z = -32.0f;  // the edge itself is outside
    PlayerStep();
    EXPECT_NEAR(player_y, -0.5, 1e-6);
    player_z = 0;
    player_y = -2.95f;
    PlayerStep();
    EXPECT_EQ(player_y, STANDING);
    player_y = -3.0f;
    PlayerStep();
    EXPECT_EQ(player_y, float(-3.0f - 0.1));

    player_x = 32.15f;
    y = player_y;
    for (int i = 0; i < 700; i++) stepBoth(y, mz, false);
    EXPECT_LE(player_y, -64.0f);
    EXPECT_NEAR(player_y, -64.1, 0.01);
    player_x = 0;  // back over the square far below: it no longer catches
    PlayerStep();
    EXPECT_EQ(player_y, y);
}
