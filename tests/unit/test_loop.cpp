// The frame loop: pacing on the millisecond clock, event dispatch into the
// key table and the mouse handler, the per-frame screen preparation and the
// two ways the program ends.
#include "game_test_env.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace gametest;

namespace {

// The loop needs a full grid to draw, not 4096 real cube draws.
struct SilentCube : VK_CUBE {
    void Draw() override {}
};

class LoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        forgetGame();
        StoneTexture = new VK_TEXTURE();
        StoneTexture->texID = 7;
        tCursor = new VK_SPRITE();
        sprLogo = new VK_SPRITE();
        for (VK_CUBE*& c : lData) c = &grid;
        fake::ticks = 1000;
        next_time = 1000 + FRAME_MS;
    }
    void TearDown() override {
        delete StoneTexture;
        delete tCursor;
        delete sprLogo;
        forgetGame();
    }

    std::vector<Uint32> delays() const {
        std::vector<Uint32> out;
        for (const fake::Call& c : fake::calls())
            if (c.name == "SDL_Delay") out.push_back(Uint32(c.args[0]));
        return out;
    }

    WorkDir dir;
    SilentCube grid;
};

// ---- pacing ----

TEST_F(LoopTest, RetTimeIsTheTimeLeftUntilTheFrameIsDue) {
    next_time = 5000;
    fake::ticks = 4990;
    EXPECT_EQ(retTime(), 10u);
    fake::ticks = 5000;
    EXPECT_EQ(retTime(), 0u);
    fake::ticks = 5001;
    EXPECT_EQ(retTime(), 0u);
}

TEST_F(LoopTest, RetTimeComparesUnsignedAcrossTheClockWrap) {
    next_time = 0xFFFFFFF0u;
    fake::ticks = 0xFFFFFFE0u;
    EXPECT_EQ(retTime(), 16u);
    // Both past the wrap: an ordinary wait.
    next_time = 20;
    fake::ticks = 5;
    EXPECT_EQ(retTime(), 15u);
    // The schedule has wrapped and the clock not yet: no wait, so frames
    // run back to back until the clock wraps too, never a 49-day sleep.
    next_time = 10;
    fake::ticks = 0xFFFFFFF5u;
    EXPECT_EQ(retTime(), 0u);
}

TEST_F(LoopTest, WorkTimeIsAbsorbedWithoutDrift) {
    fake::ticksPerCall = 12;  // each frame's clock read is followed by 12 ms of work
    for (int i = 0; i < 5; i++) temp_frame();
    EXPECT_EQ(delays(), std::vector<Uint32>({30, 18, 18, 18, 18}));
    EXPECT_EQ(next_time, 1000u + 6 * FRAME_MS);
}

TEST_F(LoopTest, AStallIsCaughtUpWithoutSleeping) {
    temp_frame();
    fake::ticks += 300;
    fake::clearCalls();
    for (int i = 0; i < 12; i++) temp_frame();
    std::vector<Uint32> expected(10, 0);
    expected.push_back(30);
    expected.push_back(30);
    EXPECT_EQ(delays(), expected);
    EXPECT_EQ(fake::count("SDL_GL_SwapBuffers"), 12u);
}

// ---- dispatch ----

TEST_F(LoopTest, OnlyTheLastKeyStateOfABatchIsSeenByTheMovementStep) {
    fake::pushKey('w', true);
    fake::pushKey('w', false);
    fake::pushKey('w', true);
    fake::pushKey('s', true);  // pressed and released within the batch
    fake::pushKey('s', false);
    temp_frame();
    EXPECT_TRUE(Keys['w']);
    EXPECT_FALSE(Keys['s']);
    EXPECT_FLOAT_EQ(player_z, -0.25f);  // one step forward, none back
    EXPECT_FLOAT_EQ(player_x, 0.0f);
}

TEST_F(LoopTest, EveryMotionEventReachesTheMouseHandler) {
    fake::pushMotion(100, 100, 40, 0);
    fake::pushMotion(110, 100, 10, 0);
    fake::pushMotion(120, 100, 1, 3);
    EXPECT_EQ(temp_process_events(), 1);
    // One whole step per call, whatever the size of the motion.
    EXPECT_EQ(mxvel, -3.0f);
    EXPECT_EQ(myvel, 1.0f);
}

TEST_F(LoopTest, ButtonWindowAndOtherEventsAreIgnored) {
    // Pending motion and a cursor on the edge: a stray GameMouse call would
    // change mxvel and warp the mouse.
    fake::relX = 5;
    fake::mouseX = 1;
    const Uint8 ignored[] = {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_ACTIVEEVENT, SDL_VIDEORESIZE,
                             SDL_VIDEOEXPOSE,     SDL_JOYBUTTONDOWN, SDL_SYSWMEVENT,  SDL_USEREVENT};
    for (Uint8 type : ignored) fake::pushEvent(type);
    EXPECT_EQ(temp_process_events(), 1);
    EXPECT_TRUE(fake::events.empty());
    EXPECT_TRUE(fake::calls().empty());
    EXPECT_EQ(mxvel, 0.0f);
    for (bool k : Keys) EXPECT_FALSE(k);
}

TEST_F(LoopTest, QuitStopsDispatchAndLeavesLaterEventsQueued) {
    fake::pushKey('a', true);
    fake::pushQuit();
    fake::pushKey('d', true);
    fake::pushMotion(300, 200, 5, 5);
    EXPECT_EQ(temp_process_events(), 99);
    EXPECT_TRUE(Keys['a']);
    EXPECT_FALSE(Keys['d']);
    EXPECT_EQ(mxvel, 0.0f);
    EXPECT_EQ(fake::events.size(), 2u);
    EXPECT_EQ(temp_process_events(), 1);  // the rest on the next pass
    EXPECT_TRUE(Keys['d']);
}

