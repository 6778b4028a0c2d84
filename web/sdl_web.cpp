// SDL 1.2 for the browser build: the canvas as the window with a WebGL 2
// context, DOM input as SDL events, the virtual mouse, the millisecond
// clock and sleeps (which hand control back to the browser), and bitmap
// files from the preloaded file system.
#include <GL/gl.h>
#include <SDL/SDL.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "glentry.h"
#include "sdlcore.h"
#include "webgl.h"

struct SDL_RWops {
    FILE* file;
};

namespace {

const char kCanvas[] = "#canvas";
const int kWidth = 640, kHeight = 480;
const long kMaxBitmapBytes = 64L << 20;

vkw::EventQueue gQueue;
vkw::VirtualMouse gMouse(kWidth, kHeight);
vkw::PageClock gClock;
bool gListening = false;
bool gLocked = false;
// A press's asking for pointer lock, until the lock comes or the press's
// user activation is spent.
double gLockAskedAt = -1;    // the press's time, -1 for none
bool gLockPending = false;   // a request not answered yet
bool gLockChance = false;    // since that request: a click or the focus came in
bool gPageHidden = false, gGraphicsLost = false, gRestorePending = false;
bool gHaveLast = false;
long gLastX = 0, gLastY = 0;
int gCursorShown = SDL_ENABLE;
SDL_EventFilter gFilter = nullptr;
Uint8 gKeyState[SDLK_LAST];  // kept whether or not the queue has room

SDL_PixelFormat gDesktopFormat;
SDL_VideoInfo gVideoInfo;
SDL_Surface gScreen;
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE gWebGL = 0;
std::unique_ptr<vkw::Backend> gBackend;
std::unique_ptr<vkw::Context> gContext;

// As SDL 1.2 posts: through the filter, then into the queue if it has room.
void post(const SDL_Event& e) {
    if (gFilter && !gFilter(&e)) return;
    gQueue.push(e);
}

void postMotion(int dx, int dy) {
    SDL_Event e;
    if (gMouse.move(dx, dy, &e)) post(e);
}

void postKey(SDLKey sym, bool down) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down;
    e.key.keysym.sym = sym;
    gKeyState[sym] = e.key.state;
    post(e);
}

// Returning true keeps the event from the browser.
EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* k, void*) {
    SDLKey sym = vkw::keyFromDomCode(k->code);
    if (sym == SDLK_UNKNOWN) return EM_FALSE;
    bool takes = vkw::gameTakesKey(sym, k->ctrlKey, k->altKey, k->metaKey);
    if (k->repeat) return takes;  // SDL 1.2 repeats nothing unless asked
    postKey(sym, type == EMSCRIPTEN_EVENT_KEYDOWN);
    return takes;
}

// A window manager tells a window that loses the focus to let go of its
// keys; a page that loses it would otherwise never hear their releases.
void releaseHeld() {
    for (int sym = 0; sym < SDLK_LAST; sym++)
        if (gKeyState[sym]) postKey(SDLKey(sym), false);
}

EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void*) {
    releaseHeld();
    return EM_FALSE;
}

// The game stands still while the page is hidden or has no graphics.
void updateClock() {
    if (gPageHidden || gGraphicsLost)
        gClock.hide(emscripten_get_now());
    else
        gClock.show(emscripten_get_now());
}

EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* v, void*) {
    gPageHidden = v->hidden;
    if (gPageHidden) releaseHeld();
    updateClock();
    return EM_FALSE;
}

// Phones take contexts back from pages in the background or short of
// memory. Returning true asks the browser to give it back; the objects are
// made again in the game's own loop (SDL_Delay), not in this callback.
EM_BOOL onContextLost(int, const void*, void*) {
    gGraphicsLost = true;
    releaseHeld();
    updateClock();
    return EM_TRUE;
}

EM_BOOL onContextRestored(int, const void*, void*) {
    gGraphicsLost = false;
    gRestorePending = true;
    updateClock();
    return EM_TRUE;
}

