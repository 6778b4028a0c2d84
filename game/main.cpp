#include "game.h"
#include <cstdlib>
// placeholder: replaced by the real code
VK_SK_Engine* newEngine;
VK_TEXTURE* StoneTexture;
VK_CUBE* testCube;
unsigned StoneCube;
Uint32 next_time;
bool Keys[256];
void temp_startup() {}
void temp_frame() {}
void temp_quit() { std::exit(0); }
unsigned retTime() { return 0; }
int temp_process_events() { return 1; }
void temp_key_handler_down(SDL_keysym*) {}
void temp_key_handler_up(SDL_keysym*) {}
void GameKey(int, bool) {}
void temp_draw_screen() {}
void debmessage(const char*) {}
