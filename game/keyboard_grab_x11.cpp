// The pointer keep on X11: the desktop build for Linux.
//
// Classic SDL grabs the keyboard with the pointer, on its outer window, the
// one the window manager manages. KDE's KWin then does two things wrong:
// - while the keyboard is grabbed, Alt+Tab goes to the game, so the first
//   Alt+Tab works only if the game let go before the Tab came;
// - the end of a grab on the outer window reads to KWin as a lost focus:
//   the game is no longer active, and Alt+Tab selects it again.
// So whenever SDL has grabbed the keyboard (when the game keeps the pointer,
// and on its own after the focus comes back), the game moves that grab to
// the inner window and ends it there, which concerns no managed window.
// sdl12-compat grabs no keyboard and names no outer window.
#include "game.h"

#include <SDL/SDL_syswm.h>
#include <X11/Xlib.h>

namespace {

struct ClassicWindows {
    Display* display;
    Window inner, outer;
    void (*lock)();
    void (*unlock)();
};

bool classicWindows(ClassicWindows& w) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) return false;
    const auto& x11 = info.info.x11;
    if (x11.wmwindow == 0 || x11.wmwindow == x11.window) return false;
    w = {x11.display, x11.window, x11.wmwindow, x11.lock_func, x11.unlock_func};
    return true;
}

// Only the client holding a grab can move it: so through SDL's connection.
void undoKeyboardGrab() {
    ClassicWindows w;
    if (!classicWindows(w)) return;
    w.lock();
    XGrabKeyboard(w.display, w.inner, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    XUngrabKeyboard(w.display, CurrentTime);
    XFlush(w.display);
    w.unlock();
}

// A connection of the game's own, open for the process's life, that sees
// the outer window's focus events, which SDL's connection keeps to itself.
Display* watcher = nullptr;

}  // namespace

void keepWatch() {
    ClassicWindows w;
    if (watcher || !classicWindows(w)) return;
    watcher = XOpenDisplay(DisplayString(w.display));
    if (!watcher) return;
    XSelectInput(watcher, w.outer, FocusChangeMask);
    XFlush(watcher);
}

void keepStarted() { undoKeyboardGrab(); }

// SDL may have grabbed again since the keep started.
void keepEnding(bool focused) {
    if (focused) undoKeyboardGrab();
}

// A grab's start reaches the grabbing window as a FocusIn in Grab mode, and
// only SDL grabs on the outer window. A grab on a window inside, the game's
// own, passes the outer one with a Virtual detail.
void keepCheck() {
    if (!watcher) return;
    bool grabbed = false;
    while (XPending(watcher) > 0) {
        XEvent e;
        XNextEvent(watcher, &e);
        int detail = e.xfocus.detail;
        grabbed |= e.type == FocusIn && e.xfocus.mode == NotifyGrab && detail != NotifyVirtual &&
                   detail != NotifyNonlinearVirtual;
    }
    if (grabbed) undoKeyboardGrab();
}
