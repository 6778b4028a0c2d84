// The SDL 1.2 subset that the engine and the game use, for the browser
// build, with SDL 1.2's own structures, event numbers and key codes. The web
// layer implements every function declared here.
#pragma once

#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t Uint8;
typedef uint16_t Uint16;
typedef uint32_t Uint32;
typedef int16_t Sint16;
typedef int32_t Sint32;

#define SDL_LIL_ENDIAN 1234
#define SDL_BIG_ENDIAN 4321
#define SDL_BYTEORDER SDL_LIL_ENDIAN

#define SDL_INIT_TIMER 0x00000001
#define SDL_INIT_AUDIO 0x00000010
#define SDL_INIT_VIDEO 0x00000020

#define SDL_SWSURFACE 0x00000000
#define SDL_OPENGL 0x00000002

#define SDL_DISABLE 0
#define SDL_ENABLE 1
#define SDL_QUERY -1

typedef struct SDL_Color {
    Uint8 r, g, b, unused;
} SDL_Color;

typedef struct SDL_Palette {
    int ncolors;
    SDL_Color* colors;
} SDL_Palette;

typedef struct SDL_PixelFormat {
    SDL_Palette* palette;
    Uint8 BitsPerPixel;
    Uint8 BytesPerPixel;
    Uint8 Rloss, Gloss, Bloss, Aloss;
    Uint8 Rshift, Gshift, Bshift, Ashift;
    Uint32 Rmask, Gmask, Bmask, Amask;
    Uint32 colorkey;
    Uint8 alpha;
} SDL_PixelFormat;

typedef struct SDL_Surface {
    Uint32 flags;
    SDL_PixelFormat* format;
    int w, h;
    Uint16 pitch;
    void* pixels;
} SDL_Surface;

typedef struct SDL_RWops SDL_RWops;

typedef struct SDL_VideoInfo {
    Uint32 hw_available : 1;
    Uint32 wm_available : 1;
    Uint32 video_mem;
    SDL_PixelFormat* vfmt;
    int current_w, current_h;
} SDL_VideoInfo;

typedef enum {
    SDL_GL_RED_SIZE,
    SDL_GL_GREEN_SIZE,
    SDL_GL_BLUE_SIZE,
    SDL_GL_ALPHA_SIZE,
    SDL_GL_BUFFER_SIZE,
    SDL_GL_DOUBLEBUFFER,
    SDL_GL_DEPTH_SIZE,
    SDL_GL_STENCIL_SIZE
} SDL_GLattr;

// SDL 1.2 key codes: ASCII below 128, the rest as SDL 1.2 numbers them.
typedef enum {
    SDLK_UNKNOWN = 0,
    SDLK_BACKSPACE = 8,
    SDLK_TAB = 9,
    SDLK_RETURN = 13,
    SDLK_ESCAPE = 27,
    SDLK_SPACE = 32,
    SDLK_0 = 48,
    SDLK_9 = 57,
    SDLK_a = 97,
    SDLK_d = 100,
    SDLK_s = 115,
    SDLK_w = 119,
    SDLK_z = 122,
    SDLK_DELETE = 127,
    SDLK_UP = 273,
    SDLK_DOWN = 274,
    SDLK_RIGHT = 275,
    SDLK_LEFT = 276,
    SDLK_KP_ENTER = 271,
    SDLK_F1 = 282,
    SDLK_F11 = 292,
    SDLK_F12 = 293,
    SDLK_RSHIFT = 303,
    SDLK_LSHIFT = 304,
    SDLK_RCTRL = 305,
    SDLK_LCTRL = 306,
    SDLK_RALT = 307,
    SDLK_LALT = 308,
    SDLK_RMETA = 309,
    SDLK_LMETA = 310,
    SDLK_LSUPER = 311,
    SDLK_RSUPER = 312,
    SDLK_LAST = 323
} SDLKey;

typedef enum { KMOD_NONE = 0, KMOD_LALT = 0x0100, KMOD_RALT = 0x0200 } SDLMod;
#define KMOD_ALT (KMOD_LALT | KMOD_RALT)

typedef struct SDL_keysym {
    Uint8 scancode;
    SDLKey sym;
    SDLMod mod;
    Uint16 unicode;
} SDL_keysym;

enum {
    SDL_NOEVENT = 0,
    SDL_ACTIVEEVENT,
    SDL_KEYDOWN,
    SDL_KEYUP,
    SDL_MOUSEMOTION,
    SDL_MOUSEBUTTONDOWN,
    SDL_MOUSEBUTTONUP,
    SDL_QUIT = 12
};

typedef struct SDL_KeyboardEvent {
    Uint8 type;
    Uint8 which;
    Uint8 state;
    SDL_keysym keysym;
} SDL_KeyboardEvent;

typedef struct SDL_MouseMotionEvent {
    Uint8 type;
    Uint8 which;
    Uint8 state;
    Uint16 x, y;
    Sint16 xrel, yrel;
} SDL_MouseMotionEvent;

#define SDL_APPMOUSEFOCUS 0x01
#define SDL_APPINPUTFOCUS 0x02
#define SDL_APPACTIVE 0x04

typedef struct SDL_ActiveEvent {
    Uint8 type;
    Uint8 gain;
    Uint8 state;
} SDL_ActiveEvent;

typedef enum { SDL_GRAB_QUERY = -1, SDL_GRAB_OFF = 0, SDL_GRAB_ON = 1 } SDL_GrabMode;

typedef union SDL_Event {
    Uint8 type;
    SDL_ActiveEvent active;
    SDL_KeyboardEvent key;
    SDL_MouseMotionEvent motion;
} SDL_Event;

typedef enum { SDL_ADDEVENT, SDL_PEEKEVENT, SDL_GETEVENT } SDL_eventaction;
#define SDL_ALLEVENTS 0xFFFFFFFF

// Sees every event before the queue does; returning 0 drops it.
typedef int (*SDL_EventFilter)(const SDL_Event* event);

int SDL_Init(Uint32 flags);
void SDL_Quit(void);
const SDL_VideoInfo* SDL_GetVideoInfo(void);
int SDL_GL_SetAttribute(SDL_GLattr attr, int value);
SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags);
void SDL_GL_SwapBuffers(void);
int SDL_PollEvent(SDL_Event* event);
void SDL_PumpEvents(void);
int SDL_PeepEvents(SDL_Event* events, int numevents, SDL_eventaction action, Uint32 mask);
void SDL_SetEventFilter(SDL_EventFilter filter);
Uint8* SDL_GetKeyState(int* numkeys);
Uint32 SDL_GetTicks(void);
void SDL_Delay(Uint32 ms);
Uint8 SDL_GetRelativeMouseState(int* x, int* y);
Uint8 SDL_GetMouseState(int* x, int* y);
void SDL_WarpMouse(Uint16 x, Uint16 y);
int SDL_ShowCursor(int toggle);
SDL_GrabMode SDL_WM_GrabInput(SDL_GrabMode mode);
Uint8 SDL_GetAppState(void);
SDL_RWops* SDL_RWFromFile(const char* file, const char* mode);
SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc);
void SDL_FreeSurface(SDL_Surface* surface);
SDL_Surface* SDL_ConvertSurface(SDL_Surface* src, SDL_PixelFormat* fmt, Uint32 flags);
int SDL_SetColors(SDL_Surface* surface, SDL_Color* colors, int firstcolor, int ncolor);

#ifdef __cplusplus
}
#endif
