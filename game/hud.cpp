#include "game.h"
// placeholder: replaced by the real code
int splashtimer; float splashalpha;
void sresize(float, float, sr_mode) {}
void DrawOverlay() {}
