#include "game.h"
// placeholder: replaced by the real code
float LightAmbient[4], LightDiffuse[4], LightPosition[4];
VK_TEXTURE* Texture_Dirt; VK_CUBE* Block_Dirt; VK_TEXTURE* Texture_Obsidian; VK_CUBE* Block_Obsidian;
gEntity* testroot; VK_SPRITE* tCursor; VK_SPRITE* sprLogo; VK_TEXTURE* txWireframe;
void GameStart() {}
void GameEnd() {}
