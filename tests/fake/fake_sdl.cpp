// Recording stand-ins for the SDL 1.2 entry points the program uses: a
// scripted event queue, a controllable millisecond clock and a scripted
// mouse. SDL_LoadBMP_RW hands out a 2x2 24-bit surface for any file that
// exists, so texture loading runs without real images.
#include "fake.h"
#include "fake_internal.h"

#include <SDL/SDL_syswm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace fake;

namespace {

SDL_PixelFormat g_format;
SDL_VideoInfo g_info;
SDL_Surface g_screen;

void recText(const char* name, const std::string& text, std::vector<double> args = {}) {
    record(name, std::move(args), text);
}

}  // namespace

extern "C" {

int SDL_Init(Uint32 flags) {
    recText("SDL_Init", "0x" + [&] { char b[16]; std::snprintf(b, sizeof b, "%X", flags); return std::string(b); }(),
            {double(flags)});
    return initFails ? -1 : 0;
}

void SDL_Quit(void) { recText("SDL_Quit", ""); }

const SDL_VideoInfo* SDL_GetVideoInfo(void) {
    recText("SDL_GetVideoInfo", "");
    if (videoInfoFails) return nullptr;
    std::memset(&g_format, 0, sizeof g_format);
    g_format.BitsPerPixel = Uint8(desktopBpp);
    g_format.BytesPerPixel = Uint8((desktopBpp + 7) / 8);
    std::memset(&g_info, 0, sizeof g_info);
    g_info.vfmt = &g_format;
    return &g_info;
}

int SDL_GL_SetAttribute(SDL_GLattr attr, int value) {
    recText("SDL_GL_SetAttribute", std::to_string(int(attr)) + ", " + std::to_string(value),
            {double(attr), double(value)});
    return 0;
}

SDL_Surface* SDL_SetVideoMode(int w, int h, int bpp, Uint32 flags) {
    recText("SDL_SetVideoMode",
            std::to_string(w) + ", " + std::to_string(h) + ", " + std::to_string(bpp) + ", " +
                std::to_string(flags),
            {double(w), double(h), double(bpp), double(flags)});
    if (setVideoModeFails) return nullptr;
    std::memset(&g_screen, 0, sizeof g_screen);
    g_screen.w = w;
    g_screen.h = h;
    return &g_screen;
}

void SDL_GL_SwapBuffers(void) { recText("SDL_GL_SwapBuffers", ""); }

int SDL_PollEvent(SDL_Event* event) {
    if (events.empty()) return 0;
    SDL_Event e = events.front();
    events.pop_front();
    if (e.type == SDL_MOUSEMOTION) {
        mouseX = e.motion.x;
        mouseY = e.motion.y;
        relX += e.motion.xrel;
        relY += e.motion.yrel;
    }
    if (event) *event = e;
    return 1;
}

// As classic SDL 1.2: installing a filter empties the queue.
void SDL_SetEventFilter(SDL_EventFilter filter) {
    recText("SDL_SetEventFilter", "");
    eventFilter = filter;
    events.clear();
}

void SDL_PumpEvents(void) {}

// Added events skip the filter, as in classic SDL; only all types are asked for.
int SDL_PeepEvents(SDL_Event* out, int numevents, SDL_eventaction action, Uint32) {
    int n = 0;
    if (action == SDL_ADDEVENT) {
        for (; n < numevents && events.size() < kQueueLimit; n++) events.push_back(out[n]);
    } else if (action == SDL_GETEVENT) {
        for (; n < numevents && !events.empty(); n++) {
            out[n] = events.front();
            events.pop_front();
        }
    }
    return n;
}

Uint8* SDL_GetKeyState(int* numkeys) {
    if (numkeys) *numkeys = SDLK_LAST;
    return keyState;
}

Uint32 SDL_GetTicks(void) {
    Uint32 now = ticks;
    ticks += ticksPerCall;
    return now;
}

void SDL_Delay(Uint32 ms) {
    recText("SDL_Delay", std::to_string(ms), {double(ms)});
    ticks += ms;
}

Uint8 SDL_GetRelativeMouseState(int* x, int* y) {
    if (x) *x = relX;
    if (y) *y = relY;
    relX = relY = 0;
    return 0;
}

Uint8 SDL_GetMouseState(int* x, int* y) {
    if (x) *x = mouseX;
    if (y) *y = mouseY;
    return 0;
}

void SDL_WarpMouse(Uint16 x, Uint16 y) {
    recText("SDL_WarpMouse", std::to_string(x) + ", " + std::to_string(y), {double(x), double(y)});
    mouseX = x;
    mouseY = y;
}

int SDL_ShowCursor(int toggle) {
    recText("SDL_ShowCursor", std::to_string(toggle), {double(toggle)});
    int was = cursorShown;
    if (toggle >= 0) cursorShown = toggle;
    return was;
}

SDL_GrabMode SDL_WM_GrabInput(SDL_GrabMode mode) {
    recText("SDL_WM_GrabInput", std::to_string(int(mode)), {double(mode)});
    return mode;
}

Uint8 SDL_GetAppState(void) { return appState; }

// No window system: the caller learns nothing and does nothing.
int SDL_GetWMInfo(SDL_SysWMinfo*) { return 0; }

char* SDL_GetError(void) { return const_cast<char*>("fake SDL"); }

// The stream only remembers that its file exists; nothing is read from it.
SDL_RWops* SDL_RWFromFile(const char* file, const char* mode) {
    recText("SDL_RWFromFile", std::string(file) + ", " + mode);
    FILE* f = std::fopen(file, "rb");
    if (!f) return nullptr;
    std::fclose(f);
    openedFiles.push_back(file);
    return static_cast<SDL_RWops*>(std::calloc(1, sizeof(SDL_RWops)));
}

SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc) {
    recText("SDL_LoadBMP_RW", std::to_string(freesrc));
    if (!src) return nullptr;
    if (freesrc) std::free(src);
    auto* s = static_cast<SDL_Surface*>(std::calloc(1, sizeof(SDL_Surface)));
    auto* fmt = static_cast<SDL_PixelFormat*>(std::calloc(1, sizeof(SDL_PixelFormat)));
    fmt->BitsPerPixel = 24;
    fmt->BytesPerPixel = 3;
    fmt->Rmask = 0xFF0000;
    fmt->Gmask = 0x00FF00;
    fmt->Bmask = 0x0000FF;
    fmt->Rshift = 16;
    fmt->Gshift = 8;
    s->format = fmt;
    s->w = 2;
    s->h = 2;
    s->pitch = 8;
    s->pixels = std::calloc(16, 1);
    return s;
}

SDL_Surface* SDL_ConvertSurface(SDL_Surface*, SDL_PixelFormat*, Uint32) {
    recText("SDL_ConvertSurface", "");
    return nullptr;
}

void SDL_FreeSurface(SDL_Surface* s) {
    recText("SDL_FreeSurface", "");
    if (!s) return;
    std::free(s->pixels);
    std::free(s->format);
    std::free(s);
}

}  // extern "C"

extern "C" int SDL_SetColors(SDL_Surface*, SDL_Color*, int firstcolor, int ncolors) {
    recText("SDL_SetColors", std::to_string(firstcolor) + ", " + std::to_string(ncolors),
            {double(firstcolor), double(ncolors)});
    return 1;
}
