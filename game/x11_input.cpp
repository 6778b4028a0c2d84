// What SDL 1.2 leaves undone on X11 for input: the desktop build for Linux.
//
// sdl12-compat's SDL 2 drops a click that comes within 10 ms of a focus
// change, taking it for the click that focused the window. But i3 sets the
// focus again at every click, and there a click is what starts play; so
// clicks are let through.
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
#include "x11_sdl.h"

#include <X11/XKBlib.h>

#include <cctype>

namespace {

// Classic SDL's two windows, with a lock to take: what its keyboard grab needs.
bool classicWindows(SdlWindows& w) { return sdlWindows(w) && w.outer && w.lock && w.unlock; }

// A connection of the game's own, open for the process's life, that sees
// the outer window's focus events, which SDL's connection keeps to itself.
Display* watcher = nullptr;

// A grab's start reaches the grabbing window as a FocusIn in Grab mode, and
// only SDL grabs on the outer window. A grab on a window inside, the game's
// own, passes the outer one with a Virtual detail.
bool watcherSawSdlGrab() {
    bool grabbed = false;
    while (XPending(watcher) > 0) {
        XEvent e;
        XNextEvent(watcher, &e);
        int detail = e.xfocus.detail;
        grabbed |= e.type == FocusIn && e.xfocus.mode == NotifyGrab && detail != NotifyVirtual &&
                   detail != NotifyNonlinearVirtual;
    }
    return grabbed;
}

}  // namespace

void watchSdlKeyboardGrabs() {
    SdlWindows w;
    if (watcher || !classicWindows(w)) return;
    watcher = XOpenDisplay(DisplayString(w.display));
    if (!watcher) return;
    XSelectInput(watcher, w.managed, FocusChangeMask);
    XFlush(watcher);
}

// Only the client holding a grab can move it: so through SDL's connection.
// Every grab SDL made until now is undone with it, so the watcher's news of
// them, the game's own grab among them, is dropped.
void undoSdlKeyboardGrab() {
    SdlWindows w;
    if (!classicWindows(w)) return;
    {
        SdlLock locked(w);
        XGrabKeyboard(w.display, w.inner, True, GrabModeAsync, GrabModeAsync, CurrentTime);
        XUngrabKeyboard(w.display, CurrentTime);
        XSync(w.display, False);
    }
    if (!watcher) return;
    XSync(watcher, False);
    watcherSawSdlGrab();
}

// Taking the keyboard, even for a moment, is only for a game that has it.
void undoKeyboardGrabsSdlMadeAlone(bool focused) {
    if (watcher && watcherSawSdlGrab() && focused) undoSdlKeyboardGrab();
}

// Both libraries give the X keycode (evdev's plus 8) as the scancode, and
// through Xwayland too.
const WalkPlace WALK_PLACES[4] = {{25, 'w'}, {38, 'a'}, {39, 's'}, {40, 'd'}};

// The keymap's first level in the group in use. Both libraries name a
// letter key by its keysym.
int symTypedAt(Uint8 scancode) {
    SdlWindows w;
    if (!sdlWindows(w)) return 0;
    SdlLock locked(w);
    XkbStateRec state{};
    XkbGetState(w.display, XkbUseCoreKbd, &state);
    KeySym sym = XkbKeycodeToKeysym(w.display, scancode, state.group, 0);
    return sym >= 0x20 && sym < 0x7f ? std::tolower(int(sym)) : 0;
}

void letFocusClicksThrough() {
    static char hint[] = "SDL_MOUSE_FOCUS_CLICKTHROUGH=1";
    if (!SDL_getenv("SDL_MOUSE_FOCUS_CLICKTHROUGH")) SDL_putenv(hint);
}
