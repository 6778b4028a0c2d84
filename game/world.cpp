#include "game.h"
// placeholder: replaced by the real code
VK_CUBE* lData[WORLD_CELLS]; VK_TEXTURE* txStone; VK_TEXTURE* txObTile; gEntity* worldroot;
std::vector<mcEntity*> cWorld;
void InitWorld() {}
void DrawWorld() {}
void CleanWorld() {}
void cInitWorld() {}
void cDrawWorld() {}
