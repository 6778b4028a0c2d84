// The pointer keep where there is no X11: SDL does all of it on Windows, and
// the browser's own layer in the browser.
#include "game.h"

void keepWatch() {}
void keepStarted() {}
void keepEnding(bool) {}
void keepCheck() {}
