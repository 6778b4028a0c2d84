// Small helpers around the view direction (-sin yaw, -tan pitch, -cos yaw)
// and the tile chain under testroot.
#include "game.h"

#include <GL/gl.h>

#include <cmath>

namespace {

const int RAY_STEPS = 5;
const double RAY_STEP = 0.25;
const float NEAR_RADIUS = 0.5f;
const double SEGMENT_LENGTH = 0.5;
const double EYE_HEIGHT = 1.7;

}  // namespace

// Needs testroot and Texture_Obsidian. The new tile becomes the only child
// of the current head, so the tiles form one chain below testroot.
void AddObsid_Tile(float x, float y, float z) {
    gEntity* tile = new gEntity(x, y, z, Texture_Obsidian);
    testroot->FindHead()->Attach(tile);
    testroot->FindHead()->blended = true;
}

// Starts at the player's feet, not at eye height; the point is stored as
// float after every step.
void TraceRay() {
    float px = player_x, py = player_y, pz = player_z;
    for (int i = 0; i < RAY_STEPS; i++) {
        px = float(px - std::sin(deg2rad(yrot)) * RAY_STEP);
        pz = float(pz - std::cos(deg2rad(yrot)) * RAY_STEP);
        py = float(py - std::tan(deg2rad(xrot)) * RAY_STEP);
    }
    testroot->CheckNear(px, py, pz, NEAR_RADIUS);
}

// Given in eye coordinates: the modelview is replaced for the line and
// restored after. Leaves the colour red.
void RayPoint(float x, float y, float z, float yaw, float pitch) {
    double eyeY = y + EYE_HEIGHT;
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_LINE_LOOP);
    glColor3f(1, 0, 0);
    glVertex3f(x, float(eyeY), z);
    glVertex3f(float(x - std::sin(deg2rad(yaw)) * SEGMENT_LENGTH),
               float(eyeY - std::tan(deg2rad(pitch)) * SEGMENT_LENGTH),
               float(z - std::cos(deg2rad(yaw)) * SEGMENT_LENGTH));
    glEnd();
    glPopMatrix();
}