// Captured: the browser's relative motion. Not captured (refused, or not
// asked for yet): the pointer's own moves over the canvas.
EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* m, void*) {
    if (gLocked) {
        postMotion(int(m->movementX), int(m->movementY));
        return EM_TRUE;
    }
    if (gHaveLast) postMotion(int(m->targetX - gLastX), int(m->targetY - gLastY));
    gLastX = m->targetX;
    gLastY = m->targetY;
    gHaveLast = true;
    return EM_TRUE;
}

EM_BOOL onMouseLeave(int, const EmscriptenMouseEvent*, void*) {
    gHaveLast = false;
    return EM_FALSE;
}

// Asked at the press, where most engines grant it. Firefox refuses it
// while the focus is still outside the page ("the document is not
// focused"), and grants it once the focus has come in, for as long as the
// press's user activation lasts (seconds). The focus comes in at the
// press, or on a busy machine after the whole click: so the lock is asked
// again at each chance (the click, the focus coming in), when the request
// before has been answered. The page asks itself: emscripten would put a
// request made outside an input handler off until the next press or key.
const double kActivationMs = 4000;

void askLock() {
    gLockPending = true;
    gLockChance = false;
    EM_ASM({
        var c = document.querySelector(UTF8ToString($0));
        var asked = c && c.requestPointerLock && c.requestPointerLock();
        if (asked && asked.catch) asked.catch(function () {});  // the refusal comes as pointerlockerror too
    }, kCanvas);
}

void lockChance() {
    if (gLocked || gLockAskedAt < 0 || emscripten_get_now() - gLockAskedAt > kActivationMs) return;
    if (gLockPending)
        gLockChance = true;
    else
        askLock();
}

EM_BOOL onMouseDown(int, const EmscriptenMouseEvent*, void*) {
    if (gLocked) return EM_FALSE;
    gLockAskedAt = emscripten_get_now();
    askLock();
    return EM_FALSE;
}

EM_BOOL onClick(int, const EmscriptenMouseEvent*, void*) {
    lockChance();
    return EM_FALSE;
}

EM_BOOL onFocus(int, const EmscriptenFocusEvent*, void*) {
    lockChance();
    return EM_FALSE;
}

EM_BOOL onLockError(int, const void*, void*) {
    gLockPending = false;
    if (gLockChance) lockChance();
    return EM_FALSE;
}

EM_BOOL onLockChange(int, const EmscriptenPointerlockChangeEvent* p, void*) {
    gLocked = p->isActive;
    gLockPending = false;
    gLockAskedAt = -1;
    gHaveLast = false;
    return EM_FALSE;
}

void listen() {
    if (gListening) return;
    gListening = true;
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, onKey);
    emscripten_set_keyup_callback(window, nullptr, EM_TRUE, onKey);
    emscripten_set_mousemove_callback(kCanvas, nullptr, EM_TRUE, onMouseMove);
    emscripten_set_mouseleave_callback(kCanvas, nullptr, EM_TRUE, onMouseLeave);
    emscripten_set_mousedown_callback(kCanvas, nullptr, EM_TRUE, onMouseDown);
    emscripten_set_click_callback(kCanvas, nullptr, EM_TRUE, onClick);
    emscripten_set_pointerlockchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, onLockChange);
    emscripten_set_pointerlockerror_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, onLockError);
    emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_TRUE, onContextLost);
    emscripten_set_webglcontextrestored_callback(kCanvas, nullptr, EM_TRUE, onContextRestored);
    emscripten_set_blur_callback(window, nullptr, EM_TRUE, onBlur);
    emscripten_set_focus_callback(window, nullptr, EM_TRUE, onFocus);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, onVisibility);
}

void setCursor(bool shown) {
    EM_ASM({ var c = document.querySelector(UTF8ToString($0)); if (c) c.style.cursor = UTF8ToString($1); },
           kCanvas, shown ? "auto" : "none");
}

}  // namespace

