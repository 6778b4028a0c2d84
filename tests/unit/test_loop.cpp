// The frame loop: pacing on the millisecond clock, event dispatch into the
// key table and the mouse handler, the per-frame screen preparation and the
// two ways the program ends.
#include "game_test_env.h"

#include <cstdio>
#include <cstdlib>

using namespace gametest;

namespace {

// Stands in for all 4096 grid cubes; notes where in the GL log it was first drawn.
struct MarkingCube : VK_CUBE {
    size_t drawnAt = 0;
    void Draw() override {
        if (!drawnAt) drawnAt = fake::calls().size();
    }
};

class LoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        forgetGame();
        stone.texID = 7;
        StoneTexture = &stone;
        tCursor = &cursor;
        sprLogo = &logo;
        for (VK_CUBE*& c : lData) c = &grid;
        fake::ticks = 1000;
        next_time = 1000 + FRAME_MS;
    }
    void TearDown() override { forgetGame(); }
    WorkDir dir;
    VK_TEXTURE stone;
    VK_SPRITE cursor, logo;
    MarkingCube grid;
};

}  // namespace

TEST_F(LoopTest, RetTimeIsTheTimeLeftUntilTheFrameIsDueAcrossTheClocksWrap) {
    const struct {
        Uint32 next, now;
        unsigned wait;
    } cases[] = {
        {5000, 4990, 10}, {5000, 5000, 0}, {5000, 5001, 0}, {0xFFFFFFF0u, 0xFFFFFFE0u, 16}, {20, 5, 15},
        // Only the schedule has wrapped: the frame is due in 21 ms.
        {10, 0xFFFFFFF5u, 21},
        // Only the clock has wrapped, the loop 21 ms late: no 49-day sleep.
        {0xFFFFFFF5u, 10, 0},
    };
    for (const auto& c : cases) {
        next_time = c.next;
        fake::ticks = c.now;
        EXPECT_EQ(retTime(), c.wait) << c.next << " at " << c.now;
    }
}

TEST_F(LoopTest, AStallIsCaughtUpWithoutSleeping) {
    temp_frame();
    fake::ticks += 300;
    fake::clearCalls();
    for (int i = 0; i < 12; i++) temp_frame();
    std::vector<std::string> expected(10, "SDL_Delay(0)");
    expected.resize(12, "SDL_Delay(30)");
    EXPECT_EQ(fake::texts("SDL_Delay"), expected);
    EXPECT_EQ(fake::count("SDL_GL_SwapBuffers"), 12u);
}

// The tick count has just wrapped with the loop three frames late, so the
// schedule still lies just below 2^32: the loop catches up back to back,
// then keeps its 30 ms pace, one frame drawn per step.
TEST_F(LoopTest, TheClocksWrapNeitherSleepsLongNorSkipsFrames) {
    fake::ticks = 20;
    next_time = fake::ticks - 3 * FRAME_MS;
    fake::clearCalls();
    for (int i = 0; i < 8; i++) temp_frame();
    std::vector<std::string> expected(4, "SDL_Delay(0)");
    expected.resize(8, "SDL_Delay(30)");
    EXPECT_EQ(fake::texts("SDL_Delay"), expected);
    EXPECT_EQ(fake::count("SDL_GL_SwapBuffers"), 8u);
    EXPECT_EQ(next_time, fake::ticks + FRAME_MS);
}

TEST_F(LoopTest, OnlyTheLastKeyStateOfABatchIsSeenByTheMovementStep) {
    fake::pushKey('w', true);
    fake::pushKey('w', false);
    fake::pushKey('w', true);
    fake::pushKey('s', true);  // pressed and released within the batch
    fake::pushKey('s', false);
    temp_frame();
    EXPECT_TRUE(Keys['w']);
    EXPECT_FALSE(Keys['s']);
    EXPECT_EQ(player_z, -0.25f);  // one step forward, none back
    EXPECT_EQ(player_x, 0.0f);
}

