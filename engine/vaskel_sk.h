#pragma once

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
    explicit VK_SK_Engine(bool defaultSetup);
    virtual ~VK_SK_Engine();

    VK_SK_Engine(const VK_SK_Engine&) = delete;
    VK_SK_Engine& operator=(const VK_SK_Engine&) = delete;

    // Initial GL state and a 60-degree projection; the argument is unused.
    void initGL(bool unused);

    int32_t width = 0;
    int32_t height = 0;
    int32_t bpp = 0;
    const SDL_VideoInfo* videoInfo = nullptr;  // owned by SDL
    Uint32 videoFlags = 0;
};
