// The window around the game's frame: full screen asked by F11 or
// Alt+Enter, switched between the drain and the movement step.
#include "game.h"

// Frames until the monitor is looked at again: counted down by
// followMonitorIfFullScreen, set again by each switch.
static const int LOOK_EVERY = 33;
static int framesUntilMonitorLook = LOOK_EVERY;

// Full screen covers the monitor that holds the window's middle, at that
// monitor's size; the desktop's size at start where the platform cannot
// tell. The engine resizes the window first; the platform then asks the
// window manager to show it full screen.
static void enterFullScreen() {
    ScreenArea monitor{0, 0, newEngine->screenWidth, newEngine->screenHeight};
    monitorOfWindow(monitor);
    noteFramedPlace();
    if (!newEngine->enterFullScreen(monitor.w, monitor.h)) return;
    moveToMonitor(monitor);
    showFullScreen(true);
}

// A return that fails leaves the game full screen, and the window manager
// is asked to show it so: the next F11 tries again.
static void leaveFullScreen() {
    showFullScreen(false);
    if (newEngine->leaveFullScreen())
        backToFramedPlace();
    else
        showFullScreen(true);
}

void switchScreenIfAsked() {
    if (!screenSwitchAsked || !newEngine) return;
    screenSwitchAsked = false;
    if (!fullScreenShownHere()) return;
    if (newEngine->fullScreen)
        leaveFullScreen();
    else
        enterFullScreen();
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
    ScreenArea monitor{0, 0, newEngine->windowWidth, newEngine->windowHeight};
    if (!monitorOfWindow(monitor) || (monitor.w == newEngine->windowWidth && monitor.h == newEngine->windowHeight))
        return;
    if (newEngine->followMonitor(monitor.w, monitor.h))
        showFullScreen(true);
    else
        leaveFullScreen();
    inputAfterWindowChange();
}
