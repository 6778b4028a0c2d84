#include "game.h"
// placeholder: replaced by the real entry, loop and game
VK_SK_Engine* newEngine;
VK_TEXTURE* StoneTexture;
VK_CUBE* testCube;
unsigned StoneCube;
Uint32 next_time;
bool Keys[256];
float LightAmbient[4], LightDiffuse[4], LightPosition[4];
VK_TEXTURE* Texture_Dirt; VK_CUBE* Block_Dirt; VK_TEXTURE* Texture_Obsidian; VK_CUBE* Block_Obsidian;
gEntity* testroot; VK_SPRITE* tCursor; VK_SPRITE* sprLogo; VK_TEXTURE* txWireframe;
float player_x, player_y, player_z, yrot, xrot, mxvel, myvel, mzvel;
bool SwitchFlag;
int splashtimer; float splashalpha;
VK_CUBE* lData[WORLD_CELLS]; VK_TEXTURE* txStone; VK_TEXTURE* txObTile; gEntity* worldroot;
std::vector<mcEntity*> cWorld;
void temp_startup() {}
void temp_frame() {}
void temp_quit() { exit(0); }
unsigned retTime() { return 0; }
int temp_process_events() { return 1; }
void temp_key_handler_down(SDL_keysym*) {}
void temp_key_handler_up(SDL_keysym*) {}
void GameKey(int, bool) {}
void temp_draw_screen() {}
void debmessage(const char*) {}
void GameStart() {}
void GameEnd() {}
double deg2rad(double d) { return d * 0.017453292519943295; }
void GameKeyStep() {}
void GameMouse() {}
void GameDraw() {}
void PlayerStep() {}
void PlaceCamera() {}
void sresize(float, float, sr_mode) {}
void DrawOverlay() {}
void InitWorld() {}
void DrawWorld() {}
void CleanWorld() {}
void cInitWorld() {}
void cDrawWorld() {}
void AddObsid_Tile(float, float, float) {}
void TraceRay() {}
void RayPoint(float, float, float, float, float) {}