TEST_F(LoopTest, EveryMotionReachesTheMouseHandlerOtherEventsAreIgnored) {
    fake::pushMotion(100, 100, 40, 40);  // over the window: the keep starts, the view stays
    EXPECT_EQ(temp_process_events(), QUEUE_EMPTY);
    EXPECT_EQ(mxvel, 0.0f);
    EXPECT_EQ(myvel, 0.0f);
    fake::pushMotion(100, 100, 40, 0);
    fake::pushMotion(110, 100, 10, 0);
    fake::pushMotion(120, 100, 1, 3);
    EXPECT_EQ(temp_process_events(), QUEUE_EMPTY);
    EXPECT_EQ(mxvel, -3.0f);  // one whole step per call, whatever the size
    EXPECT_EQ(myvel, 1.0f);

    // Pending motion and a cursor on the edge: a stray GameMouse call would
    // change mxvel and warp the mouse. Key codes past the table (cursor,
    // function and modifier keys run from 256 to 322) are dropped.
    fake::clearCalls();
    mxvel = 0;
    fake::relX = 5;
    fake::mouseX = 1;
    for (Uint8 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_ACTIVEEVENT, SDL_VIDEORESIZE, SDL_VIDEOEXPOSE,
                       SDL_JOYBUTTONDOWN, SDL_SYSWMEVENT, SDL_USEREVENT})
        fake::pushEvent(type);
    fake::pushKey(SDLK_RIGHT, true);
    fake::pushKey(SDLK_RCTRL, false);
    for (int code : {256, int(SDLK_F1), int(SDLK_LAST), -1, 100000}) GameKey(code, true);
    EXPECT_EQ(temp_process_events(), QUEUE_EMPTY);
    EXPECT_TRUE(fake::events.empty());
    EXPECT_TRUE(fake::calls().empty());
    EXPECT_EQ(mxvel, 0.0f);
    for (bool k : Keys) EXPECT_FALSE(k);
    GameKey(255, true);
    EXPECT_TRUE(Keys[255]);
}

