// What SDL 1.2 leaves undone, where there is no X11: nothing. SDL does all
// of the keep on Windows, and the browser's own layer in the browser.
#include "game.h"

void letFocusClicksThrough() {}
void watchSdlKeyboardGrabs() {}
void undoSdlKeyboardGrab() {}
void undoKeyboardGrabsSdlMadeAlone(bool) {}
