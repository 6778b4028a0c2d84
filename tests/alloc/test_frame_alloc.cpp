// After start-up the frame loop must not touch the heap: a frame that
// allocates grows the process over a long run (or stalls on the allocator).
// The game and engine code run here against inert GL/SDL stand-ins, so
// every allocation counted is the project's own.
#include "alloc_counter.h"
#include "null_platform.h"

#include "../unit/scratch_dir.h"
#include "game/game.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define LSAN_DISABLE() __lsan_disable()
#define LSAN_ENABLE() __lsan_enable()
#else
#define LSAN_DISABLE()
#define LSAN_ENABLE()
#endif

namespace {

void* volatile sink;

// Input for frame i: walking, strafing, turning with edge warps, jumping,
// keys beyond the key table, a queue overflow, and a walk off the floor to fall.
void scriptFrame(int i) {
    using nullplat::pushKey;
    using nullplat::pushMotion;
    if (i == 0) pushKey(SDLK_w, true);
    if (i == 10) pushKey(SDLK_d, true);
    if (i == 20) pushKey(SDLK_SPACE, true);
    if (i == 25) pushKey(SDLK_SPACE, false);
    if (i == 30) pushKey(SDLK_d, false);
    if (i % 7 == 0) {
        pushKey(SDLK_F12, true);   // codes past the 256-entry table
        pushKey(SDLK_UP, true);
        pushKey(SDLK_RSHIFT, true);
        pushKey(SDLK_F12, false);
        pushKey(SDLK_UP, false);
        pushKey(SDLK_RSHIFT, false);
    }
    if (i == 40) {  // a burst that fills the queue and loses the release behind it
        pushKey(SDLK_s, true);
        for (int k = 0; k < nullplat::kQueue; k++) pushMotion(320, 240, 1, 0);
        pushKey(SDLK_s, false);
    }
    int x = (i % 3 == 0) ? 639 : (i % 3 == 1) ? 0 : 320;  // right edge, left edge, middle
    pushMotion(x, 240 + (i % 5) - 2, (i % 2) ? 40 : -40, (i % 4) - 2);
    pushMotion(x, 240, 1, 1);
}

}  // namespace

TEST(AllocCounter, SeesNewAndMalloc) {
    alloc::start();
    sink = ::operator new(16);
    ::operator delete(sink);
    sink = std::malloc(16);
    std::free(sink);
    EXPECT_EQ(alloc::stop(), 2u);
}

class FrameAlloc : public ScratchDir {};

TEST_F(FrameAlloc, FramesAfterStartUpAllocateNothing) {
    ASSERT_EQ(symlink(VASKEL_TEXTURES_DIR, "textures"), 0) << VASKEL_TEXTURES_DIR;

    // Start-up objects live until the process ends by design, and some are
    // dropped on purpose (cInitWorld replaces the first world root; the
    // model grid's array owns nothing): keep them out of the leak report so
    // that a leak in the frames below still shows.
    LSAN_DISABLE();
    alloc::start();
    temp_startup();
    size_t startup = alloc::stop();
    LSAN_ENABLE();
    // The counter does see the project's allocations: start-up makes the
    // 4096 grid cubes and the model grid among others.
    EXPECT_GT(startup, size_t(2 * WORLD_CELLS));

    // 200 frames cover walking, jumping, the logo's display and fade-out,
    // edge warps and the fall off the floor's edge.
    const int kFrames = 200;
    int allocatingFrames = 0;
    for (int i = 0; i < kFrames; i++) {
        scriptFrame(i);
        alloc::start();
        temp_frame();
        size_t n = alloc::stop();
        if (n && allocatingFrames++ == 0) {
            ADD_FAILURE() << "frame " << i << " made " << n << " heap allocations; first one from:";
            alloc::printFirst();
        }
    }
    EXPECT_EQ(allocatingFrames, 0) << "of " << kFrames << " frames";
    EXPECT_LT(player_y, -3.0f) << "the script walks off the floor";
    EXPECT_FALSE(Keys[SDLK_s]) << "the release lost to the full queue is recovered";
    EXPECT_EQ(splashalpha <= 0, true) << "the logo has faded out";

    alloc::start();
    cDrawWorld();
    DrawWorld();
    EXPECT_EQ(alloc::stop(), 0u) << "drawing either grid";
}
