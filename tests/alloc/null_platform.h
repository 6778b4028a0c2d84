#pragma once

// Inert GL, GLU and SDL for the allocation test: every call does nothing
// and allocates nothing, so any heap allocation seen during a frame is the
// game's or the engine's own. A tiny scripted event queue and mouse stand
// in for the real ones. Functions missing here fall back to the recording
// stand-ins at link time; those allocate, so the test names them.

#include <SDL/SDL.h>

namespace nullplat {

extern Uint32 ticks;
extern int mouseX, mouseY, relX, relY;

// Queue capacity; pushes beyond it are dropped, after the installed event
// filter has seen them and the key state has taken them in, as in SDL.
const int kQueue = 64;
void pushKey(SDLKey sym, bool down);
void pushMotion(int x, int y, int dx, int dy);

}  // namespace nullplat
