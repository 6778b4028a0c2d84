#include "vaskel_sk.h"

#include "vaskel_debug.h"
#include "vaskel_scale.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

namespace {

// Both spellings name the one engine log (names are matched case-blind).
const char kLog[] = "SK_ENGINE.txt";
const char kLogUpper[] = "SK_ENGINE.TXT";

[[noreturn]] void fail(const char* message) {
    vkLog(message, kLogUpper);
    SDL_Quit();
    std::exit(-1);
}

}  // namespace

VK_SK_Engine::VK_SK_Engine(bool defaultSetup, int desktopScale) {
    vkLogClear(kLog);
    vkLog("Entering Engine Initialization\n", kLog);
    vkLog("Initializing SDL Video, Audio and Timer functions.\n", kLogUpper);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_TIMER) < 0)
        vkLog("Error while trying to initialize SDL (SDL_Init).", kLogUpper);

    if (defaultSetup) {
        vkLog("Using default OpenGL setup.\n==========================\n", kLogUpper);
        vkLog("Width = 640, Height = 480, BPP = System Current\n", kLogUpper);
        width = 640;
        height = 480;
        videoInfo = nullptr;
        // Asked before any mode is set, so this is the desktop's mode.
        videoInfo = SDL_GetVideoInfo();
        if (!videoInfo) fail("Error trying to get current video information (SDL_GetVideoInfo failed)\n");
        bpp = videoInfo->vfmt->BitsPerPixel;
        screenWidth = videoInfo->current_w;
        screenHeight = videoInfo->current_h;
        windowScale = VK_WindowScale(desktopScale, width, height, screenWidth, screenHeight);
    } else {
        // Same window; depth 0 lets SDL pick the display's own.
        width = 640;
        height = 480;
        bpp = 0;
        videoInfo = nullptr;
    }

    vkLog("Initializing OpenGL attributes\n", kLog);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    videoFlags = SDL_OPENGL;
    windowWidth = width * windowScale;
    windowHeight = height * windowScale;
    if (!SDL_SetVideoMode(windowWidth, windowHeight, bpp, videoFlags))
        fail("Failed to set the video mode. (SDL_SetVideoMode fail)\n");

    vkLog("Finished Engine Initialization\n", kLog);
}

// Only the size changes, never SDL's flags: classic SDL keeps the context
// then, where a new flag would make it anew on Windows. SDL 1.2's own full
// screen would also take the keyboard and cover the desktop whatever the
// focus; the window manager is asked to show the window full screen instead.
// sdl12-compat sets the viewport to the new window: the frame's is put back.
// Where SDL refuses, the window is asked back at the size it had.
bool VK_SK_Engine::resizeWindow(int w, int h) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    SDL_Surface* screen = SDL_SetVideoMode(w, h, bpp, videoFlags);
    bool resized = screen != nullptr;
    if (!resized) screen = SDL_SetVideoMode(windowWidth, windowHeight, bpp, videoFlags);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    if (screen) {
        windowWidth = screen->w;  // what SDL made, which the scaling fills
        windowHeight = screen->h;
    }
    return resized;
}

bool VK_SK_Engine::screenHoldsFrame(int screenW, int screenH) const {
    int framedW = width * windowScale, framedH = height * windowScale;
    return screenW >= width && screenH >= height && (screenW > framedW || screenH > framedH);
}

bool VK_SK_Engine::enterFullScreen(int screenW, int screenH) {
    if (fullScreen || !screenHoldsFrame(screenW, screenH) || !resizeWindow(screenW, screenH)) return false;
    fullScreen = true;
    return true;
}

bool VK_SK_Engine::leaveFullScreen() {
    if (!fullScreen || !resizeWindow(width * windowScale, height * windowScale)) return false;
    fullScreen = false;
    return true;
}

bool VK_SK_Engine::followMonitor(int screenW, int screenH) {
    if (!fullScreen) return false;
    if (screenW == windowWidth && screenH == windowHeight) return true;
    return screenHoldsFrame(screenW, screenH) && resizeWindow(screenW, screenH);
}

VK_SK_Engine::~VK_SK_Engine() {
    vkLog("Destroying Engine\n", kLogUpper);
    SDL_Quit();
    vkLog("SDL Subsystem Quitted\n", kLogUpper);
    vkLog("Engine destroyed. Exiting.\n", kLogUpper);
}

void VK_SK_Engine::initGL(bool) {
    // The quotient is rounded to float first; only GLU sees a double.
    float aspect = static_cast<float>(width) / static_cast<float>(height);

    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glViewport(0, 0, width, height);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<double>(aspect), 1.0, 1000.0);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
