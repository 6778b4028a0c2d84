// Entry start-up, the fixed-step frame loop, event dispatch into the key
// table, per-frame screen preparation and the two ways the program ends.
#include "game.h"

#include <GL/gl.h>

#include <algorithm>
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

EventTally eventTally;

// Pointer keeping: set by the focus, motion and key handlers.
PointerKeep pointerKeep;

namespace {

const int QUIT_REQUESTED = 99;
const int QUEUE_EMPTY = 1;
const int QUEUE_ROOM = 128;  // SDL 1.2's queue holds 127 events, sdl12-compat's 128

// The events the game cannot do without: a lost key release leaves a key
// held, a lost quit leaves the game running.
bool tallied(Uint8 type) { return type == SDL_KEYDOWN || type == SDL_KEYUP || type == SDL_QUIT; }

// Whether the tally position at lies within what the drain has accounted for.
bool within(uint64_t at, uint64_t seen) { return at != 0 && at <= seen; }

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
    temp_watch_events();
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
// returns 0 until the loop has caught up, 30 ms per frame. The tick count
// wraps after 49.7 days; a signed difference stays right across the wrap,
// where comparing the counts would sleep until it came round again.
unsigned retTime() {
    int32_t ahead = int32_t(next_time - SDL_GetTicks());
    return ahead > 0 ? unsigned(ahead) : 0;
}

int temp_process_events() {
    SDL_Event event;
    for (;;) {
        // Read before each poll, so that once a poll finds the queue empty,
        // every event counted by then has been taken or dropped: anything
        // the filter passes later (from another thread) may still be queued.
        uint64_t seen = eventTally.passed.load();
        if (!SDL_PollEvent(&event)) return temp_recover_dropped(seen);
        if (tallied(event.type)) eventTally.taken++;
        switch (event.type) {
            case SDL_KEYDOWN: temp_key_handler_down(&event.key.keysym); break;
            case SDL_KEYUP: temp_key_handler_up(&event.key.keysym); break;
            case SDL_MOUSEMOTION:
                GameMouse();  // reads SDL's own state
                temp_pointer_over();
                break;
            case SDL_ACTIVEEVENT: temp_focus_handler(&event.active); break;
            case SDL_QUIT: return QUIT_REQUESTED;      // later events stay queued
            default: break;
        }
    }
}

// SDL 1.2 keeps at most 127 events (sdl12-compat 128) and drops what
// arrives while its queue is full. Its filter sees every event before the
// queue does, so the filter counts what went in and the drain what came
// out. SDL runs it wherever it raises an event: in the event pump on the
// main thread, and in classic SDL also in the signal handler that turns
// SIGINT and SIGTERM into a quit request; so it touches only lock-free
// atomics.
int temp_event_filter(const SDL_Event* event) {
    if (!tallied(event->type)) return 1;
    uint64_t at = ++eventTally.passed;
    if (event->type == SDL_QUIT) eventTally.quitAt = at;
    if (event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_ESCAPE) eventTally.escapeAt = at;
    return 1;
}

// Classic SDL's install throws away every event already queued, and what
// its pump brings in meanwhile; sdl12-compat keeps them. Either way what the
// user did before the loop starts (a key, the motion of a window opening
// under the pointer) reaches the first drain: the pump brings in what is
// pending, the queue is taken out and put back in order behind the filter,
// and those events count as passed by it, whether or not the library runs
// the filter on events put back.
void temp_watch_events() {
    SDL_Event waiting[QUEUE_ROOM];
    SDL_PumpEvents();
    int count = std::max(0, SDL_PeepEvents(waiting, QUEUE_ROOM, SDL_GETEVENT, SDL_ALLEVENTS));
    SDL_SetEventFilter(temp_event_filter);
    uint64_t before = eventTally.passed.load();
    int back = std::max(0, SDL_PeepEvents(waiting, count, SDL_ADDEVENT, SDL_ALLEVENTS));
    auto isTallied = [](const SDL_Event& e) { return tallied(e.type); };
    uint64_t requeued = uint64_t(std::count_if(waiting, waiting + back, isTallied));
    if (eventTally.passed.load() == before) eventTally.passed += requeued;
    eventTally.taken = eventTally.passed.load() - requeued;
}

// The queue is empty, and seen is what the filter had passed before the
// poll that found it so. A quit or an Escape counted by then was dropped,
// or it would have ended the program; and if any counted event went
// missing, the key table is brought in line with SDL's own key state,
// which is kept up to date whether or not the queue had room.
int temp_recover_dropped(uint64_t seen) {
    bool dropped = seen > eventTally.taken;
    eventTally.taken = seen;
    uint64_t quit = eventTally.quitAt, escape = eventTally.escapeAt;
    if (within(quit, seen) && !(within(escape, seen) && escape < quit)) return QUIT_REQUESTED;
    if (within(escape, seen)) {
        SDL_keysym keysym{};
        keysym.sym = SDLK_ESCAPE;
        temp_key_handler_down(&keysym);
    }
    if (dropped) temp_keys_from_sdl();
    return QUEUE_EMPTY;
}

void temp_keys_from_sdl() {
    int count = 0;
    const Uint8* state = SDL_GetKeyState(&count);
    for (int code = 0; code < 256; code++) GameKey(code, code < count && state[code]);
}

// Escape ends the program from inside dispatch, before this frame's
// movement step and drawing.
void temp_key_handler_down(SDL_keysym* keysym) {
    GameKey(keysym->sym, true);
    temp_wm_key(keysym->sym, true);
    if (keysym->sym != SDLK_ESCAPE) return;
    deleteEngine();
    std::exit(0);
}

void temp_key_handler_up(SDL_keysym* keysym) {
    GameKey(keysym->sym, false);
    temp_wm_key(keysym->sym, false);
}

// A mouse turned at ordinary speed moves several pixels per motion event,
// jumps the two warp columns and leaves the window, where SDL reports no
// motion and turning stops. So the hidden cursor is kept in the window while
// the game has the keyboard's focus, from the first motion over the window
// on: kept at once, a pointer outside would be pulled in, and that jump would
// turn the view. Losing the focus frees it, so that the player can reach
// other windows. Classic SDL on X11 takes the keyboard with the pointer,
// which would keep the window manager's own keys (Alt+Tab) from it: while
// Alt, Meta or Super is held the pointer is freed too.
void temp_focus_handler(const SDL_ActiveEvent* active) {
    if (!(active->state & SDL_APPINPUTFOCUS)) return;
    pointerKeep.focused = active->gain != 0;
    pointerKeep.over = false;
    if (!pointerKeep.focused) pointerKeep.wmKeysHeld = 0;  // their releases go to the other window
    temp_keep_pointer();
}

void temp_pointer_over() {
    pointerKeep.over = true;
    temp_keep_pointer();
}

void temp_wm_key(int code, bool down) {
    if (code < SDLK_RALT || code > SDLK_RSUPER) return;  // right and left Alt, Meta, Super
    unsigned bit = 1u << (code - SDLK_RALT);
    pointerKeep.wmKeysHeld = down ? pointerKeep.wmKeysHeld | bit : pointerKeep.wmKeysHeld & ~bit;
    temp_keep_pointer();
}

// Asks SDL only on a change: classic SDL raises the window at every grab.
void temp_keep_pointer() {
    bool keep = pointerKeep.focused && pointerKeep.over && pointerKeep.wmKeysHeld == 0;
    if (keep == pointerKeep.kept) return;
    pointerKeep.kept = keep;
    SDL_WM_GrabInput(keep ? SDL_GRAB_ON : SDL_GRAB_OFF);
}

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
