// What SDL 1.2 leaves undone, in the browser: nothing. The browser's own
// layer does the keep, names keys by their place (it gives no scancode),
// scales its canvas (the desktop's scaling step is not built) and has its
// own full screen.
#include "game.h"

void letFocusClicksThrough() {}
void watchSdlKeyboardGrabs() {}
void undoSdlKeyboardGrab() {}
void undoKeyboardGrabsSdlMadeAlone(bool) {}
bool focusFollowsPointer() { return false; }
bool fullScreenShownHere() { return false; }
bool monitorOfWindow(ScreenArea&) { return false; }
void noteFramedPlace() {}
void moveToMonitor(const ScreenArea&) {}
void showFullScreen(bool) {}
void backToFramedPlace() {}
void fitFrameToWindow() {}
int desktopScaleAsked() { return 1; }
const WalkPlace WALK_PLACES[4] = {{0, 'w'}, {0, 'a'}, {0, 's'}, {0, 'd'}};  // no scancodes
int symTypedAt(Uint8) { return 0; }
