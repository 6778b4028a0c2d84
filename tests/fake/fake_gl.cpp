// Recording stand-ins for the OpenGL 1.1 and GLU entry points the program uses.
#include "fake.h"
#include "fake_internal.h"

#include <GL/glu.h>

#include <initializer_list>

using namespace fake;

namespace {

struct Arg {
    double v;
    std::string s;
};
Arg E(GLenum e) { return {double(e), enumName(e)}; }
Arg F(float f) { return {f, num(f)}; }
Arg D(double d) { return {d, num(d)}; }
Arg I(long long i) { return {double(i), std::to_string(i)}; }

void rec(const char* name, std::initializer_list<Arg> args) {
    std::vector<double> values;
    std::string text;
    for (const Arg& a : args) {
        if (!text.empty()) text += ", ";
        text += a.s;
        values.push_back(a.v);
    }
    record(name, std::move(values), text);
}

// How many floats a glLightfv / glFogfv parameter takes.
int vecSize(GLenum pname) {
    switch (pname) {
        case GL_AMBIENT: case GL_DIFFUSE: case GL_SPECULAR: case GL_POSITION: case GL_FOG_COLOR:
            return 4;
        case GL_SPOT_DIRECTION:
            return 3;
        default:
            return 1;
    }
}

void recVec(const char* name, Arg first, GLenum pname, const GLfloat* p) {
    std::vector<double> values{first.v, double(pname)};
    std::string text = first.s.empty() ? enumName(pname) : first.s + ", " + enumName(pname);
    if (first.s.empty()) values.erase(values.begin());
    text += ", {";
    for (int i = 0; i < vecSize(pname); i++) {
        if (i) text += ", ";
        text += num(p[i]);
        values.push_back(p[i]);
    }
    text += "}";
    record(name, std::move(values), text);
}

}  // namespace

extern "C" {

void glEnable(GLenum cap) { rec("glEnable", {E(cap)}); enabled.insert(cap); }
void glDisable(GLenum cap) { rec("glDisable", {E(cap)}); enabled.erase(cap); }
GLboolean glIsEnabled(GLenum cap) { return isEnabled(cap) ? GL_TRUE : GL_FALSE; }
void glShadeModel(GLenum mode) { rec("glShadeModel", {E(mode)}); }
void glDepthFunc(GLenum func) { rec("glDepthFunc", {E(func)}); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    rec("glClearColor", {F(r), F(g), F(b), F(a)});
}
void glClear(GLbitfield mask) {
    std::string s;
    if (mask & GL_COLOR_BUFFER_BIT) s += "GL_COLOR_BUFFER_BIT";
    if (mask & GL_DEPTH_BUFFER_BIT) s += s.empty() ? "GL_DEPTH_BUFFER_BIT" : "|GL_DEPTH_BUFFER_BIT";
    record("glClear", {double(mask)}, s);
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { rec("glViewport", {I(x), I(y), I(w), I(h)}); }
void glMatrixMode(GLenum mode) { rec("glMatrixMode", {E(mode)}); matrixMode = mode; }
void glLoadIdentity() { rec("glLoadIdentity", {}); }
void glPushMatrix() { rec("glPushMatrix", {}); }
void glPushAttrib(GLbitfield mask) { rec("glPushAttrib", {E(mask)}); }
void glPopAttrib() { rec("glPopAttrib", {}); }
void glTexEnvi(GLenum target, GLenum pname, GLint param) { rec("glTexEnvi", {E(target), E(pname), E(GLenum(param))}); }
void glCopyTexSubImage2D(GLenum target, GLint level, GLint xo, GLint yo, GLint x, GLint y, GLsizei w, GLsizei h) {
    rec("glCopyTexSubImage2D", {E(target), I(level), I(xo), I(yo), I(x), I(y), I(w), I(h)});
}
void glPopMatrix() { rec("glPopMatrix", {}); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { rec("glTranslatef", {F(x), F(y), F(z)}); }
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    rec("glOrtho", {D(l), D(r), D(b), D(t), D(n), D(f)});
}
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    rec("gluPerspective", {D(fovy), D(aspect), D(zNear), D(zFar)});
}
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
               GLdouble ux, GLdouble uy, GLdouble uz) {
    rec("gluLookAt", {D(ex), D(ey), D(ez), D(cx), D(cy), D(cz), D(ux), D(uy), D(uz)});
}

void glBindTexture(GLenum target, GLuint name) {
    rec("glBindTexture", {E(target), I(name)});
    if (!recordingList) boundTexture = name;
}
void glGenTextures(GLsizei n, GLuint* names) {
    rec("glGenTextures", {I(n)});
    for (GLsizei i = 0; i < n; i++) names[i] = nextTextureName++;
}
void glDeleteTextures(GLsizei n, const GLuint*) { rec("glDeleteTextures", {I(n)}); }
void glPixelStorei(GLenum pname, GLint param) { rec("glPixelStorei", {E(pname), I(param)}); }
void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    rec("glTexParameteri", {E(target), E(pname), E(GLenum(param))});
}
void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    rec("glTexParameterf", {E(target), E(pname), F(param)});
}
void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei w, GLsizei h,
                  GLint border, GLenum format, GLenum type, const GLvoid*) {
    Arg internal = internalFormat > 4 ? E(GLenum(internalFormat)) : I(internalFormat);
    rec("glTexImage2D", {E(target), I(level), internal, I(w), I(h), I(border), E(format), E(type)});
}

void glBlendFunc(GLenum s, GLenum d) {
    rec("glBlendFunc", {E(s), E(d)});
    blendSrc = s;
    blendDst = d;
}
void glHint(GLenum target, GLenum mode) { rec("glHint", {E(target), E(mode)}); }

void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    rec("glColor3f", {F(r), F(g), F(b)});
    color[0] = r; color[1] = g; color[2] = b; color[3] = 1;
}
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    rec("glColor4f", {F(r), F(g), F(b), F(a)});
    color[0] = r; color[1] = g; color[2] = b; color[3] = a;
}
void glBegin(GLenum mode) { rec("glBegin", {E(mode)}); }
void glEnd() { rec("glEnd", {}); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { rec("glNormal3f", {F(x), F(y), F(z)}); }
void glTexCoord2f(GLfloat s, GLfloat t) { rec("glTexCoord2f", {F(s), F(t)}); }
void glVertex2f(GLfloat x, GLfloat y) { rec("glVertex2f", {F(x), F(y)}); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { rec("glVertex3f", {F(x), F(y), F(z)}); }

GLuint glGenLists(GLsizei range) {
    rec("glGenLists", {I(range)});
    GLuint first = nextListName;
    nextListName += GLuint(range);
    return first;
}
void glNewList(GLuint list, GLenum mode) {
    rec("glNewList", {I(list), E(mode)});
    recordingList = true;
}
void glEndList() {
    recordingList = false;
    rec("glEndList", {});
}
void glCallList(GLuint list) { rec("glCallList", {I(list)}); }

void glFogi(GLenum pname, GLint param) { rec("glFogi", {E(pname), E(GLenum(param))}); }
void glFogf(GLenum pname, GLfloat param) { rec("glFogf", {E(pname), F(param)}); }
void glFogfv(GLenum pname, const GLfloat* params) { recVec("glFogfv", {0, ""}, pname, params); }
void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    recVec("glLightfv", E(light), pname, params);
}

GLenum glGetError() { return GL_NO_ERROR; }
void glGetIntegerv(GLenum pname, GLint* params) {
    rec("glGetIntegerv", {E(pname)});
    if (pname == GL_MAX_TEXTURE_SIZE) *params = maxTextureSize;
}

}  // extern "C"
