// Minimal GL and GLU for the fuzz targets: no context, no drawing. The one
// call that matters is glTexImage2D, which reads every byte GL itself would
// read for the given size, format and unpack alignment, so that a pixel
// buffer shorter than the upload claims is caught by AddressSanitizer.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstddef>
#include <cstdint>

namespace {
GLint unpackAlignment = 4;
GLuint nextName = 1;

size_t components(GLenum format) {
    switch (format) {
        case GL_RGBA: case GL_BGRA: return 4;
        case GL_RGB: case GL_BGR: return 3;
        case GL_LUMINANCE_ALPHA: return 2;
        default: return 1;
    }
}
}  // namespace

extern "C" {

void glGenTextures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; i++) names[i] = nextName++;
}

void glPixelStorei(GLenum pname, GLint param) {
    if (pname == GL_UNPACK_ALIGNMENT) unpackAlignment = param;
}

void glTexImage2D(GLenum, GLint, GLint, GLsizei width, GLsizei height, GLint border, GLenum format,
                  GLenum type, const GLvoid* pixels) {
    if (width < 0 || height < 0 || border != 0 || type != GL_UNSIGNED_BYTE) __builtin_trap();
    if (!width || !height || !pixels) return;
    size_t row = size_t(width) * components(format);
    size_t align = size_t(unpackAlignment);
    size_t stride = (row + align - 1) / align * align;
    size_t bytes = stride * size_t(height - 1) + row;
    const auto* p = static_cast<const uint8_t*>(pixels);
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < bytes; i++) sum = uint8_t(sum + p[i]);
    (void)sum;
}

// llvmpipe's limit, so the loaders' size check refuses what the game would.
void glGetIntegerv(GLenum pname, GLint* params) {
    if (pname == GL_MAX_TEXTURE_SIZE) *params = 16384;
}

void glBindTexture(GLenum, GLuint) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTexParameterf(GLenum, GLenum, GLfloat) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void glMatrixMode(GLenum) {}
void glLoadIdentity() {}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glEnable(GLenum) {}
void glDisable(GLenum) {}
void glBlendFunc(GLenum, GLenum) {}
void glBegin(GLenum) {}
void glEnd() {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glVertex2f(GLfloat, GLfloat) {}
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}

}  // extern "C"
