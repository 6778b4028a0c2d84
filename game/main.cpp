// Entry start-up, the fixed-step frame loop, per-frame screen preparation
// and the two ways the program ends.
#include "game.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

// Entry start-up: created once by temp_startup, never released except the
// engine, which either quit path deletes.
VK_SK_Engine* newEngine = nullptr;
VK_TEXTURE* StoneTexture = nullptr;
VK_CUBE* testCube = nullptr;
unsigned StoneCube = 0;

// Frame loop: next_time is set once by temp_startup and advanced 30 ms per
// frame by temp_frame.
Uint32 next_time = 0;

namespace {

void deleteEngine() {
    if (newEngine) {
        delete newEngine;
        newEngine = nullptr;
    }
}

}  // namespace

void temp_startup() {
    newEngine = new VK_SK_Engine(true, desktopScaleAsked());
    newEngine->initGL(true);
    temp_watch_events();
    pointerKeep.focusFollowsPointer = focusFollowsPointer();
    StoneTexture = new VK_TEXTURE("./textures/stone.bmp", false);
    PrintProgress("Engine initialized\n");
    testCube = new VK_CUBE(0, 0, 0, StoneTexture, StoneTexture, StoneTexture);
    glEnable(GL_TEXTURE_2D);
    StoneCube = testCube->MakeList();
    testCube->SetList(StoneCube);
    GameStart();
    glClearColor(0.3f, 0.5f, 0.7f, 1.0f);
    next_time = SDL_GetTicks() + FRAME_MS;
    PrintProgress("Timer Initialized\n");
    GameKeyStep();
    GameKey(110, false);
    PrintProgress("Keystep entered\n");
    PrintProgress("Entering gameloop\n");
}

void temp_frame() {
    SDL_Delay(retTime());
    int drained = temp_process_events();
    if (drained == QUIT_REQUESTED) temp_quit();
    if (drained == ESCAPE_PRESSED) temp_escape();
    switchScreenIfAsked();
    followMonitorIfFullScreen();
    GameKeyStep();
    temp_draw_screen();
    next_time += FRAME_MS;
}

void temp_quit() {
    deleteEngine();
    SDL_ShowCursor(SDL_ENABLE);
    std::exit(0);
}

// Escape ends the program from inside dispatch, before this frame's
// movement step and drawing; the key table already holds it.
void temp_escape() {
    deleteEngine();
    std::exit(0);
}

// The schedule is never re-based: once the clock has passed next_time this
// returns 0 until the loop has caught up, 30 ms per frame. The tick count
// wraps after 49.7 days; a signed difference stays right across the wrap,
// where comparing the counts would sleep until it came round again.
unsigned retTime() {
    int32_t ahead = int32_t(next_time - SDL_GetTicks());
    return ahead > 0 ? unsigned(ahead) : 0;
}

void temp_draw_screen() {
    temp_begin_frame();
    GameDraw();
    fitFrameToWindow();
    SDL_GL_SwapBuffers();
}

// The state every frame's drawing starts from: stone bound, identity
// modelview, colour material on, opaque white.
void temp_begin_frame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, StoneTexture->texID);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_COLOR_MATERIAL);
    glColor3f(1, 1, 1);
}

// Debugging aid, not called by the game: replaces events.log with text.
void debmessage(const char* text) {
    FILE* file = std::fopen("events.log", "w");
    if (!file) return;
    std::fputs(text, file);
    std::fclose(file);
}
