// The page's own cost of the floor in the browser build: the block grid's
// GL calls through the web layer, with a backend that draws nothing. Run by
// tools/bench-web-layer under node.
#include "engine/vaskel_primitives.h"
#include "engine/vaskel_texture.h"
#include "glcore.h"
#include "glentry.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct NoBackend : vkw::Backend {
    void capability(GLenum, bool) override {}
    void clear(GLbitfield) override {}
    void clearColor(float, float, float, float) override {}
    void viewport(int, int, int, int) override {}
    void depthFunc(GLenum) override {}
    void blendFunc(GLenum, GLenum) override {}
    void texImage(GLuint, int, int, GLenum, const uint8_t*) override {}
    void texParameter(GLuint, GLenum, GLint) override {}
    GLint maxTextureSize() override { return 4096; }
    void drawStream(const vkw::Uniforms&, const vkw::Vertex*, size_t, const uint32_t*,
                    const std::vector<vkw::Segment>&) override {}
    void uploadBatch(const vkw::Vertex*, size_t, const uint32_t*, size_t) override {}
    void drawBatch(const vkw::Uniforms&, const std::vector<vkw::Segment>&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    NoBackend backend;
    vkw::Context context(&backend);
    vkw::setContext(&context);
    // The game's grid: 64x64 cubes, two textures in a checkerboard.
    VK_TEXTURE stone, tile;
    stone.texID = 1;
    tile.texID = 2;
    std::vector<std::unique_ptr<VK_CUBE>> cubes;
    for (int row = 0; row < 64; row++)
        for (int col = 0; col < 64; col++) {
            VK_TEXTURE* t = (row + col) % 2 ? &tile : &stone;
            cubes.push_back(std::make_unique<VK_CUBE>(float(col - 32), -2.0f, float(32 - row), t, t, t));
        }
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45, 640.0 / 480, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(0, 0, 0, 0, -0.3, -1, 0, 1, 0);
    std::vector<double> ms;
    for (int round = 0; round < 15; round++) {
        double start = emscripten_get_now();
        for (int f = 0; f < frames; f++) {
            for (auto& c : cubes) c->Draw();
            context.swap();
        }
        ms.push_back((emscripten_get_now() - start) / frames);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("the floor's calls through the web layer: %.3f ms a frame (median of 15 rounds of %d frames; "
                "fastest %.3f)\n", ms[ms.size() / 2], frames, ms[0]);
    return 0;
}
