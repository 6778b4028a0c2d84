#include "null_platform.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL_syswm.h>

namespace nullplat {

Uint32 ticks = 0;
int mouseX = 320, mouseY = 240, relX = 0, relY = 0;

namespace {
SDL_Event queue[kQueue];
int head = 0, tail = 0;

SDL_EventFilter filter = nullptr;
Uint8 keyState[SDLK_LAST];

// As SDL does: key state, filter, then the queue if it has room.
void push(const SDL_Event& e) {
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) keyState[e.key.keysym.sym] = e.type == SDL_KEYDOWN;
    if (filter && !filter(&e)) return;
    if (tail - head < kQueue) queue[tail++ % kQueue] = e;
}

SDL_PixelFormat desktopFormat = [] {
    SDL_PixelFormat f{};
    f.BitsPerPixel = 24;
    f.BytesPerPixel = 3;
    return f;
}();
SDL_VideoInfo videoInfo = [] {
    SDL_VideoInfo v{};
    v.vfmt = &desktopFormat;
    return v;
}();
SDL_Surface screen{};
GLuint nextName = 1;
}  // namespace

void pushKey(SDLKey sym, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = sym;
    push(e);
}

void pushMotion(int x, int y, int dx, int dy) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = Uint16(x);
    e.motion.y = Uint16(y);
    e.motion.xrel = Sint16(dx);
    e.motion.yrel = Sint16(dy);
    push(e);
}

}  // namespace nullplat

using namespace nullplat;

extern "C" {

// ---- SDL ----
int SDL_Init(Uint32) { return 0; }
void SDL_Quit() {}
const SDL_VideoInfo* SDL_GetVideoInfo() { return &videoInfo; }
int SDL_GL_SetAttribute(SDL_GLattr, int) { return 0; }
SDL_Surface* SDL_SetVideoMode(int w, int h, int, Uint32 flags) {
    screen.w = w;
    screen.h = h;
    screen.flags = flags;
    return &screen;
}
void SDL_GL_SwapBuffers() {}
Uint32 SDL_GetTicks() { return ticks; }
void SDL_Delay(Uint32 ms) { ticks += ms; }
int SDL_PollEvent(SDL_Event* event) {
    if (head == tail) return 0;
    const SDL_Event& e = queue[head++ % kQueue];
    if (e.type == SDL_MOUSEMOTION) {
        mouseX = e.motion.x;
        mouseY = e.motion.y;
        relX += e.motion.xrel;
        relY += e.motion.yrel;
    }
    if (event) *event = e;
    return 1;
}
void SDL_SetEventFilter(SDL_EventFilter f) { filter = f; }
void SDL_PumpEvents() {}
int SDL_PeepEvents(SDL_Event* events, int n, SDL_eventaction action, Uint32) {
    int i = 0;
    if (action == SDL_ADDEVENT)
        for (; i < n && tail - head < kQueue; i++) queue[tail++ % kQueue] = events[i];
    else if (action == SDL_GETEVENT)
        for (; i < n && head != tail; i++) events[i] = queue[head++ % kQueue];
    return i;
}
Uint8* SDL_GetKeyState(int* numkeys) {
    if (numkeys) *numkeys = SDLK_LAST;
    return keyState;
}
Uint8 SDL_GetMouseState(int* x, int* y) {
    if (x) *x = mouseX;
    if (y) *y = mouseY;
    return 0;
}
Uint8 SDL_GetRelativeMouseState(int* x, int* y) {
    if (x) *x = relX;
    if (y) *y = relY;
    relX = relY = 0;
    return 0;
}
void SDL_WarpMouse(Uint16 x, Uint16 y) {
    mouseX = x;
    mouseY = y;
}
int SDL_ShowCursor(int toggle) { return toggle < 0 ? 0 : toggle; }
SDL_GrabMode SDL_WM_GrabInput(SDL_GrabMode mode) { return mode; }
Uint8 SDL_GetAppState() { return SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS | SDL_APPACTIVE; }
int SDL_GetWMInfo(SDL_SysWMinfo*) { return 0; }
// No bitmap decodes here: the bitmap textures fail to load (name 0), which
// changes no code path of the frame.
SDL_RWops* SDL_RWFromFile(const char*, const char*) { return nullptr; }
SDL_Surface* SDL_LoadBMP_RW(SDL_RWops*, int) { return nullptr; }
SDL_Surface* SDL_ConvertSurface(SDL_Surface*, SDL_PixelFormat*, Uint32) { return nullptr; }
void SDL_FreeSurface(SDL_Surface*) {}
char* SDL_GetError() { return const_cast<char*>(""); }

// ---- GL 1.1 ----
void glBegin(GLenum) {}
void glEnd() {}
void glBindTexture(GLenum, GLuint) {}
void glBlendFunc(GLenum, GLenum) {}
void glCallList(GLuint) {}
void glClear(GLbitfield) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glColor3f(GLfloat, GLfloat, GLfloat) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glDepthFunc(GLenum) {}
void glDepthMask(GLboolean) {}
void glDisable(GLenum) {}
void glEnable(GLenum) {}
void glEndList() {}
void glNewList(GLuint, GLenum) {}
GLuint glGenLists(GLsizei range) {
    GLuint first = nextName;
    nextName += GLuint(range);
    return first;
}
void glGenTextures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; i++) names[i] = nextName++;
}
void glFogf(GLenum, GLfloat) {}
void glFogfv(GLenum, const GLfloat*) {}
void glFogi(GLenum, GLint) {}
void glHint(GLenum, GLenum) {}
void glLightfv(GLenum, GLenum, const GLfloat*) {}
void glLoadIdentity() {}
void glMatrixMode(GLenum) {}
void glNormal3f(GLfloat, GLfloat, GLfloat) {}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glPixelStorei(GLenum, GLint) {}
void glPopMatrix() {}
void glPushMatrix() {}
void glPushAttrib(GLbitfield) {}
void glPopAttrib() {}
void glTexEnvi(GLenum, GLenum, GLint) {}
void glCopyTexSubImage2D(GLenum, GLint, GLint, GLint, GLint, GLint, GLsizei, GLsizei) {}
void glShadeModel(GLenum) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid*) {}
void glTexParameterf(GLenum, GLenum, GLfloat) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glVertex2f(GLfloat, GLfloat) {}
void glVertex3f(GLfloat, GLfloat, GLfloat) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void glLineWidth(GLfloat) {}
void glFlush() {}
void glFinish() {}

// ---- GLU ----
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}
void gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}

}  // extern "C"
