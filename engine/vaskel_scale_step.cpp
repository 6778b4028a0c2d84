#include "vaskel_scale.h"
#include "vaskel_sk.h"

#include <GL/gl.h>

#include <initializer_list>

namespace {

// GL 1.1 textures have sides that are powers of two.
int powerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
}

// A whole multiple is the frame's pixels repeated, exactly and at less than
// half the cost on llvmpipe; other scales are filtered.
void bindCopyTexture(VK_FRAME_COPY& copy, int frameW, int frameH, bool wholeMultiple) {
    if (!copy.texture) glGenTextures(1, &copy.texture);
    glBindTexture(GL_TEXTURE_2D, copy.texture);
    GLint filter = wholeMultiple ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    if (copy.w >= frameW && copy.h >= frameH) return;
    copy.w = powerOfTwoAtLeast(frameW);
    copy.h = powerOfTwoAtLeast(frameH);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, copy.w, copy.h, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
}

void pushMatrix(GLenum mode) {
    glMatrixMode(mode);
    glPushMatrix();
    glLoadIdentity();
}

void popMatrix(GLenum mode) {
    glMatrixMode(mode);
    glPopMatrix();
}

}  // namespace

void VK_ScaleFrameToWindow(VK_FRAME_COPY& copy, int frameW, int frameH, int windowW, int windowH) {
    // A window smaller than the frame on a side holds only part of it.
    if (windowW < frameW || windowH < frameH || (windowW == frameW && windowH == frameH)) return;
    VK_RECT to = VK_FitFrame(frameW, frameH, windowW, windowH);
    // Every attribute group, and the three matrices, come back as they were:
    // the next frame starts from the state this one left.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    pushMatrix(GL_TEXTURE);
    pushMatrix(GL_PROJECTION);
    glOrtho(0, windowW, 0, windowH, -1, 1);
    pushMatrix(GL_MODELVIEW);

    glDisable(GL_SCISSOR_TEST);  // the copy and the clear must see the whole buffer
    bool wholeMultiple = to.w % frameW == 0 && to.w / frameW == to.h / frameH;
    bindCopyTexture(copy, frameW, frameH, wholeMultiple);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, frameW, frameH);
    glViewport(0, 0, windowW, windowH);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_FOG, GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE})
        glDisable(cap);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // Filtered, half a texel in from the frame's edges: GL 1.1's clamp would
    // blend the border's black, and the texture's unused part, into the outer
    // pixels. Nearest samples blend nothing, and an inset would shift them.
    float inset = wholeMultiple ? 0.0f : 0.5f;
    float s0 = inset / float(copy.w), s1 = (float(frameW) - inset) / float(copy.w);
    float t0 = inset / float(copy.h), t1 = (float(frameH) - inset) / float(copy.h);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0), glVertex2f(float(to.x), float(to.y));
    glTexCoord2f(s1, t0), glVertex2f(float(to.x + to.w), float(to.y));
    glTexCoord2f(s1, t1), glVertex2f(float(to.x + to.w), float(to.y + to.h));
    glTexCoord2f(s0, t1), glVertex2f(float(to.x), float(to.y + to.h));
    glEnd();

    popMatrix(GL_MODELVIEW);
    popMatrix(GL_PROJECTION);
    popMatrix(GL_TEXTURE);
    glPopAttrib();  // the matrix mode with it
}

void VK_SK_Engine::scaleFrameToWindow() { VK_ScaleFrameToWindow(frameCopy, width, height, windowWidth, windowHeight); }
