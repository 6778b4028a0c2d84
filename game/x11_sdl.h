#pragma once

// SDL's X11 connection and windows, shared by the X11 units of input and of
// the window.
#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <X11/Xlib.h>

// SDL's connection and windows: the game's own, and the one the window
// manager manages (classic SDL's outer window, sdl12-compat's only one).
struct SdlWindows {
    Display* display = nullptr;
    Window inner = 0, managed = 0;
    bool outer = false;  // classic SDL's: an outer window around the inner
    void (*lock)() = nullptr;
    void (*unlock)() = nullptr;
};

// False where SDL's window is no X window (sdl12-compat on Wayland's own).
inline bool sdlWindows(SdlWindows& w) {
    SDL_SysWMinfo info{};  // a library that sets less than it could leaves zeros, not garbage
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) return false;
    const auto& x11 = info.info.x11;
    if (!x11.display || !x11.window) return false;
    bool outer = x11.wmwindow != 0 && x11.wmwindow != x11.window;
    w = {x11.display, x11.window, outer ? x11.wmwindow : x11.window, outer, x11.lock_func, x11.unlock_func};
    return true;
}

// Holds SDL's lock on its connection, which its event thread may share.
class SdlLock {
public:
    explicit SdlLock(const SdlWindows& w) : unlock(w.unlock) {
        if (w.lock) w.lock();
    }
    ~SdlLock() {
        if (unlock) unlock();
    }
    SdlLock(const SdlLock&) = delete;
    SdlLock& operator=(const SdlLock&) = delete;

private:
    void (*unlock)();
};
