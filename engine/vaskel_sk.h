#pragma once

#include "vaskel_scale.h"

#include <SDL/SDL.h>
#include <cstdint>

// The engine object: owns SDL's video subsystem, the one window and its
// OpenGL context. Construction either completes with the window open or
// ends the process with status -1; deleting it shuts SDL down.
class VK_SK_Engine {
public:
    // true: 640x480 at the desktop's colour depth (the only setup the game
    // uses). false: the same size at whatever depth SDL picks (bpp 0),
    // without the default-setup log lines or the video-info query.
    // desktopScale: how many times larger the desktop wants windows drawn
    // (2 on a high-density screen), taken where the screen holds it.
    explicit VK_SK_Engine(bool defaultSetup, int desktopScale = 1);
    virtual ~VK_SK_Engine();

    VK_SK_Engine(const VK_SK_Engine&) = delete;
    VK_SK_Engine& operator=(const VK_SK_Engine&) = delete;

    // Initial GL state and a 60-degree projection; the argument is unused.
    void initGL(bool unused);

    // Full screen: the window the size of the screen it is to cover
    // (screenW x screenH, its monitor); the screen's mode is never changed,
    // and the platform asks the window manager to show it full screen. GL
    // state, textures and lists survive each resize. Each returns false,
    // with the window as it was, when SDL refuses.
    // Entering is also refused on a screen no larger than the framed window
    // or smaller than the frame on a side.
    bool enterFullScreen(int screenW, int screenH);
    // Back to the framed window; still full screen when SDL refuses.
    bool leaveFullScreen();
    // While full screen: a monitor whose size changed is covered at its new
    // size; false where it no longer holds the frame (or SDL refuses), and
    // the caller leaves full screen.
    bool followMonitor(int screenW, int screenH);

    // The frame scaled up to the window, before each swap (vaskel_scale_step,
    // which the browser's build, whose page scales its canvas, leaves out).
    void scaleFrameToWindow();

    int32_t width = 0;  // the game's frame, which it always draws at the window's bottom left
    int32_t height = 0;
    int32_t windowWidth = 0;  // the window around it: larger on a high-density screen or in full screen
    int32_t windowHeight = 0;
    int32_t screenWidth = 0;  // the desktop's mode at start, 0 when unknown
    int32_t screenHeight = 0;
    int32_t windowScale = 1;
    bool fullScreen = false;
    int32_t bpp = 0;
    const SDL_VideoInfo* videoInfo = nullptr;  // owned by SDL
    Uint32 videoFlags = 0;
    VK_FRAME_COPY frameCopy;  // the scaling step's texture, in this engine's context

private:
    bool screenHoldsFrame(int screenW, int screenH) const;
    bool resizeWindow(int w, int h);
};