// The pointer is kept from the first motion over the window while the game
// has the focus, freed when another window takes the focus or while Alt,
// Meta or Super is held, and kept again after a motion made with them up,
// in a later frame. SDL is asked only on a change, and what SDL says at the
// end of a drain outranks events a full queue lost.
TEST_F(LoopTest, ThePointerIsKeptWhileFocusedAndMovedOverWithNoWindowManagerKeyEvenWhenEventsAreLost) {
    fake::throughSdl = true;
    temp_watch_events();
    auto focus = [](Uint8 gain, Uint8 state) {
        SDL_Event e{};
        e.active = {SDL_ACTIVEEVENT, gain, state};
        fake::arrive(e);
    };
    auto grabs = [] {
        EXPECT_EQ(temp_process_events(), QUEUE_EMPTY);
        std::vector<std::string> t = fake::texts("SDL_WM_GrabInput");
        fake::clearCalls();
        return t;
    };
    using T = std::vector<std::string>;
    const T on{"SDL_WM_GrabInput(1)"}, off{"SDL_WM_GrabInput(0)"};
    fake::pushKey('w', true);
    EXPECT_EQ(grabs(), T{}) << "not before the pointer has moved over the window";
    fake::pushMotion(300, 200, 1, 0);
    focus(0, SDL_APPMOUSEFOCUS);  // the grab's own leave
    focus(1, SDL_APPMOUSEFOCUS);
    EXPECT_EQ(grabs(), on);
    focus(0, SDL_APPINPUTFOCUS);
    fake::pushMotion(301, 200, 1, 0);  // another window's pointer crossing: no turn, no warp
    focus(1, SDL_APPINPUTFOCUS);
    EXPECT_EQ(grabs(), off) << "back in focus, but the pointer may be elsewhere";
    EXPECT_EQ(mxvel, 0.0f);
    fake::pushMotion(302, 200, 1, 0);
    fake::pushKey(SDLK_LALT, true);
    fake::pushKey(SDLK_RSUPER, true);
    fake::pushMotion(303, 200, 1, 0);  // made with Alt held: no claim
    fake::pushKey(SDLK_LALT, false);  // Super still held
    fake::pushKey(SDLK_RSUPER, false);
    for (int sym : {int(SDLK_LCTRL), int(SDLK_MODE), int('a')}) fake::pushKey(sym, true);
    EXPECT_EQ(grabs(), (T{"SDL_WM_GrabInput(1)", "SDL_WM_GrabInput(0)"}))
        << "a switcher that takes the keyboard releases Alt in the game: no keyboard is taken back";
    fake::pushKey(SDLK_LALT, true);
    fake::pushKey(SDLK_LALT, false);
    fake::pushMotion(304, 200, 1, 0);  // a game that stalled through Alt+Tab: the switch may come next
    EXPECT_EQ(grabs(), T{});
    fake::pushMotion(305, 200, 1, 0);
    EXPECT_EQ(grabs(), on);

    // Lost events: SDL's own state puts the keep right by the end of the frame.
    fake::keyState[SDLK_LALT] = 1;  // a press lost to a full queue
    EXPECT_EQ(grabs(), off);
    fake::keyState[SDLK_LALT] = 0;  // its release lost too
    EXPECT_EQ(grabs(), T{});
    fake::pushMotion(305, 200, 1, 0);
    EXPECT_EQ(grabs(), on);
    fake::appState &= ~SDL_APPINPUTFOCUS;  // focus went unannounced
    EXPECT_EQ(temp_process_events(), QUEUE_EMPTY);
    EXPECT_EQ(fake::texts(), (T{"SDL_ShowCursor(1)", "SDL_WM_GrabInput(0)", "SDL_ShowCursor(0)"}))
        << "let go under a shown cursor, hidden again after";
    fake::clearCalls();
    fake::appState |= SDL_APPINPUTFOCUS;
    EXPECT_EQ(grabs(), T{}) << "the focus came back unannounced: wait for the pointer";
    fake::pushMotion(306, 200, 1, 0);
    EXPECT_EQ(grabs(), on);

    // Hold Alt, leave the window, let go of Alt: the pointer stays out.
    fake::pushKey(SDLK_LALT, true);
    focus(0, SDL_APPMOUSEFOCUS);
    fake::pushKey(SDLK_LALT, false);
    EXPECT_EQ(grabs(), off);
    // Alt+Tab to another window: SDL releases the held Alt after the focus has gone.
    focus(1, SDL_APPMOUSEFOCUS);
    fake::pushMotion(307, 200, 1, 0);
    fake::pushKey(SDLK_RALT, true);
    focus(0, SDL_APPINPUTFOCUS);
    fake::pushKey(SDLK_RALT, false);
    fake::pushMotion(308, 200, 1, 0);
    EXPECT_EQ(grabs(), T{}) << "a motion before a focus lost in the same drain raises nothing over it";
    EXPECT_EQ(mxvel, 0.0f) << "only the game being played turns";

    // Focus follows the mouse: the pointer crossing the window brings the
    // focus, and only a click or a play key keeps it.
    focus(0, SDL_APPMOUSEFOCUS);
    focus(1, SDL_APPMOUSEFOCUS);
    EXPECT_EQ(grabs(), T{});
    focus(1, SDL_APPINPUTFOCUS);
    fake::pushMotion(309, 200, 1, 0);
    EXPECT_EQ(grabs(), T{});
    fake::pushEvent(SDL_MOUSEBUTTONDOWN);
    EXPECT_EQ(grabs(), on);
    focus(0, SDL_APPINPUTFOCUS);
    focus(1, SDL_APPMOUSEFOCUS);
    fake::pushEvent(SDL_MOUSEBUTTONDOWN);  // a click that brings the focus, before it
    focus(1, SDL_APPINPUTFOCUS);
    fake::pushMotion(310, 200, 1, 0);
    EXPECT_EQ(grabs(), (T{"SDL_WM_GrabInput(0)", "SDL_WM_GrabInput(1)"}));
    for (Uint8 gain : {0, 1})  // a window manager's flicker of both focuses, at a grab or a click
        for (Uint8 state : {SDL_APPMOUSEFOCUS, SDL_APPINPUTFOCUS}) focus(gain, state);
    fake::pushMotion(311, 200, 1, 0);
    EXPECT_EQ(grabs(), (T{"SDL_WM_GrabInput(0)", "SDL_WM_GrabInput(1)"}));
    focus(0, SDL_APPMOUSEFOCUS);  // the same flicker across two drains, on a busy machine
    focus(0, SDL_APPINPUTFOCUS);
    EXPECT_EQ(grabs(), off);
    focus(1, SDL_APPMOUSEFOCUS);
    focus(1, SDL_APPINPUTFOCUS);
    fake::pushMotion(312, 200, 1, 0);
    EXPECT_EQ(grabs(), on);
    focus(0, SDL_APPINPUTFOCUS);
    focus(0, SDL_APPMOUSEFOCUS);
    EXPECT_EQ(grabs(), off);
    focus(1, SDL_APPMOUSEFOCUS);  // a sweep across the unfocused window
    focus(0, SDL_APPMOUSEFOCUS);
    EXPECT_EQ(grabs(), T{});
    focus(1, SDL_APPINPUTFOCUS);  // Alt+Tab, a moment later
    focus(1, SDL_APPMOUSEFOCUS);
    fake::pushMotion(313, 200, 1, 0);
    EXPECT_EQ(grabs(), on) << "the focus came with the pointer out: not the pointer's";
    focus(0, SDL_APPINPUTFOCUS);
    focus(0, SDL_APPMOUSEFOCUS);
    EXPECT_EQ(grabs(), off);
    pointerKeep.focusFollowsPointer = true;
    focus(1, SDL_APPINPUTFOCUS);  // i3's focus, told a drain before the arrival that brought it
    EXPECT_EQ(grabs(), T{});
    focus(1, SDL_APPMOUSEFOCUS);
    fake::pushMotion(314, 200, 1, 0);
    EXPECT_EQ(grabs(), T{}) << "an arrival with the focus brought it";
}

