// What SDL 1.2 leaves undone on X11: the desktop build for Linux.
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

#include "../engine/vaskel_scale.h"

#include <SDL/SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// SDL's connection and windows: the game's own, and the one the window
// manager manages (classic SDL's outer window, sdl12-compat's only one).
struct SdlWindows {
    Display* display = nullptr;
    Window inner = 0, managed = 0;
    bool outer = false;  // classic SDL's: an outer window around the inner
    void (*lock)() = nullptr;
    void (*unlock)() = nullptr;
};

bool sdlWindows(SdlWindows& w) {
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
const struct {
    Uint8 keycode;
    char letter;
} WALK_PLACES[] = {{25, 'w'}, {38, 'a'}, {39, 's'}, {40, 'd'}};

int walkLetterAt(Uint8 scancode) {
    for (const auto& place : WALK_PLACES)
        if (place.keycode == scancode) return place.letter;
    return 0;
}

// The keymap's first level in the group in use. Both libraries name a
// letter key by its keysym; a place whose key types no ASCII character
// keeps its US letter until its key is pressed.
int symTypedAtWalkPlace(int letter) {
    SdlWindows w;
    if (!sdlWindows(w)) return 0;
    for (const auto& place : WALK_PLACES) {
        if (place.letter != letter) continue;
        SdlLock locked(w);
        XkbStateRec state{};
        XkbGetState(w.display, XkbUseCoreKbd, &state);
        KeySym sym = XkbKeycodeToKeysym(w.display, place.keycode, state.group, 0);
        return sym >= 0x20 && sym < 0x7f ? std::tolower(int(sym)) : 0;
    }
    return 0;
}

// The window manager's own full screen (EWMH), which leaves Alt+Tab and
// the desktop to it. Asked of the window it manages.
bool fullScreenShownHere() { return true; }

// RandR's monitors (1.5): each output, or each part of one screen a
// desktop split, as the window managers count them.
bool monitorOfWindow(int& w, int& h) {
    SdlWindows sdl;
    if (!sdlWindows(sdl)) return false;
    SdlLock locked(sdl);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(sdl.display, &event, &error) || !XRRQueryVersion(sdl.display, &major, &minor) ||
        major * 100 + minor < 105)
        return false;
    XWindowAttributes at{};
    Window root = DefaultRootWindow(sdl.display), child = 0;
    int x = 0, y = 0;
    if (!XGetWindowAttributes(sdl.display, sdl.managed, &at) ||
        !XTranslateCoordinates(sdl.display, sdl.managed, root, at.width / 2, at.height / 2, &x, &y, &child))
        return false;
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(sdl.display, root, True, &count);
    bool found = false;
    for (int i = 0; i < count && !found; i++) {
        const XRRMonitorInfo& m = monitors[i];
        found = x >= m.x && x < m.x + m.width && y >= m.y && y < m.y + m.height;
        if (found) w = m.width, h = m.height;
    }
    if (monitors) XRRFreeMonitors(monitors);
    return found;
}

void noteFramedPlace() {}

// SDL's window cannot be resized, which GNOME's mutter reads as a window
// that cannot be full screen unless it has the whole screen's size: the
// size hints are freed before asking. Leaving, SDL sets them again.
void showFullScreen(bool on) {
    SdlWindows w;
    if (!sdlWindows(w)) return;
    SdlLock locked(w);
    if (on) {
        XSizeHints* hints = XAllocSizeHints();
        long supplied = 0;
        if (hints && XGetWMNormalHints(w.display, w.managed, hints, &supplied)) {
            hints->flags &= ~(PMinSize | PMaxSize);
            XSetWMNormalHints(w.display, w.managed, hints);
        }
        if (hints) XFree(hints);
    }
    XEvent ask{};
    ask.xclient.type = ClientMessage;
    ask.xclient.window = w.managed;
    ask.xclient.message_type = XInternAtom(w.display, "_NET_WM_STATE", False);
    ask.xclient.format = 32;
    ask.xclient.data.l[0] = on ? 1 : 0;  // add, remove
    ask.xclient.data.l[1] = long(XInternAtom(w.display, "_NET_WM_STATE_FULLSCREEN", False));
    ask.xclient.data.l[3] = 1;  // from a normal application
    XSendEvent(w.display, DefaultRootWindow(w.display), False, SubstructureRedirectMask | SubstructureNotifyMask, &ask);
    XFlush(w.display);
}

namespace {

// A CARDINAL property of the root window: count values from the first'th.
bool rootCardinals(Display* display, const char* name, long first, long count, long* values) {
    Atom type = None;
    int format = 0;
    unsigned long got = 0, after = 0;
    unsigned char* data = nullptr;
    Atom atom = XInternAtom(display, name, False);
    bool read = XGetWindowProperty(display, DefaultRootWindow(display), atom, first, count, False, XA_CARDINAL,
                                   &type, &format, &got, &after, &data) == Success &&
                type == XA_CARDINAL && format == 32 && got == static_cast<unsigned long>(count);
    if (read) std::memcpy(values, data, sizeof(long) * size_t(count));  // format 32 comes as longs
    if (data) XFree(data);
    return read;
}

// A title bar as tall as GNOME's, at each step of the scale.
const int TITLE_BAR = 40;

}  // namespace

// GNOME and KDE ask for a scale of 2 with Xft.dpi 192. Taken where the
// window manager's work area (the screen less its panels) holds the scaled
// window with its title bar. Read on a connection of its own, before SDL
// opens the window.
int desktopScaleAsked() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    int scale = desktopScaleFromResources(XResourceManagerString(display));
    long desktop = 0, area[4];
    if (!rootCardinals(display, "_NET_CURRENT_DESKTOP", 0, 1, &desktop)) desktop = 0;
    if (scale > 1 && rootCardinals(display, "_NET_WORKAREA", desktop * 4, 4, area))
        scale = VK_WindowScale(scale, 640, 480 + TITLE_BAR, int(area[2]), int(area[3]));
    XCloseDisplay(display);
    return scale;
}

int desktopScaleFromResources(const char* resources) {
    const char* at = resources ? std::strstr(resources, "Xft.dpi:") : nullptr;
    if (!at || (at != resources && at[-1] != '\n')) return 1;
    double dpi = std::strtod(at + std::strlen("Xft.dpi:"), nullptr);
    return dpi >= 192 && dpi < 96 * 16 ? int(dpi / 96) : 1;
}

void letFocusClicksThrough() {
    static char hint[] = "SDL_MOUSE_FOCUS_CLICKTHROUGH=1";
    if (!SDL_getenv("SDL_MOUSE_FOCUS_CLICKTHROUGH")) SDL_putenv(hint);
}
