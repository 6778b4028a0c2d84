// Where there is no X11 no keyboard grab is left to undo: SDL does all of
// the keep on Windows, and the browser's own layer in the browser.
#include "game.h"

void watchSdlKeyboardGrabs() {}
void undoSdlKeyboardGrab() {}
void undoKeyboardGrabsSdlMadeAlone(bool) {}
