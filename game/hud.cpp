// The 2D overlay drawn over each frame's world, and the game's projection
// switch.
#include "game.h"

#include <GL/gl.h>
#include <GL/glu.h>

// Overlay counters: set by GameStart, run down once per frame by the
// overlay pass and never reset.
int splashtimer = 0;
float splashalpha = 0;

namespace {

const float SCREEN_W = 640;
const float SCREEN_H = 480;
const double LOGO_FADE_STEP = 0.04;  // per frame: about 25 frames of fading

void drawLogo() {
    if (splashtimer > 0) {
        sprLogo->Draw(0, 0);  // full strength: the frame's colour is opaque white
        splashtimer--;
    } else if (splashalpha > 0) {
        splashalpha = float(splashalpha - LOGO_FADE_STEP);
        // The sprite's alpha is scaled by the current colour's.
        glColor4f(1, 1, 1, splashalpha);
        sprLogo->Draw(0, 0);
        glColor4f(1, 1, 1, 1);
    }
}

}  // namespace

// The game's own name for the engine's projection switch: the two
// enumerations share their values, unknown modes included.
void sresize(float width, float height, sr_mode mode) {
    aresize(width, height, static_cast<res_mode>(mode));
}

// The tail of GameDraw. Leaves the 45-degree perspective that the next
// frame's world is drawn with, lighting on and the modelview at identity.
void DrawOverlay() {
    sresize(SCREEN_W, SCREEN_H, SR_ORTHO);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    tCursor->Draw(312, 232);  // a 16x16 crosshair centred on screen
    drawLogo();
    sresize(SCREEN_W, SCREEN_H, SR_PERSPECTIVE);
    glEnable(GL_LIGHTING);
    glLoadIdentity();
}
