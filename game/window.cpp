// The window around the game's frame: full screen asked by F11 or
// Alt+Enter, switched between the drain and the movement step.
#include "game.h"

// Frames until the monitor is looked at again: counted down by
// followMonitorIfFullScreen, set again by each switch.
static const int LOOK_EVERY = 33;
static int framesUntilMonitorLook = LOOK_EVERY;

// Full screen covers the monitor the window is on, at that monitor's size;
// the desktop's size at start where the platform cannot tell. The engine
// resizes the window first; the platform then asks the window manager to
// show it full screen. A return that fails leaves the game full screen, and
// the window manager is asked to show it so: the next F11 tries again.
void switchScreenIfAsked() {
    if (!screenSwitchAsked || !newEngine) return;
    screenSwitchAsked = false;
    if (!fullScreenShownHere()) return;
    if (newEngine->fullScreen) {
        showFullScreen(false);
        newEngine->setFullScreen(false, 0, 0);
    } else {
        int w = newEngine->screenWidth, h = newEngine->screenHeight;
        monitorOfWindow(w, h);
        noteFramedPlace();
        newEngine->setFullScreen(true, w, h);
    }
    if (newEngine->fullScreen) showFullScreen(true);
    inputAfterWindowChange();
    framesUntilMonitorLook = LOOK_EVERY;  // once the window manager placed it
}

// A monitor whose size changed while the game covers it (its resolution
// changed, or the desktop moved its outputs) is covered again at its new
// size, or left for the framed window where it no longer holds the frame.
// Asking the platform costs a round trip: about once a second is enough.
void followMonitorIfFullScreen() {
    if (!newEngine || !newEngine->fullScreen || --framesUntilMonitorLook > 0) return;
    framesUntilMonitorLook = LOOK_EVERY;
    int w = newEngine->windowWidth, h = newEngine->windowHeight;
    if (!monitorOfWindow(w, h) || (w == newEngine->windowWidth && h == newEngine->windowHeight)) return;
    if (!newEngine->setFullScreen(true, w, h)) {
        showFullScreen(false);
        newEngine->setFullScreen(false, 0, 0);
    }
    if (newEngine->fullScreen) showFullScreen(true);
    inputAfterWindowChange();
}
