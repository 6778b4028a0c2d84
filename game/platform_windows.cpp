// What SDL 1.2 leaves undone on Windows. SDL does all of the keep there.
#include "game.h"

#include <SDL/SDL_syswm.h>
#include <windows.h>

#include <cctype>

void letFocusClicksThrough() {}
void watchSdlKeyboardGrabs() {}
void undoSdlKeyboardGrab() {}
void undoKeyboardGrabsSdlMadeAlone(bool) {}
bool focusFollowsPointer() { return false; }  // an option Windows ships off

namespace {

HWND gameWindow() {
    SDL_SysWMinfo info{};
    SDL_VERSION(&info.version);
    return SDL_GetWMInfo(&info) == 1 ? info.window : nullptr;
}

// The framed window's style, its place and the monitor it was on, noted
// before SDL grows it and kept while full screen.
LONG_PTR framedStyle = 0;
RECT framedPlace{};
HMONITOR framedMonitor = nullptr;

bool monitorRect(HMONITOR monitor, RECT& rect) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfo(monitor, &info)) return false;
    rect = info.rcMonitor;
    return true;
}

}  // namespace

// Full screen is the window without its frame over the whole monitor, as
// Windows' own borderless full screen: SDL's would make a new GL context.
bool fullScreenShownHere() { return true; }

bool monitorOfWindow(ScreenArea& monitor) {
    HWND window = gameWindow();
    RECT r;
    if (!window || !monitorRect(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), r)) return false;
    monitor = {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
    return true;
}

void noteFramedPlace() {
    HWND window = gameWindow();
    if (!window) return;
    GetWindowRect(window, &framedPlace);
    framedMonitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
}

// showFullScreen places the window, on the monitor noted and back.
void moveToMonitor(const ScreenArea&) {}
void backToFramedPlace() {}

void showFullScreen(bool on) {
    HWND window = gameWindow();
    if (!window) return;
    if (on) {
        if (!framedStyle) framedStyle = GetWindowLongPtr(window, GWL_STYLE);  // asked again to follow the monitor
        RECT r;
        if (!monitorRect(framedMonitor, r) && !monitorRect(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), r)) return;
        SetWindowLongPtr(window, GWL_STYLE, (framedStyle & ~LONG_PTR(WS_OVERLAPPEDWINDOW)) | WS_POPUP);
        SetWindowPos(window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
    } else if (framedStyle) {
        SetWindowLongPtr(window, GWL_STYLE, framedStyle);
        SetWindowPos(window, nullptr, framedPlace.left, framedPlace.top, framedPlace.right - framedPlace.left,
                     framedPlace.bottom - framedPlace.top, SWP_FRAMECHANGED | SWP_NOZORDER);
        framedStyle = 0;
    }
}

void fitFrameToWindow() {
    if (newEngine) newEngine->scaleFrameToWindow();
}

// Windows scales a window that does not say it is ready for high densities.
int desktopScaleAsked() { return 1; }

// Windows' scancodes (set 1).
const WalkPlace WALK_PLACES[4] = {{0x11, 'w'}, {0x1e, 'a'}, {0x1f, 's'}, {0x20, 'd'}};

// SDL names a key by the unshifted character of its virtual key.
int symTypedAt(Uint8 scancode) {
    UINT ch = MapVirtualKey(MapVirtualKey(scancode, MAPVK_VSC_TO_VK), MAPVK_VK_TO_CHAR) & 0x7fff;
    return ch >= 0x20 && ch < 0x7f ? std::tolower(int(ch)) : 0;
}
