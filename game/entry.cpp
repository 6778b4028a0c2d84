#include "game.h"

// SDL's header renames this to SDL_main where SDL supplies the process
// entry itself; the arguments are not used.
int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    temp_startup();
    for (;;) temp_frame();
}
