#include "game.h"
// placeholder: replaced by the real code
float player_x, player_y, player_z, yrot, xrot, mxvel, myvel, mzvel;
bool SwitchFlag;
double deg2rad(double d) { return d * 0.017453292519943295; }
void GameKeyStep() {}
void GameMouse() {}
void GameDraw() {}
void PlayerStep() {}
void PlaceCamera() {}
