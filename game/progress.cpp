// Start-up progress on standard output.
#include "game.h"

#include <cstdio>

// Each line goes out at once: a test or a pipe reading standard output sees
// it even if the process is killed right after.
void PrintProgress(const char* line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
}
