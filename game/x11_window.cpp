// What SDL 1.2 leaves undone on X11 for the window: full screen through the
// window manager, the monitor the window is on, and the desktop's scale.
#include "game.h"
#include "x11_sdl.h"

#include "../engine/vaskel_scale.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Set by noteFramedPlace when F11 asks for full screen; read when it ends.
bool framedPlaceKnown = false;
int framedX = 0, framedY = 0;  // the window manager's frame, on the root

// The window manager's frame around the window (the window itself where it
// has none), placed on the root.
bool placeOfFrame(const SdlWindows& w, int& x, int& y) {
    Window top = w.managed;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(w.display, top, &root, &parent, &children, &count)) return false;
        if (children) XFree(children);
        if (!parent || parent == root) break;
        top = parent;
    }
    XWindowAttributes at{};
    if (!XGetWindowAttributes(w.display, top, &at)) return false;
    x = at.x;
    y = at.y;
    return true;
}

// A request to move is for where the frame goes (the window's gravity is
// the default, north-west), so a frame's own place brings it back there.
void moveFrameTo(int x, int y) {
    SdlWindows w;
    if (!sdlWindows(w)) return;
    SdlLock locked(w);
    XMoveWindow(w.display, w.managed, x, y);
    XFlush(w.display);
}

}  // namespace

// The window manager's own full screen (EWMH), which leaves Alt+Tab and
// the desktop to it, asked of the window it manages. Where SDL's window is
// no X window (sdl12-compat on Wayland's own windows) F11 leaves it as it
// is: a resize there only makes a larger framed window.
bool fullScreenShownHere() {
    SdlWindows w;
    return sdlWindows(w);
}

// RandR's monitors (1.5): each output, or each part of one screen a
// desktop split, as the window managers count them.
bool monitorOfWindow(ScreenArea& monitor) {
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
        if (found) monitor = {m.x, m.y, m.width, m.height};
    }
    if (monitors) XRRFreeMonitors(monitors);
    return found;
}

void noteFramedPlace() {
    SdlWindows w;
    framedPlaceKnown = false;
    if (!sdlWindows(w)) return;
    SdlLock locked(w);
    framedPlaceKnown = placeOfFrame(w, framedX, framedY);
}

// The window grown where it stood may lie mostly on the next monitor, which
// the window manager would then cover: it is moved onto its own first.
void moveToMonitor(const ScreenArea& monitor) { moveFrameTo(monitor.x, monitor.y); }

void backToFramedPlace() {
    if (framedPlaceKnown) moveFrameTo(framedX, framedY);
}

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

void fitFrameToWindow() {
    if (newEngine) newEngine->scaleFrameToWindow();
}

namespace {

// Xlib ends the process at an X error no handler takes; what a window
// manager set wrong in a property is no reason to.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

// A window's property, whole: its bytes, or its 32-bit values (which Xlib
// gives as longs); empty when missing or of another type.
template <typename Item>
std::vector<Item> windowProperty(Display* display, Window window, const char* name, Atom type) {
    Atom gotType = None;
    int format = 0;
    unsigned long got = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<Item> values;
    int wanted = sizeof(Item) == 1 ? 8 : 32;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False, type, &gotType,
                           &format, &got, &after, &data) == Success &&
        data && gotType == type && format == wanted) {
        const Item* items = reinterpret_cast<const Item*>(data);
        values.assign(items, items + got);
    }
    if (data) XFree(data);
    return values;
}

// What the window manager set, read at start on a connection of its own,
// where an X error (a property set wrong, a window gone) reads as nothing.
template <typename Read, typename Result>
Result readWindowManager(Read read, Result none) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return none;
    XErrorHandler before = XSetErrorHandler(ignoreXError);
    Result result = read(display);
    XSync(display, False);
    XSetErrorHandler(before);
    XCloseDisplay(display);
    return result;
}

// One rectangle (x, y, w, h) per desktop; a window manager that gives one
// rectangle gives it for every desktop.
const long* workAreaOfDesktop(const std::vector<long>& area, long desktop) {
    size_t rects = area.size() / 4;
    if (desktop >= 0 && size_t(desktop) < rects) return &area[size_t(desktop) * 4];
    return rects == 1 ? area.data() : nullptr;
}

// A title bar as tall as GNOME's, at each step of the scale.
const int TITLE_BAR = 40;

}  // namespace

// GNOME and KDE ask for a scale of 2 with Xft.dpi 192. Taken where the
// window manager's work area (the screen less its panels) holds the scaled
// window with its title bar. Read before SDL opens the window.
int desktopScaleAsked() {
    return readWindowManager(
        [](Display* display) {
            int scale = desktopScaleFromResources(XResourceManagerString(display));
            if (scale < 2) return scale;
            Window root = DefaultRootWindow(display);
            std::vector<long> desktop = windowProperty<long>(display, root, "_NET_CURRENT_DESKTOP", XA_CARDINAL);
            std::vector<long> area = windowProperty<long>(display, root, "_NET_WORKAREA", XA_CARDINAL);
            const long* rect = workAreaOfDesktop(area, desktop.size() == 1 ? desktop[0] : 0);
            return rect ? VK_WindowScale(scale, 640, 480 + TITLE_BAR, int(rect[2]), int(rect[3])) : scale;
        },
        1);
}

// i3 as shipped, and sway and the other wlroots compositors through
// Xwayland, give the focus to the window under the pointer.
bool focusFollowsPointer() {
    return readWindowManager(
        [](Display* display) {
            std::vector<long> check =
                windowProperty<long>(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
            if (check.size() != 1) return false;
            Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
            std::vector<char> name = windowProperty<char>(display, Window(check[0]), "_NET_WM_NAME", utf8);
            std::string wm(name.begin(), name.end());
            return wm == "i3" || wm.rfind("wlroots", 0) == 0;
        },
        false);
}

int desktopScaleFromResources(const char* resources) {
    const char* at = resources ? std::strstr(resources, "Xft.dpi:") : nullptr;
    if (!at || (at != resources && at[-1] != '\n')) return 1;
    double dpi = std::strtod(at + std::strlen("Xft.dpi:"), nullptr);
    return dpi >= 192 && dpi < 96 * 16 ? int(dpi / 96) : 1;
}
