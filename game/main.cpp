// Entry start-up, the fixed-step frame loop, event dispatch into the key
// table, per-frame screen preparation and the two ways the program ends.
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
// frame by temp_frame; Keys is written by GameKey and cleared by GameStart.
Uint32 next_time = 0;
bool Keys[256];

namespace {

const int QUIT_REQUESTED = 99;
const int QUEUE_EMPTY = 1;

void deleteEngine() {
    if (newEngine) {
        delete newEngine;
        newEngine = nullptr;
    }
}

}  // namespace

// Progress lines go out at once: a test or a pipe reading standard output
// sees each line even if the process is killed right after.
void PrintProgress(const char* line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
}

void temp_startup() {
    newEngine = new VK_SK_Engine(true);
    newEngine->initGL(true);
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
    if (temp_process_events() == QUIT_REQUESTED) temp_quit();
    GameKeyStep();
    temp_draw_screen();
    next_time += FRAME_MS;
}

void temp_quit() {
    deleteEngine();
    SDL_ShowCursor(SDL_ENABLE);
    std::exit(0);
}

// The schedule is never re-based: once the clock has passed next_time this
// returns 0 until the loop has caught up, 30 ms per frame.
unsigned retTime() {
    Uint32 now = SDL_GetTicks();
    return next_time > now ? next_time - now : 0;
}

int temp_process_events() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_KEYDOWN: temp_key_handler_down(&event.key.keysym); break;
            case SDL_KEYUP: temp_key_handler_up(&event.key.keysym); break;
            case SDL_MOUSEMOTION: GameMouse(); break;  // GameMouse reads SDL's own state
            case SDL_QUIT: return QUIT_REQUESTED;      // later events stay queued
            default: break;
        }
    }
    return QUEUE_EMPTY;
}

// Escape ends the program from inside dispatch, before this frame's
// movement step and drawing.
void temp_key_handler_down(SDL_keysym* keysym) {
    GameKey(keysym->sym, true);
    if (keysym->sym != SDLK_ESCAPE) return;
    deleteEngine();
    std::exit(0);
}

void temp_key_handler_up(SDL_keysym* keysym) { GameKey(keysym->sym, false); }

// SDL 1.2 key codes run up to 322 (cursor, function and modifier keys);
// the table only covers 0..255 and the game reads nothing above 127, so
// other codes are dropped rather than written past the table.
void GameKey(int code, bool down) {
    if (code < 0 || code >= 256) return;
    Keys[code] = down;
}

void temp_draw_screen() {
    temp_begin_frame();
    GameDraw();
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
