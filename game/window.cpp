// The window around the game's frame: full screen asked by F11 or
// Alt+Enter, switched between the drain and the movement step.
#include "game.h"

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
}
