// The GL and GLU entry points the engine and the game call (renamed by
// include/GL/gl.h), forwarded to the one context. Calls made before a
// context exists are dropped, as GL drops calls without a current context.
#include "glentry.h"

#include <GL/glu.h>

#include <algorithm>

namespace {

vkw::Context* gContext = nullptr;

void submit(vkw::Command::Op op, GLenum a = 0, GLenum b = 0, std::initializer_list<float> f = {}) {
    if (!gContext) return;
    vkw::Command c{op};
    c.a = a;
    c.b = b;
    int i = 0;
    for (float v : f) c.f[i++] = v;
    gContext->execute(c);
}

bool direct() { return gContext && !gContext->compiling(); }

// Reads as many values as GL takes for pname (0: not one GL knows, which
// GL refuses with nothing read).
void submitv(vkw::Command::Op op, GLenum a, GLenum b, const GLfloat* p, int count) {
    if (!gContext || !p || count == 0) return;
    vkw::Command c{op};
    c.a = a;
    c.b = b;
    std::copy(p, p + count, c.f);
    gContext->execute(c);
}

int fogValues(GLenum pname) {
    switch (pname) {
        case GL_FOG_COLOR: return 4;
        case GL_FOG_MODE: case GL_FOG_DENSITY: case GL_FOG_START: case GL_FOG_END: case GL_FOG_INDEX: return 1;
        default: return 0;
    }
}

int lightValues(GLenum pname) {
    switch (pname) {
        case GL_AMBIENT: case GL_DIFFUSE: case GL_SPECULAR: case GL_POSITION: return 4;
        case GL_SPOT_DIRECTION: return 3;
        case GL_SPOT_EXPONENT: case GL_SPOT_CUTOFF: case GL_CONSTANT_ATTENUATION: case GL_LINEAR_ATTENUATION:
        case GL_QUADRATIC_ATTENUATION: return 1;
        default: return 0;
    }
}

}  // namespace

namespace vkw {
void setContext(Context* context) { gContext = context; }
Context* context() { return gContext; }
}  // namespace vkw

using vkw::Command;

extern "C" {

// Outside a display list these go straight to the context, which does
// what running their Command would.
void glBegin(GLenum mode) { direct() ? gContext->begin(mode) : submit(Command::BEGIN, mode); }
void glEnd(void) { direct() ? gContext->end() : submit(Command::END); }
void glVertex2f(GLfloat x, GLfloat y) { glVertex3f(x, y, 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    direct() ? gContext->vertex(x, y, z) : submit(Command::VERTEX, 0, 0, {x, y, z});
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    direct() ? gContext->normal(x, y, z) : submit(Command::NORMAL, 0, 0, {x, y, z});
}
void glTexCoord2f(GLfloat s, GLfloat t) { direct() ? gContext->texCoord(s, t) : submit(Command::TEXCOORD, 0, 0, {s, t}); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { submit(Command::COLOR, 0, 0, {r, g, b, 1}); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { submit(Command::COLOR, 0, 0, {r, g, b, a}); }
void glBindTexture(GLenum target, GLuint texture) {
    direct() ? gContext->bindTexture(target, texture) : submit(Command::BIND, target, texture);
}
void glEnable(GLenum cap) { submit(Command::ENABLE, cap); }
void glDisable(GLenum cap) { submit(Command::DISABLE, cap); }
void glBlendFunc(GLenum s, GLenum d) { submit(Command::BLENDFUNC, s, d); }
void glDepthFunc(GLenum func) { submit(Command::DEPTHFUNC, func); }
void glMatrixMode(GLenum mode) { submit(Command::MATRIXMODE, mode); }
void glLoadIdentity(void) { submit(Command::LOADIDENTITY); }
void glPushMatrix(void) { submit(Command::PUSH); }
void glPopMatrix(void) { submit(Command::POP); }
void glCallList(GLuint list) { submit(Command::CALLLIST, list); }
void glClear(GLbitfield mask) { submit(Command::CLEAR, mask); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { submit(Command::CLEARCOLOR, 0, 0, {r, g, b, a}); }
void glShadeModel(GLenum mode) { submit(Command::SHADEMODEL, mode); }
void glHint(GLenum target, GLenum mode) { submit(Command::HINT, target, mode); }
void glFogf(GLenum pname, GLfloat param) { submit(Command::FOGF, pname, 0, {param}); }
void glFogi(GLenum pname, GLint param) { submit(Command::FOGF, pname, 0, {GLfloat(param)}); }
void glFogfv(GLenum pname, const GLfloat* params) { submitv(Command::FOGFV, pname, 0, params, fogValues(pname)); }
void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    submitv(Command::LIGHTFV, light, pname, params, lightValues(pname));
}

void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    submit(Command::VIEWPORT, 0, 0, {GLfloat(x), GLfloat(y), GLfloat(w), GLfloat(h)});
}

void glMultMatrixd(const GLdouble* m) {
    if (gContext && m) gContext->multMatrixd(m);
}

namespace {
void multiply(const vkw::Mat4& m) {
    GLdouble d[16];
    for (int i = 0; i < 16; i++) d[i] = m.m[i];
    glMultMatrixd(d);
}
}  // namespace

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { multiply(vkw::translation(x, y, z)); }
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) { multiply(vkw::rotation(a, x, y, z)); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { multiply(vkw::scaling(x, y, z)); }
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    multiply(vkw::ortho(l, r, b, t, n, f));
}
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble n, GLdouble f) {
    multiply(vkw::perspective(fovy, aspect, n, f));
}
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, GLdouble uy,
               GLdouble uz) {
    const double eye[3] = {ex, ey, ez}, centre[3] = {cx, cy, cz}, up[3] = {ux, uy, uz};
    multiply(vkw::lookAt(eye, centre, up));
}

GLuint glGenLists(GLsizei range) { return gContext ? gContext->genLists(range) : 0; }
void glNewList(GLuint list, GLenum mode) {
    if (gContext) gContext->newList(list, mode);
}
void glEndList(void) {
    if (gContext) gContext->endList();
}
void glGenTextures(GLsizei n, GLuint* textures) {
    if (gContext && textures) gContext->genTextures(n, textures);
}
// Only the texture size limit is asked for; other queries leave params alone.
void glGetIntegerv(GLenum pname, GLint* params) {
    if (gContext && params && pname == GL_MAX_TEXTURE_SIZE) *params = gContext->maxTextureSize();
}
void glPixelStorei(GLenum pname, GLint param) {
    if (gContext) gContext->pixelStore(pname, param);
}
void glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    if (gContext && target == GL_TEXTURE_2D && level == 0 && border == 0)
        gContext->texImage(internalformat, width, height, format, type, pixels);
}
void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    if (gContext && target == GL_TEXTURE_2D) gContext->texParameter(pname, param);
}
void glTexParameterf(GLenum target, GLenum pname, GLfloat param) { glTexParameteri(target, pname, GLint(param)); }

}  // extern "C"
