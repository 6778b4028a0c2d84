// What SDL 1.2 leaves undone where there is no X11: only where the walk
// keys are. SDL does all of the keep on Windows, and the browser's own layer
// in the browser.
#include "game.h"

void letFocusClicksThrough() {}
void watchSdlKeyboardGrabs() {}
void undoSdlKeyboardGrab() {}
void undoKeyboardGrabsSdlMadeAlone(bool) {}

// Not yet on Windows: a window the size of the screen would keep its frame.
// The browser has its own full screen.
bool fullScreenShownHere() { return false; }
void showFullScreen(bool) {}

// Windows scales a window that does not say it is ready for high
// densities, and the browser its canvas.
int desktopScaleAsked() { return 1; }
int desktopScaleFromResources(const char*) { return 1; }

// Windows' scancodes (set 1). The browser's layer gives none: it names keys
// by place already.
int walkLetterAt(Uint8 scancode) {
    switch (scancode) {
        case 0x11: return 'w';
        case 0x1e: return 'a';
        case 0x1f: return 's';
        case 0x20: return 'd';
        default: return 0;
    }
}
