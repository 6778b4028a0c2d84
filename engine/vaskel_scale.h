#pragma once

// The window around the game's fixed frame. The game always draws its frame
// at the bottom left of the window, in its own size; a larger window (full
// screen, or a high-density screen) shows it scaled up as far as it fits at
// its own shape, centred on black, by one step of its own before the swap.

struct VK_RECT {
    int x, y, w, h;
};

// The largest rectangle of the frame's shape inside the window, centred
// (bottom-left origin, as GL counts). The frame itself when the window is
// no larger than it, or smaller on a side.
VK_RECT VK_FitFrame(int frameW, int frameH, int windowW, int windowH);

// The largest whole multiple of the frame that the desktop's scale asks for
// and the screen holds; at least 1.
int VK_WindowScale(int desktopScale, int frameW, int frameH, int screenW, int screenH);

// The texture the scaling step copies the frame into: one per GL context,
// made at the step's first call and kept for the context's lifetime.
struct VK_FRAME_COPY {
    unsigned texture = 0;
    int w = 0, h = 0;  // its sides, powers of two
};

// Scales the frame drawn at the bottom left of the back buffer up to the
// window. Does nothing, and makes no GL call, when the window is the frame
// or smaller than it on a side.
// Leaves every piece of GL state as it found it, bindings included.
void VK_ScaleFrameToWindow(VK_FRAME_COPY& copy, int frameW, int frameH, int windowW, int windowH);
