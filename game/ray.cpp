#include "game.h"
// placeholder: replaced by the real code
void AddObsid_Tile(float, float, float) {}
void TraceRay() {}
void RayPoint(float, float, float, float, float) {}
