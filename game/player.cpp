// The player: walking from the key table, turning and pitching from the
// mouse, jumping, the floor, gravity and the camera.
//
// All arithmetic is done in double on the float state and stored back as
// float; the constants 0.1, -0.3 and 1.7 are doubles, the stored values
// and bounds are floats. Changing either side shifts the trajectory by a
// float bit, which is visible over the ~23 frames of a fall.
#include "game.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

// Player: reset by GameStart, moved by GameMouse, GameKeyStep and GameDraw.
float player_x = 0, player_y = 0, player_z = 0;
float yrot = 0, xrot = 0;
float mxvel = 0, myvel = 0, mzvel = 0;
bool SwitchFlag = false;

namespace {

const double STEP = 0.25;         // walking distance per frame and key
const double GRAVITY = 0.1;       // fall per frame, also the jump's decay
const double FLOOR_TEST = -0.3;   // below this the floor may lift the player
const double EYE_HEIGHT = 1.7;
const float FLOOR_Y = -0.3f;
const float JUMP_SPEED = 0.6f;
const float FLOOR_HALF = 32;      // the floor covers |x|, |z| < 32
const float FLOOR_CATCH = -3;     // fallen this far, the floor no longer holds
const float FALL_LIMIT = -64;
const float PITCH_UP_LIMIT = -80;
const float PITCH_DOWN_LIMIT = 46;
const float VEL_LIMIT = 4;
const float HEADING_FULL = 360;
const float HEADING_WRAP_UP = 1;
const float HEADING_WRAP_DOWN = 359;
const int WARP_RIGHT_EDGE = 637;  // beyond this the cursor jumps to x 2
const int WARP_LEFT_EDGE = 1;     // at or before this it jumps to x 637

enum { KEY_SPACE = 32, KEY_A = 97, KEY_D = 100, KEY_S = 115, KEY_W = 119 };

// Moves the player 0.25 against the view direction of `heading`.
void walk(double heading, double sign) {
    player_x = float(player_x - sign * STEP * std::sin(deg2rad(heading)));
    player_z = float(player_z - sign * STEP * std::cos(deg2rad(heading)));
}

// The heading wraps by assignment, one frame after passing 360 or 0.
void turn() {
    if (mxvel > 0 && yrot < HEADING_FULL)
        yrot = float(double(yrot) + mxvel);
    else if (yrot >= HEADING_FULL)
        yrot = HEADING_WRAP_UP;

    if (mxvel < 0 && yrot > 0)
        yrot = float(double(yrot) + mxvel);
    else if (yrot <= 0)
        yrot = HEADING_WRAP_DOWN;
}

// Changed only inside the limits, so one step may overshoot them.
void pitch() {
    if (myvel < 0 && xrot > PITCH_UP_LIMIT) xrot = float(double(xrot) + myvel);
    if (myvel > 0 && xrot < PITCH_DOWN_LIMIT) xrot = float(double(xrot) + myvel);
}

void rise() {
    if (mzvel > 0) {
        player_y = float(double(player_y) + mzvel);
        mzvel = float(mzvel - GRAVITY);
    }
}

void damp() {
    if (mxvel > 0) mxvel = float(mxvel - 0.5);
    if (mxvel < 0) mxvel = float(mxvel + 0.5);
    if (myvel > 0) myvel = float(myvel - 0.5);
    if (myvel < 0) myvel = float(myvel + 0.5);
}

bool overFloor() {
    return -FLOOR_HALF < player_x && player_x < FLOOR_HALF &&
           -FLOOR_HALF < player_z && player_z < FLOOR_HALF;
}

// Runs before gravity, so a standing player ends each frame at -0.4.
void standOnFloor() {
    if (player_y < FLOOR_TEST && overFloor() && player_y > FLOOR_CATCH) player_y = FLOOR_Y;
}

void fall() {
    if (player_y > FALL_LIMIT) player_y = float(player_y - GRAVITY);
}

}  // namespace

double deg2rad(double degrees) { return degrees * 0.017453292519943295; }

// Each held key moves from where the previous one left the player.
void GameKeyStep() {
    if (Keys[KEY_W]) walk(yrot, 1);
    if (Keys[KEY_S]) walk(yrot, -1);
    if (Keys[KEY_D]) walk(double(yrot) - 90, 1);
    if (Keys[KEY_A]) walk(double(yrot) + 90, 1);
    if (Keys[KEY_SPACE] && player_y <= FLOOR_TEST) mzvel = JUMP_SPEED;
}

// Only the sign of the motion counts. The warps keep the hidden cursor off
// the side edges; SwitchFlag keeps the warp's own jump out of mxvel.
void GameMouse() {
    int dx = 0, dy = 0, x = 0, y = 0;
    SDL_GetRelativeMouseState(&dx, &dy);
    SDL_GetMouseState(&x, &y);
    if (SwitchFlag) {
        dx = 0;
        SwitchFlag = false;
    }
    if (dx > 0 && mxvel > -VEL_LIMIT) mxvel = float(mxvel - 1.0);
    if (dx < 0 && mxvel < VEL_LIMIT) mxvel = float(mxvel + 1.0);
    if (dy > 0 && myvel < VEL_LIMIT) myvel = float(myvel + 1.0);
    if (dy < 0 && myvel > -VEL_LIMIT) myvel = float(myvel - 1.0);
    if (x > WARP_RIGHT_EDGE) {
        SDL_WarpMouse(2, Uint16(y));
        SwitchFlag = true;
    }
    if (x <= WARP_LEFT_EDGE) {
        SDL_WarpMouse(637, Uint16(y));
        SwitchFlag = true;
    }
}

void PlayerStep() {
    turn();
    pitch();
    rise();
    damp();
    standOnFloor();
    fall();
}

// Multiplies onto the modelview, which the frame has set to identity.
void PlaceCamera() {
    double eyeY = player_y + EYE_HEIGHT;
    gluLookAt(player_x, eyeY, player_z,
              player_x - std::sin(deg2rad(yrot)), eyeY - std::tan(deg2rad(xrot)),
              player_z - std::cos(deg2rad(yrot)),
              0, 1, 0);
}

void GameDraw() {
    PlayerStep();
    PlaceCamera();
    DrawWorld();
    DrawOverlay();
}
