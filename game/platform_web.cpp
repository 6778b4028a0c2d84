// What SDL 1.2 leaves undone, in the browser: nothing. The browser's own
// layer does the keep, names keys by their place (it gives no scancode),
// scales its canvas and has its own full screen.
#include "game.h"

void letFocusClicksThrough() {}
void watchSdlKeyboardGrabs() {}
void undoSdlKeyboardGrab() {}
void undoKeyboardGrabsSdlMadeAlone(bool) {}
bool fullScreenShownHere() { return false; }
bool monitorOfWindow(int&, int&) { return false; }
void noteFramedPlace() {}
void showFullScreen(bool) {}
int desktopScaleAsked() { return 1; }
int walkLetterAt(Uint8) { return 0; }
int symTypedAtWalkPlace(int) { return 0; }
