// The OpenGL 1.1 subset that the engine and the game call, for the browser
// build. Each entry point is renamed to the web layer's own function so that
// it cannot clash with the WebGL functions of the same name that the layer
// itself calls underneath.
#pragma once

#include <vkw/gltypes.h>

#define glBegin vkw_glBegin
#define glBindTexture vkw_glBindTexture
#define glBlendFunc vkw_glBlendFunc
#define glCallList vkw_glCallList
#define glClear vkw_glClear
#define glClearColor vkw_glClearColor
#define glColor3f vkw_glColor3f
#define glColor4f vkw_glColor4f
#define glDepthFunc vkw_glDepthFunc
#define glDisable vkw_glDisable
#define glEnable vkw_glEnable
#define glEnd vkw_glEnd
#define glEndList vkw_glEndList
#define glFogf vkw_glFogf
#define glFogfv vkw_glFogfv
#define glFogi vkw_glFogi
#define glGenLists vkw_glGenLists
#define glGenTextures vkw_glGenTextures
#define glGetIntegerv vkw_glGetIntegerv
#define glHint vkw_glHint
#define glLightfv vkw_glLightfv
#define glLoadIdentity vkw_glLoadIdentity
#define glMatrixMode vkw_glMatrixMode
#define glMultMatrixd vkw_glMultMatrixd
#define glNewList vkw_glNewList
#define glNormal3f vkw_glNormal3f
#define glOrtho vkw_glOrtho
#define glPixelStorei vkw_glPixelStorei
#define glPopMatrix vkw_glPopMatrix
#define glPushMatrix vkw_glPushMatrix
#define glRotatef vkw_glRotatef
#define glScalef vkw_glScalef
#define glShadeModel vkw_glShadeModel
#define glTexCoord2f vkw_glTexCoord2f
#define glTexImage2D vkw_glTexImage2D
#define glTexParameterf vkw_glTexParameterf
#define glTexParameteri vkw_glTexParameteri
#define glTranslatef vkw_glTranslatef
#define glVertex2f vkw_glVertex2f
#define glVertex3f vkw_glVertex3f
#define glViewport vkw_glViewport

#ifdef __cplusplus
extern "C" {
#endif

void glBegin(GLenum mode);
void glBindTexture(GLenum target, GLuint texture);
void glBlendFunc(GLenum sfactor, GLenum dfactor);
void glCallList(GLuint list);
void glClear(GLbitfield mask);
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
void glColor3f(GLfloat r, GLfloat g, GLfloat b);
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void glDepthFunc(GLenum func);
void glDisable(GLenum cap);
void glEnable(GLenum cap);
void glEnd(void);
void glEndList(void);
void glFogf(GLenum pname, GLfloat param);
void glFogfv(GLenum pname, const GLfloat* params);
void glFogi(GLenum pname, GLint param);
GLuint glGenLists(GLsizei range);
void glGenTextures(GLsizei n, GLuint* textures);
void glGetIntegerv(GLenum pname, GLint* params);
void glHint(GLenum target, GLenum mode);
void glLightfv(GLenum light, GLenum pname, const GLfloat* params);
void glLoadIdentity(void);
void glMatrixMode(GLenum mode);
void glMultMatrixd(const GLdouble* m);
void glNewList(GLuint list, GLenum mode);
void glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);
void glPixelStorei(GLenum pname, GLint param);
void glPopMatrix(void);
void glPushMatrix(void);
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void glScalef(GLfloat x, GLfloat y, GLfloat z);
void glShadeModel(GLenum mode);
void glTexCoord2f(GLfloat s, GLfloat t);
void glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels);
void glTexParameterf(GLenum target, GLenum pname, GLfloat param);
void glTexParameteri(GLenum target, GLenum pname, GLint param);
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glVertex2f(GLfloat x, GLfloat y);
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height);

#ifdef __cplusplus
}
#endif
