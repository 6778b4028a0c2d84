#include "gl_env.h"
#include "keep_loaded.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace gltest {

static std::string g_workDir;

// The frame lands in the back buffer, or in the framebuffer object that
// sdl12-compat draws into and blits at each swap; naming GL_BACK while such
// an object is bound is GL_INVALID_OPERATION, and its read buffer is already
// the one drawn to.
static void readFromDrawnBuffer() {
    GLint fbo = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &fbo);
    if (fbo == 0) glReadBuffer(GL_BACK);
}

std::array<int, 3> pixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    readFromDrawnBuffer();
    glReadPixels(x, 479 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

std::vector<unsigned char> readScreen() {
    std::vector<unsigned char> out(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    readFromDrawnBuffer();
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, out.data());
    return out;
}

void resetState() {
    for (GLenum cap : {GL_BLEND, GL_LIGHTING, GL_LIGHT1, GL_FOG, GL_COLOR_MATERIAL, GL_TEXTURE_2D, GL_CULL_FACE})
        glDisable(cap);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace gltest

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char tmpl[] = "/tmp/vaskel_gl_XXXXXX";
    if (!mkdtemp(tmpl) || chdir(tmpl) != 0) {
        std::perror("scratch directory");
        return 1;
    }
    gltest::g_workDir = tmpl;
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(640, 480, 0, SDL_OPENGL)) {
        std::fprintf(stderr, "no OpenGL window: %s\n", SDL_GetError());
        return 1;
    }
    // sdl12-compat's set-up probes its framebuffer with a query Mesa refuses;
    // that error is the library's, and the tests look for their own.
    while (glGetError() != GL_NO_ERROR) {
    }
    gltest::resetState();
    gltest::plantLeakIfAsked();
    int rc = RUN_ALL_TESTS();
    gltest::keepLoadedObjectsMapped();
    SDL_Quit();
    if (chdir("/") == 0) std::filesystem::remove_all(gltest::g_workDir);
    return rc;
}
