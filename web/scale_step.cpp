// The page's canvas is always the game's frame: the browser scales it, in
// the page and in its own full screen, so the desktop's scaling step has
// nothing to do here and is not built.
#include "engine/vaskel_scale.h"

void VK_ScaleFrameToWindow(VK_FRAME_COPY&, int, int, int, int) {}