TEST_F(LoopTest, KeyCodesOutsideTheTableAreDropped) {
    GameKey(255, true);
    EXPECT_TRUE(Keys[255]);
    GameKey(255, false);
    // Cursor, function and modifier keys have codes from 256 up to 322.
    const int outside[] = {256, SDLK_UP, SDLK_F1, SDLK_LSHIFT, SDLK_LAST, -1, 100000};
    for (int code : outside) GameKey(code, true);
    fake::pushKey(SDLK_RIGHT, true);
    fake::pushKey(SDLK_RCTRL, false);
    EXPECT_EQ(temp_process_events(), 1);
    for (bool k : Keys) EXPECT_FALSE(k);
}

// ---- drawing ----

TEST_F(LoopTest, DrawScreenPreparesTheFrameDrawsAndSwaps) {
    temp_draw_screen();
    std::vector<std::string> all = fake::texts();
    ASSERT_GE(all.size(), 8u);
    std::vector<std::string> head(all.begin(), all.begin() + 6);
    EXPECT_EQ(head, std::vector<std::string>({"glClear(GL_COLOR_BUFFER_BIT|GL_DEPTH_BUFFER_BIT)",
                                              "glBindTexture(GL_TEXTURE_2D, 7)",
                                              "glMatrixMode(GL_MODELVIEW)", "glLoadIdentity()",
                                              "glEnable(GL_COLOR_MATERIAL)", "glColor3f(1, 1, 1)"}));
    EXPECT_EQ(all.back(), "SDL_GL_SwapBuffers()");
    EXPECT_EQ(fake::count("SDL_GL_SwapBuffers"), 1u);
    EXPECT_EQ(fake::count("gluLookAt"), 1u);  // GameDraw ran in between
}

// ---- debmessage ----

TEST_F(LoopTest, DebmessageReplacesTheEventsLog) {
    debmessage("first\n");
    debmessage("second");
    std::ifstream in("events.log");
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), "second");
}

TEST_F(LoopTest, DebmessageWithAnUnopenableLogDoesNothing) {
    std::filesystem::create_directory("events.log");
    debmessage("lost");
    EXPECT_TRUE(std::filesystem::is_directory("events.log"));
}

// ---- the two ways out ----
//
// These run in a fresh child process; what the exit left behind is
// reported on standard error by an exit handler and matched here.

bool g_engineDeleted = false;
int g_cursorAtDelete = -1;

struct ProbeEngine : VK_SK_Engine {
    ProbeEngine() : VK_SK_Engine(true) {}
    ~ProbeEngine() override {
        g_engineDeleted = true;
        g_cursorAtDelete = fake::cursorShown;
    }
};

std::string g_childDir;

void reportExit() {
    std::fprintf(stderr,
                 "engine=%s cursorAtDelete=%d cursor=%d queued=%zu swaps=%zu esc=%d w=%d z=%g end\n",
                 g_engineDeleted ? "deleted" : "kept", g_cursorAtDelete, fake::cursorShown,
                 fake::events.size(), fake::count("SDL_GL_SwapBuffers"), int(Keys[SDLK_ESCAPE]),
                 int(Keys['w']), double(player_z));
    std::error_code ec;
    std::filesystem::remove_all(g_childDir, ec);  // the child's fixture never tears down
}

class LoopDeathTest : public LoopTest {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        LoopTest::SetUp();
        g_childDir = dir.path();
        fake::cursorShown = 0;  // hidden by set-up
    }
};

TEST_F(LoopDeathTest, QuitEndsTheBatchDeletesTheEngineShowsTheCursorAndExitsZero) {
    EXPECT_EXIT(
        {
            newEngine = new ProbeEngine();
            fake::pushKey('w', true);
            fake::pushQuit();
            fake::pushKey('s', true);
            fake::pushMotion(300, 200, 5, 5);
            std::atexit(reportExit);
            temp_frame();
            std::fputs("temp_frame returned\n", stderr);
            std::exit(3);  // still reports and cleans up
        },
        ::testing::ExitedWithCode(0),
        // 'w' was stored but no movement step or frame followed.
        "engine=deleted cursorAtDelete=0 cursor=1 queued=2 swaps=0 esc=0 w=1 z=0 end");
}

TEST_F(LoopDeathTest, EscapeExitsAtOnceFromDispatch) {
    EXPECT_EXIT(
        {
            newEngine = new ProbeEngine();
            fake::pushKey(SDLK_ESCAPE, true);
            fake::pushKey('w', true);
            fake::pushQuit();
            std::atexit(reportExit);
            temp_frame();
            std::fputs("temp_frame returned\n", stderr);
            std::exit(3);  // still reports and cleans up
        },
        ::testing::ExitedWithCode(0), "engine=deleted .* queued=2 swaps=0 esc=1 w=0 z=0 end");
}

TEST_F(LoopDeathTest, QuitWithoutAnEngineStillExitsZero) {
    EXPECT_EXIT(
        {
            fake::pushQuit();
            std::atexit(reportExit);
            temp_frame();
            std::exit(3);  // still reports and cleans up
        },
        ::testing::ExitedWithCode(0), "engine=kept .* cursor=1 ");
}

}  // namespace