// SDL keeps 127 events and drops the rest: a burst of motion must not cost
// the key events behind it, and must change nothing when it fits.
TEST_F(LoopTest, KeysLostToAFullQueueAreTakenFromTheKeyboard) {
    fake::throughSdl = true;
    temp_watch_events();
    fake::pushKey('w', true);
    fake::pushMotion(300, 200, 0, 0);
    temp_frame();
    ASSERT_EQ(player_z, -0.25f);

    fake::pushMotion(300, 200, 0, 1);
    fake::keyState['s'] = 1;  // disagrees with the events: not consulted while nothing is lost
    fake::pushKey('d', true);
    fake::pushKey('d', false);
    temp_frame();
    EXPECT_TRUE(Keys['w']);
    EXPECT_FALSE(Keys['s']);
    EXPECT_FALSE(Keys['d']);
    EXPECT_EQ(myvel, 0.5f);  // one step up, one half-step of damping
    fake::keyState['s'] = 0;

    float z = player_z;
    for (int i = 0; i < 200; i++) fake::pushMotion(300, 200, 0, 1);
    fake::pushKey('w', false);  // both behind a full queue
    fake::pushKey('n', true);
    temp_frame();
    EXPECT_TRUE(fake::events.empty());
    EXPECT_FALSE(Keys['w']);
    EXPECT_TRUE(Keys['n']);
    EXPECT_EQ(player_z, z);  // no step forward after the release
    EXPECT_EQ(myvel, 4.0f);   // the motions that fitted reached GameMouse as ever
}

// On AZERTY the W place (X keycode 25) types z: a press lost to a full
// queue is read back from SDL's state by what that place types.
TEST_F(LoopTest, AWalkKeyLostToAFullQueueIsReadBackByItsPlace) {
    fake::throughSdl = true;
    temp_watch_events();
    fake::pushKey('z', true, 25);
    fake::pushKey('z', false, 25);
    for (int i = 0; i < 200; i++) fake::pushMotion(300, 200, 0, 0);
    fake::pushKey('z', true, 25);  // lost
    temp_frame();
    EXPECT_TRUE(Keys['w']);
    // Windows' Mute (E0 20) reaches the game with no symbol, on the D
    // place's scancode once SDL drops the extended bit: it walks nowhere.
    fake::pushKey(SDLK_UNKNOWN, true, 40);
    temp_frame();
    EXPECT_FALSE(Keys['d']);
}

// Classic SDL empties its queue when the filter goes in: what the user did
// while the window opened must still reach the first drain, in order, and
// not count as lost.
TEST_F(LoopTest, EventsQueuedBeforeTheFilterReachTheFirstDrainInOrder) {
    fake::throughSdl = true;
    fake::pushKey('w', true);
    fake::pushMotion(639, 240, 0, 0);  // the window opened under the pointer
    fake::pushKey('w', false);
    fake::pushKey('d', true);
    fake::keyState['s'] = 1;  // would show if the drain thought events were lost
    temp_watch_events();
    ASSERT_EQ(fake::events.size(), 4u);
    fake::clearCalls();
    EXPECT_EQ(temp_process_events(), QUEUE_EMPTY);
    EXPECT_FALSE(Keys['w']);
    EXPECT_TRUE(Keys['d']);
    EXPECT_FALSE(Keys['s']);
    EXPECT_EQ(fake::texts(), (std::vector<std::string>{"SDL_WM_GrabInput(1)", "SDL_WarpMouse(2, 240)"}));

    fake::events.clear();
    fake::pushQuit();
    temp_watch_events();
    EXPECT_EQ(temp_process_events(), QUIT_REQUESTED);
}

