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

// Frame loop: next_time advances 30 ms per frame.
const Uint32 FRAME_MS = 30;
extern Uint32 next_time;

// Key table: written only by GameKey and GameStart.
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
// what decides it: the input focus, the pointer having moved over the window
// since the focus came (or, when the pointer brought the focus, a click or
// a play key), and the window manager's keys.
const unsigned LONG_AGO = ~0u;
const unsigned FOCUS_BY_POINTER_DRAINS = 10;  // a focus this soon after the pointer came, or before, is the pointer's
struct PointerKeep {
    bool kept = false;         // what SDL was last told
    bool focused = true;       // SDL starts every window as focused
    bool movedOver = false;    // a motion seen since the focus came
    bool waitsForPlay = false; // the pointer brought the focus: its motion may be passing through
    unsigned drainsSinceArrival = LONG_AGO;  // since the pointer came over the window unfocused
    unsigned drainsSinceFocus = LONG_AGO;    // since the focus came
    bool focusFollowsPointer = false;        // the window manager's way, read at start
    bool focusLostThisDrain = false;         // in the drain under way
    bool pointerOut = true;    // the pointer left the window (a leave under the keep is the grab's own)
    unsigned wmKeysHeld = 0;   // one bit per Alt, Meta and Super key held
    bool wmKeyUpThisDrain = false;  // such a key went up in the drain under way
};
extern PointerKeep pointerKeep;

// F11 or Alt+Enter seen by the drain; the frame loop switches the window
// between full screen and its own size, and clears it.
extern bool screenSwitchAsked;

// What SDL says is true now, read at the end of each drain.
struct InputFacts {
    bool inputFocus;
    unsigned wmKeysHeld;
};

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
const int QUEUE_EMPTY = 1;      // what the drain returns
const int ESCAPE_PRESSED = 27;
const int QUIT_REQUESTED = 99;
void temp_startup();              // the start-up sequence, up to "Entering gameloop"
void temp_frame();                // one pass of the frame loop; may end the process
[[noreturn]] void temp_quit();    // the quit path: delete the engine, show the cursor, exit(0)
[[noreturn]] void temp_escape();  // the Escape path: delete the engine, exit(0)
unsigned retTime();
void temp_draw_screen();
void temp_begin_frame();   // clear and the frame's starting state, before GameDraw
void debmessage(const char* text);
void PrintProgress(const char* line);  // a start-up line on standard output, flushed

// ---- Input ----
int temp_process_events();                      // the drain: QUEUE_EMPTY, ESCAPE_PRESSED or QUIT_REQUESTED
int temp_event_filter(const SDL_Event* event);  // installed as SDL's event filter
void temp_watch_events();                       // installs it; after SDL_Init, which clears any filter
int temp_drain_done(uint64_t seen);             // end of a drain: what a full queue dropped, the keep
void temp_keys_from_sdl();                      // the key table from SDL's own key state
bool temp_key_handler_down(SDL_keysym* keysym); // true for Escape
void temp_key_handler_up(SDL_keysym* keysym);
void GameKey(int code, bool down);
const int NO_KEY = -1;  // a key the table has no place for
int keyByPlace(int sym, int walkPlace, bool placeKnown);  // the table's index for a key
bool asksScreenSwitch(int sym, int mod);                   // F11, or Enter with Alt
void inputAfterWindowChange();                             // keys and keep after SDL set a mode
void switchScreenIfAsked();                                // window.cpp: between the drain and the movement step
void followMonitorIfFullScreen();                          // window.cpp: after the switch
// The pointer keep's rules, free of SDL: each gives the state after one event.
bool keepWanted(const PointerKeep& keep);
PointerKeep keepAfterFocus(PointerKeep keep, Uint8 gain, Uint8 state);
PointerKeep keepAfterMotion(PointerKeep keep);
PointerKeep keepAfterKey(PointerKeep keep, int code, bool down);
PointerKeep keepAfterClick(PointerKeep keep);
PointerKeep keepSettled(PointerKeep keep, const InputFacts& now);
int walkLetterAt(Uint8 scancode);     // 'w', 'a', 's' or 'd' for the key in its US place, else 0
int symTypedAtWalkPlace(int letter);  // what that place types on the layout now; 0 when unknown

// ---- The window around the frame (window.cpp) ----
// A monitor, in the desktop's pixels from its top left.
struct ScreenArea {
    int x, y, w, h;
};

// ---- What SDL 1.2 leaves undone, per platform ----
// X11 (x11_input.cpp, x11_window.cpp), Windows (platform_windows.cpp) and
// the browser (platform_web.cpp): focus clicks dropped by sdl12-compat,
// classic SDL's keyboard grab, which KWin mistakes, where the walk keys are,
// full screen, the desktop's scale and the step that scales the frame.
void letFocusClicksThrough();                      // once, with the event filter
void watchSdlKeyboardGrabs();                      // once, with the event filter
void undoSdlKeyboardGrab();                        // after SDL's grab, and before it lets go
void undoKeyboardGrabsSdlMadeAlone(bool focused);  // once a drain
struct WalkPlace {
    Uint8 scancode;  // 0 where the platform gives none
    char letter;
};
extern const WalkPlace WALK_PLACES[4];  // where W, A, S and D sit on a US keyboard
int symTypedAt(Uint8 scancode);         // what that key types on the layout now; 0 when unknown
bool focusFollowsPointer();             // whether the window manager gives the focus to the window under the pointer
bool fullScreenShownHere();             // whether showFullScreen can
bool monitorOfWindow(ScreenArea& monitor);  // the monitor holding the window's middle, when known
void noteFramedPlace();                 // before the window grows to full screen: where it comes back to
void moveToMonitor(const ScreenArea& monitor);  // once grown, before the window manager is asked
void showFullScreen(bool on);           // asks the window manager, around the engine's resize
void backToFramedPlace();               // once back at its own size
int desktopScaleAsked();                // before the window opens: 2 where the desktop draws twice as large
int desktopScaleFromResources(const char* resources);  // X11 only: from X resources' Xft.dpi
void fitFrameToWindow();                // before each swap: the frame scaled up to a larger window

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
