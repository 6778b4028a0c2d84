// The window around the game's frame: full screen asked by F11 or
// Alt+Enter, switched between the drain and the movement step.
#include "game.h"

// The engine resizes the window; the platform asks the window manager to
// show it full screen, which it must see at the screen's size to allow.
// A return that fails leaves the game full screen, and the window manager
// is asked to show it so: the next F11 tries again to leave.
void switchScreenIfAsked() {
    if (!screenSwitchAsked || !newEngine) return;
    screenSwitchAsked = false;
    if (!fullScreenShownHere()) return;
    bool on = !newEngine->fullScreen;
    if (!on) showFullScreen(false);
    newEngine->setFullScreen(on);
    if (newEngine->fullScreen) showFullScreen(true);
    inputAfterWindowChange();
}