// The frame: clear and reset, camera, world, overlay, swap.
TEST_F(LoopTest, DrawScreenPreparesThenCameraWorldOverlayAndSwap) {
    temp_draw_screen();
    std::vector<std::string> all = fake::texts();
    ASSERT_GE(all.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 6),
              std::vector<std::string>({"glClear(GL_COLOR_BUFFER_BIT|GL_DEPTH_BUFFER_BIT)",
                                        "glBindTexture(GL_TEXTURE_2D, 7)", "glMatrixMode(GL_MODELVIEW)",
                                        "glLoadIdentity()", "glEnable(GL_COLOR_MATERIAL)", "glColor3f(1, 1, 1)"}));
    EXPECT_EQ(fake::calls()[6].name, "gluLookAt");
    EXPECT_EQ(grid.drawnAt, 7u);  // the world right after the camera, before the overlay
    EXPECT_EQ(fake::count("gluLookAt"), 1u);
    EXPECT_EQ(fake::count("glOrtho"), 2u);  // the overlay and its crosshair
    EXPECT_EQ(all.back(), "SDL_GL_SwapBuffers()");
    EXPECT_EQ(fake::count("SDL_GL_SwapBuffers"), 1u);
}

// ---- the two ways out ----
//
// These run in a fresh child process; what the exit left behind is
// reported on standard error by an exit handler and matched here.

namespace {

bool g_engineDeleted = false;
int g_cursorAtDelete = -1;
std::string g_childDir;

struct ProbeEngine : VK_SK_Engine {
    ProbeEngine() : VK_SK_Engine(true) {}
    ~ProbeEngine() override {
        g_engineDeleted = true;
        g_cursorAtDelete = fake::cursorShown;
    }
};

void reportExit() {
    std::fprintf(stderr, "engine=%s cursorAtDelete=%d cursor=%d queued=%zu swaps=%zu esc=%d w=%d z=%g end\n",
                 g_engineDeleted ? "deleted" : "kept", g_cursorAtDelete, fake::cursorShown, fake::events.size(),
                 fake::count("SDL_GL_SwapBuffers"), int(Keys[SDLK_ESCAPE]), int(Keys['w']), double(player_z));
    std::error_code ec;
    std::filesystem::remove_all(g_childDir, ec);  // the child's fixture never tears down
}

void frameInChild(bool withEngine) {
    if (withEngine) newEngine = new ProbeEngine();
    std::atexit(reportExit);
    temp_frame();
    std::fputs("temp_frame returned\n", stderr);
    std::exit(3);  // still reports and cleans up
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

}  // namespace

TEST_F(LoopDeathTest, QuitEndsTheBatchDeletesTheEngineShowsTheCursorAndExitsZero) {
    fake::pushKey('w', true);
    fake::pushQuit();
    fake::pushKey('s', true);
    fake::pushMotion(300, 200, 5, 5);
    // 'w' was stored but no movement step or frame followed.
    EXPECT_EXIT(frameInChild(true), ::testing::ExitedWithCode(0),
                "engine=deleted cursorAtDelete=0 cursor=1 queued=2 swaps=0 esc=0 w=1 z=0 end");
    fake::events.clear();
    fake::pushQuit();
    EXPECT_EXIT(frameInChild(false), ::testing::ExitedWithCode(0), "engine=kept .* cursor=1 ");
}

TEST_F(LoopDeathTest, AQuitOrEscapeLostToAFullQueueStillEndsTheGame) {
    fake::throughSdl = true;
    temp_watch_events();
    for (int i = 0; i < 127; i++) fake::pushMotion(300, 200, 1, 0);
    fake::pushQuit();
    fake::pushKey(SDLK_ESCAPE, true);
    EXPECT_EXIT(frameInChild(true), ::testing::ExitedWithCode(0),
                "engine=deleted cursorAtDelete=0 cursor=1 queued=0 swaps=0 esc=0 w=0 z=0 end");
    fake::events.clear();
    fake::pushKey(SDLK_ESCAPE, true);
    EXPECT_EXIT(frameInChild(true), ::testing::ExitedWithCode(0), "engine=deleted .* queued=0 swaps=0 esc=1 ");
}

TEST_F(LoopDeathTest, EscapeExitsAtOnceFromDispatch) {
    fake::pushKey(SDLK_ESCAPE, true);
    fake::pushKey('w', true);
    fake::pushQuit();
    EXPECT_EXIT(frameInChild(true), ::testing::ExitedWithCode(0),
                "engine=deleted .* queued=2 swaps=0 esc=1 w=0 z=0 end");
}