extern "C" {

int SDL_Init(Uint32) {
    gClock = vkw::PageClock(emscripten_get_now());
    EmscriptenVisibilityChangeEvent v;
    gPageHidden = emscripten_get_visibility_status(&v) == EMSCRIPTEN_RESULT_SUCCESS && v.hidden;
    updateClock();
    listen();
    return 0;
}

// Input stops, the capture is released and the cursor comes back; the page
// learns that the game has ended from the process exit that follows.
void SDL_Quit(void) {
    emscripten_html5_remove_all_event_listeners();
    gListening = false;
    emscripten_exit_pointerlock();
    setCursor(true);
}

const SDL_VideoInfo* SDL_GetVideoInfo(void) {
    gDesktopFormat.BitsPerPixel = 32;
    gDesktopFormat.BytesPerPixel = 4;
    gVideoInfo.vfmt = &gDesktopFormat;
    gVideoInfo.current_w = kWidth;
    gVideoInfo.current_h = kHeight;
    return &gVideoInfo;
}

// The canvas decides the framebuffer; the requested sizes are not needed.
int SDL_GL_SetAttribute(SDL_GLattr, int) { return 0; }

SDL_Surface* SDL_SetVideoMode(int width, int height, int, Uint32 flags) {
    if (!(flags & SDL_OPENGL) || width <= 0 || height <= 0) return nullptr;
    if (!gWebGL) {
        EmscriptenWebGLContextAttributes a;
        emscripten_webgl_init_context_attributes(&a);
        a.majorVersion = 2;
        a.minorVersion = 0;
        a.alpha = EM_FALSE;
        a.depth = EM_TRUE;
        a.stencil = EM_FALSE;
        a.antialias = EM_FALSE;
        a.preserveDrawingBuffer = EM_FALSE;
        emscripten_set_canvas_element_size(kCanvas, width, height);
        gWebGL = emscripten_webgl_create_context(kCanvas, &a);
        if (gWebGL <= 0) {
            std::fprintf(stderr, "The browser gave no WebGL 2 context (error %d).\n", int(gWebGL));
            gWebGL = 0;
            return nullptr;
        }
        emscripten_webgl_make_context_current(gWebGL);
        gBackend = vkw::makeWebGLBackend();
        gContext = std::make_unique<vkw::Context>(gBackend.get());
        vkw::setContext(gContext.get());
        // GL's viewport starts as the whole window.
        glViewport(0, 0, width, height);
    }
    gScreen.w = width;
    gScreen.h = height;
    gScreen.format = &gDesktopFormat;
    return &gScreen;
}

// Presents by returning to the browser at the next sleep; here the frame
// is finished, counted and, when the page asks, captured.
void SDL_GL_SwapBuffers(void) {
    if (!gContext) return;
    gContext->swap();
    const vkw::Stats& s = gContext->stats();
    EM_ASM({ if (Module.vaskelFrame) Module.vaskelFrame($0, $1, $2, $3, $4, $5); }, double(s.frames), s.lastDrawCalls,
           s.batchBuilds, double(s.lastIndices), s.eyeInside, double(SDL_GetTicks()));
}

int SDL_PollEvent(SDL_Event* event) {
    if (!event) return gQueue.size() > 0;
    return gQueue.pop(event) ? 1 : 0;
}

// The browser delivers input between frames, so there is nothing to pump.
void SDL_PumpEvents(void) {}

// As classic SDL: added events skip the filter; the game asks for all types.
int SDL_PeepEvents(SDL_Event* events, int numevents, SDL_eventaction action, Uint32) {
    if (!events || numevents < 0) return -1;
    int n = 0;
    if (action == SDL_ADDEVENT) {
        while (n < numevents && gQueue.push(events[n])) n++;
    } else if (action == SDL_GETEVENT) {
        while (n < numevents && gQueue.pop(&events[n])) n++;
    }
    return n;
}

Uint32 SDL_GetTicks(void) { return gClock.ticks32(emscripten_get_now()); }

// Resumes at the first of the display's frames at or after `until` (page
// clock, ms), so the frame drawn next is shown at that refresh with no
// extra presentation. A timer stands in where a page gets no display
// frames, so the game never stalls on them. The game is woken as
// emscripten wakes its own sleeps: the runtime kept alive meanwhile, and
// the game's exit, which unwinds its code with a throw, taken as an end
// rather than left to the browser as an uncaught error.
#ifdef EM_JS_DEPS  // newer emscripten leaves out what no library function of its own needs
EM_JS_DEPS(waitForDisplayFrame, "$callUserCallback,$runtimeKeepalivePush,$runtimeKeepalivePop");
#endif
EM_JS(void, waitForDisplayFrame, (double until), {
    return Asyncify.handleSleep(function(wakeUp) {
        runtimeKeepalivePush();
        var asked = 0, timer = setTimeout(done, Math.max(0, until - performance.now()) + 100);
        function done() {
            clearTimeout(timer);
            cancelAnimationFrame(asked);
            runtimeKeepalivePop();
            callUserCallback(wakeUp);
        }
        function frame() { if (performance.now() >= until) done(); else asked = requestAnimationFrame(frame); }
        asked = requestAnimationFrame(frame);
    });
});

// Every sleep hands control back to the browser: that is when it shows the
// frame and delivers input. A game behind its schedule only yields, to
// catch up at once. While the page is hidden or its context lost the game
// waits here: its clock stands still, and it resumes where it was.
void SDL_Delay(Uint32 ms) {
    if (ms > 0)
        waitForDisplayFrame(emscripten_get_now() + ms);
    else
        emscripten_sleep(0);
    while (gClock.hidden()) emscripten_sleep(100);
    if (gRestorePending && gContext) {
        gRestorePending = false;
        gContext->restore();
    }
}

Uint8 SDL_GetRelativeMouseState(int* x, int* y) {
    gMouse.takeRelative(x, y);
    return 0;
}

Uint8 SDL_GetMouseState(int* x, int* y) {
    gMouse.position(x, y);
    return 0;
}

void SDL_WarpMouse(Uint16 x, Uint16 y) {
    SDL_Event e;
    if (gMouse.moveTo(x, y, &e)) post(e);
}

void SDL_SetEventFilter(SDL_EventFilter filter) { gFilter = filter; }

Uint8* SDL_GetKeyState(int* numkeys) {
    if (numkeys) *numkeys = SDLK_LAST;
    return gKeyState;
}

// The page keeps the pointer itself (pointer lock on a click, and a virtual
// pointer that never leaves the view), so there is nothing to confine.
SDL_GrabMode SDL_WM_GrabInput(SDL_GrabMode mode) { return mode == SDL_GRAB_QUERY ? SDL_GRAB_OFF : mode; }

// The page has the game's focus whenever it gets events at all: a blur
// releases the held keys, and the pointer is the page's to lock.
Uint8 SDL_GetAppState(void) { return SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS | SDL_APPACTIVE; }

int SDL_ShowCursor(int toggle) {
    int was = gCursorShown;
    if (toggle == SDL_ENABLE || toggle == SDL_DISABLE) {
        gCursorShown = toggle;
        setCursor(toggle == SDL_ENABLE);
    }
    return was;
}

SDL_RWops* SDL_RWFromFile(const char* file, const char* mode) {
    FILE* f = file && mode ? std::fopen(file, mode) : nullptr;
    if (!f) return nullptr;
    SDL_RWops* rw = new (std::nothrow) SDL_RWops{f};
    if (!rw) std::fclose(f);
    return rw;
}

SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc) {
    if (!src) return nullptr;
    std::vector<uint8_t> bytes;
    FILE* f = src->file;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
    if (size > 0 && size <= kMaxBitmapBytes && std::fseek(f, 0, SEEK_SET) == 0) {
        bytes.resize(size_t(size));
        if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
    }
    if (freesrc) {
        std::fclose(f);
        delete src;
    }
    return vkw::decodeBmp(bytes.data(), bytes.size());
}

void SDL_FreeSurface(SDL_Surface* surface) { vkw::freeSurface(surface); }

// The decoder hands out 24-bit B, G, R surfaces only, which need no
// conversion; anything asked of this fails as an unconvertible surface.
SDL_Surface* SDL_ConvertSurface(SDL_Surface*, SDL_PixelFormat*, Uint32) { return nullptr; }

// No surface of this layer has a palette.
int SDL_SetColors(SDL_Surface*, SDL_Color*, int, int) { return 0; }

}  // extern "C"
