#pragma once

// Recording stand-ins for OpenGL, GLU and SDL 1.2, linked into the unit
// tests in place of the real libraries. Every call is appended to a log in
// a readable form, e.g. "glBindTexture(GL_TEXTURE_2D, 3)" or
// "glVertex3f(-3, -2, 8)"; floats print in their shortest exact form.

#include <SDL/SDL.h>
#include <GL/gl.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

namespace fake {

struct Call {
    std::string name;          // "glVertex3f"
    std::vector<double> args;  // numeric arguments (pointers omitted)
    std::string text;          // "glVertex3f(0, 1, 1)"
    bool inList = false;       // recorded between glNewList and glEndList
};

// ---- the log ----
std::vector<Call>& calls();
std::vector<std::string> texts();                            // every call's text
std::vector<std::string> texts(const std::string& prefix);   // calls whose name starts with prefix
size_t count(const std::string& name);                       // calls with exactly this name
void clearCalls();

// Clears the log and every piece of state below to its start value.
void reset();

// ---- GL state kept by the stand-in ----
extern std::set<GLenum> enabled;
extern GLuint boundTexture;
extern GLenum matrixMode;
extern GLenum blendSrc, blendDst;
extern float color[4];
extern GLuint nextTextureName;  // next name glGenTextures hands out (starts at 1)
extern GLuint nextListName;     // next name glGenLists hands out (starts at 1)
extern GLint maxTextureSize;    // what glGetIntegerv reports as GL_MAX_TEXTURE_SIZE (16384)
extern bool recordingList;
bool isEnabled(GLenum cap);

// ---- SDL state and scripting ----
extern Uint32 ticks;               // SDL_GetTicks; SDL_Delay advances it
extern Uint32 ticksPerCall;        // added after each SDL_GetTicks (simulated work)
extern std::deque<SDL_Event> events;   // SDL_PollEvent pops from the front
extern int mouseX, mouseY;         // SDL_GetMouseState
extern int relX, relY;             // SDL_GetRelativeMouseState; cleared by each call
extern bool initFails;             // SDL_Init returns -1
extern bool videoInfoFails;        // SDL_GetVideoInfo returns null
extern bool setVideoModeFails;     // SDL_SetVideoMode returns null
extern int desktopBpp;             // BitsPerPixel SDL_GetVideoInfo reports
extern int cursorShown;            // last SDL_ShowCursor state (starts 1)
extern std::vector<std::string> openedFiles;  // names given to SDL_RWFromFile that opened

// Events arriving the way SDL 1.2 takes them in: with throughSdl set, the
// push functions below update keyState, run the installed filter and queue
// the event only while fewer than kQueueLimit are waiting; otherwise they
// append to events directly.
const size_t kQueueLimit = 127;
extern bool throughSdl;
extern SDL_EventFilter eventFilter;  // installed by SDL_SetEventFilter
extern Uint8 keyState[SDLK_LAST];    // SDL_GetKeyState
extern Uint8 appState;               // SDL_GetAppState; focus events that arrive set it
void arrive(const SDL_Event& event);

void pushKey(int sym, bool down, Uint8 scancode = 0);  // 0: no place known
void pushMotion(int x, int y, int dx, int dy);  // sets the mouse state when popped
void pushQuit();
void pushEvent(Uint8 type);

}  // namespace fake
