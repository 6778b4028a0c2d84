// The two GLU calls the game makes, for the browser build: both multiply
// onto the current matrix of the web layer's own matrix stacks.
#pragma once

#include <GL/gl.h>

#define gluPerspective vkw_gluPerspective
#define gluLookAt vkw_gluLookAt

#ifdef __cplusplus
extern "C" {
#endif

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ);

#ifdef __cplusplus
}
#endif
