#pragma once

#include <SDL/SDL.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "../engine/vaskel_primitives.h"
#include "../engine/vaskel_sk.h"
#include "../engine/vaskel_texture.h"
#include "entity.h"

// ---- Globals, grouped by who sets them and when ----

// Entry start-up: created once before the loop, never released.
extern VK_SK_Engine* newEngine;     // deleted on either quit path
extern VK_TEXTURE* StoneTexture;
extern VK_CUBE* testCube;
extern unsigned StoneCube;

// Frame loop: next_time advances 30 ms per frame; Keys is written only by
// GameKey and GameStart.
const Uint32 FRAME_MS = 30;
extern Uint32 next_time;
extern bool Keys[256];

// Key and quit events counted into SDL's queue by the event filter and out
// of it by the drain; the difference, once the queue is empty, is what a
// full queue dropped. Positions are counts of passed events, 0 for none.
struct EventTally {
    std::atomic<uint64_t> passed{0};    // written on whatever thread SDL runs the filter
    std::atomic<uint64_t> quitAt{0};    // position of the latest quit request
    std::atomic<uint64_t> escapeAt{0};  // position of the latest Escape press
    uint64_t taken = 0;                 // the drain's own count, resynchronised after each drain
};
extern EventTally eventTally;

// Whether SDL keeps the hidden pointer in the window (the input grab), and
// why: the focus, the pointer having moved over the window since the focus
// came, and the window manager's keys decide.
struct PointerKeep {
    bool kept = false;
    bool focused = true;       // SDL starts every window as focused
    bool over = false;         // a motion seen since the focus came
    unsigned wmKeysHeld = 0;   // one bit per Alt, Meta and Super key held
};
extern PointerKeep pointerKeep;

// GameStart: light constants and the objects it creates.
extern float LightAmbient[4];
extern float LightDiffuse[4];
extern float LightPosition[4];
extern VK_TEXTURE* Texture_Dirt;
extern VK_CUBE* Block_Dirt;
extern VK_TEXTURE* Texture_Obsidian;
extern VK_CUBE* Block_Obsidian;
extern gEntity* testroot;
extern VK_SPRITE* tCursor;
extern VK_SPRITE* sprLogo;
extern VK_TEXTURE* txWireframe;

// Player: reset by GameStart, moved by GameMouse, GameKeyStep and GameDraw.
extern float player_x, player_y, player_z;
extern float yrot, xrot;
extern float mxvel, myvel, mzvel;
extern bool SwitchFlag;

// Overlay counters: set by GameStart, run down by the overlay pass.
extern int splashtimer;
extern float splashalpha;

// Block grid: filled by InitWorld, emptied by CleanWorld; txStone,
// txObTile and worldroot are replaced by cInitWorld.
const int WORLD_SIDE = 64;
const int WORLD_CELLS = WORLD_SIDE * WORLD_SIDE;
extern VK_CUBE* lData[WORLD_CELLS];
extern VK_TEXTURE* txStone;
extern VK_TEXTURE* txObTile;
extern gEntity* worldroot;

// Model grid: filled by cInitWorld; owns nothing.
extern std::vector<mcEntity*> cWorld;

// ---- Entry and frame loop ----
void temp_startup();           // the start-up sequence, up to "Entering gameloop"
void temp_frame();             // one pass of the frame loop; may end the process
[[noreturn]] void temp_quit(); // the quit path: delete the engine, show the cursor, exit(0)
unsigned retTime();
int temp_process_events();
int temp_event_filter(const SDL_Event* event);  // installed as SDL's event filter
void temp_watch_events();                       // installs it; after SDL_Init, which clears any filter
int temp_recover_dropped(uint64_t seen);        // end of a drain: act on what a full queue dropped
void temp_keys_from_sdl();                      // the key table from SDL's own key state
void temp_key_handler_down(SDL_keysym* keysym);
void temp_key_handler_up(SDL_keysym* keysym);
void temp_focus_handler(const SDL_ActiveEvent* active);  // keeps the pointer in the window while focused
void temp_pointer_over();                                 // a motion: the pointer is over the window
void temp_wm_key(int code, bool down);                    // frees it while a window manager's key is held
void temp_keep_pointer();                                 // grabs or frees it as pointerKeep says
void GameKey(int code, bool down);
void temp_draw_screen();
void temp_begin_frame();   // clear and the frame's starting state, before GameDraw
void debmessage(const char* text);
void PrintProgress(const char* line);  // a start-up line on standard output, flushed

// ---- Game life cycle ----
void GameStart();
void GameEnd();

// ---- Player and camera ----
double deg2rad(double degrees);
void GameKeyStep();
void GameMouse();
void GameDraw();
void PlayerStep();   // heading, pitch, jump, damping, floor, gravity: no GL
void PlaceCamera();  // gluLookAt from the player's eye

// ---- Overlay ----
// Fixed underlying type: sresize must accept any value of it, not only the two named.
enum sr_mode : int { SR_PERSPECTIVE = 0, SR_ORTHO = 1 };
void sresize(float width, float height, sr_mode mode);
void DrawOverlay();

// ---- World ----
void InitWorld();
void DrawWorld();
void CleanWorld();
void cInitWorld();
void cDrawWorld();

// ---- View ray and tiles ----
void AddObsid_Tile(float x, float y, float z);
void TraceRay();
void RayPoint(float x, float y, float z, float yaw, float pitch);
