#include "fake.h"
#include "fake_internal.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <cstdio>

namespace fake {

static std::vector<Call> g_calls;

std::set<GLenum> enabled;
GLuint boundTexture;
GLenum matrixMode;
GLenum blendSrc, blendDst;
float color[4];
GLuint nextTextureName;
GLuint nextListName;
GLint maxTextureSize;
bool recordingList;

Uint32 ticks;
Uint32 ticksPerCall;
std::deque<SDL_Event> events;
bool throughSdl = false;
SDL_EventFilter eventFilter = nullptr;
Uint8 keyState[SDLK_LAST];
Uint8 appState;
int mouseX, mouseY, relX, relY;
bool initFails, videoInfoFails, setVideoModeFails;
int desktopBpp;
int cursorShown;
std::vector<std::string> openedFiles;

std::vector<Call>& calls() { return g_calls; }

std::vector<std::string> texts() {
    std::vector<std::string> out;
    for (const Call& c : g_calls) out.push_back(c.text);
    return out;
}

std::vector<std::string> texts(const std::string& prefix) {
    std::vector<std::string> out;
    for (const Call& c : g_calls)
        if (c.name.compare(0, prefix.size(), prefix) == 0) out.push_back(c.text);
    return out;
}

size_t count(const std::string& name) {
    size_t n = 0;
    for (const Call& c : g_calls) n += c.name == name;
    return n;
}

void clearCalls() { g_calls.clear(); }

bool isEnabled(GLenum cap) { return enabled.count(cap) != 0; }

void reset() {
    g_calls.clear();
    enabled.clear();
    enabled.insert(GL_DITHER);
    boundTexture = 0;
    matrixMode = GL_MODELVIEW;
    blendSrc = GL_ONE;
    blendDst = GL_ZERO;
    color[0] = color[1] = color[2] = color[3] = 1;
    nextTextureName = 1;
    nextListName = 1;
    maxTextureSize = 16384;
    recordingList = false;
    ticks = 0;
    ticksPerCall = 0;
    events.clear();
    throughSdl = false;
    eventFilter = nullptr;
    std::fill(std::begin(keyState), std::end(keyState), Uint8(0));
    appState = SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS | SDL_APPACTIVE;
    mouseX = mouseY = relX = relY = 0;
    initFails = videoInfoFails = setVideoModeFails = false;
    desktopBpp = 24;
    cursorShown = 1;
    openedFiles.clear();
}

namespace {

void deliver(const SDL_Event& e) {
    if (throughSdl)
        arrive(e);
    else
        events.push_back(e);
}

}  // namespace

// As SDL 1.2 does: key state first, then the filter, then the queue if it has room.
void arrive(const SDL_Event& e) {
    if ((e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) && e.key.keysym.sym < SDLK_LAST)
        keyState[e.key.keysym.sym] = e.type == SDL_KEYDOWN;
    if (e.type == SDL_ACTIVEEVENT) appState = e.active.gain ? appState | e.active.state : appState & ~e.active.state;
    if (eventFilter && !eventFilter(&e)) return;
    if (events.size() < kQueueLimit) events.push_back(e);
}

void pushKey(int sym, bool down, Uint8 scancode) {
    SDL_Event e{};
    e.key.keysym.scancode = scancode;
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.type = e.type;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = static_cast<SDLKey>(sym);
    deliver(e);
}

void pushMotion(int x, int y, int dx, int dy) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.x = static_cast<Uint16>(x);
    e.motion.y = static_cast<Uint16>(y);
    e.motion.xrel = static_cast<Sint16>(dx);
    e.motion.yrel = static_cast<Sint16>(dy);
    deliver(e);
}

void pushQuit() { pushEvent(SDL_QUIT); }

void pushEvent(Uint8 type) {
    SDL_Event e{};
    e.type = type;
    deliver(e);
}

// ---- formatting ----

std::string num(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string num(float v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string enumName(GLenum e) {
    switch (e) {
#define N(x) case x: return #x;
        N(GL_TEXTURE_2D) N(GL_QUADS) N(GL_LINE_LOOP) N(GL_BLEND) N(GL_DEPTH_TEST)
        N(GL_LIGHTING) N(GL_LIGHT1) N(GL_FOG) N(GL_COLOR_MATERIAL) N(GL_MODELVIEW)
        N(GL_PROJECTION) N(GL_SRC_ALPHA) N(GL_ONE_MINUS_SRC_ALPHA) N(GL_COMPILE)
        N(GL_SMOOTH) N(GL_LEQUAL) N(GL_UNPACK_ALIGNMENT) N(GL_TEXTURE_MIN_FILTER)
        N(GL_TEXTURE_MAG_FILTER) N(GL_NEAREST) N(GL_RGB) N(GL_RGBA) N(GL_BGR)
        N(GL_UNSIGNED_BYTE) N(GL_FOG_MODE) N(GL_LINEAR) N(GL_FOG_COLOR) N(GL_FOG_DENSITY)
        N(GL_FOG_HINT) N(GL_DONT_CARE) N(GL_FOG_START) N(GL_FOG_END) N(GL_AMBIENT)
        N(GL_DIFFUSE) N(GL_POSITION) N(GL_CULL_FACE) N(GL_TEXTURE_WRAP_S)
        N(GL_TEXTURE_WRAP_T) N(GL_LIGHT0) N(GL_FLAT) N(GL_LESS) N(GL_COMPILE_AND_EXECUTE)
        N(GL_MODELVIEW_MATRIX) N(GL_PROJECTION_MATRIX) N(GL_VIEWPORT) N(GL_MAX_TEXTURE_SIZE)
#undef N
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%X", e);
    return buf;
}

void record(const char* name, std::vector<double> args, const std::string& argText) {
    Call c;
    c.name = name;
    c.args = std::move(args);
    c.text = std::string(name) + "(" + argText + ")";
    c.inList = recordingList && c.name != "glNewList";
    g_calls.push_back(std::move(c));
}

}  // namespace fake
