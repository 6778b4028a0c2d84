/* LD_PRELOAD helper of tools/bench-web and the browser tests for the desktop
 * game: counts its frames at SDL_GL_SwapBuffers and keeps "frames
 * milliseconds WxH" (the window's size, as SDL has it) in the file
 * VASKEL_FRAMES_FILE; with VASKEL_CAPTURE_FRAMES="N
 * M ..." and VASKEL_CAPTURE_DIR it also writes those frames, read back before
 * they are shown, as binary PPM files DIR/frame-N.ppm; with VASKEL_KEYS="N:SYM:1
 * M:SYM:0 ..." it queues a press (1) or release (0) of SDL key SYM at the swap
 * of frame N, which the game takes in frame N+1, as the browser page's script
 * does; with VASKEL_WARPS_FILE it appends "FRAMES X Y" there for each
 * SDL_WarpMouse, FRAMES being the swaps before it. The game calls SDL through its PLT, so this definition comes first. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <GL/gl.h>
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { W = 640, H = 480 };

static void capture(const char* path) {
    static unsigned char px[W * H * 3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, px);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    /* Written aside and renamed: a reader that sees the name sees it whole. */
    char part[4200];
    snprintf(part, sizeof part, "%s.part", path);
    FILE* f = fopen(part, "wb");
    if (!f) return;
    fprintf(f, "P6\n%d %d\n255\n", W, H);
    for (int y = H - 1; y >= 0; y--) fwrite(px + (size_t)y * W * 3, 1, W * 3, f);  /* GL rows run bottom up */
    if (fclose(f) == 0) rename(part, path);
}

static unsigned long frames;

/* Under an input grab SDL moves its own idea of the pointer, not the
 * screen's, so a warp shows only here. */
void SDL_WarpMouse(Uint16 x, Uint16 y) {
    static void (*real)(Uint16, Uint16);
    if (!real) real = (void (*)(Uint16, Uint16))dlsym(RTLD_NEXT, "SDL_WarpMouse");
    const char* path = getenv("VASKEL_WARPS_FILE");
    FILE* f = path ? fopen(path, "a") : NULL;
    if (f) {
        fprintf(f, "%lu %u %u\n", frames, x, y);
        fclose(f);
    }
    real(x, y);
}

void SDL_GL_SwapBuffers(void) {
    static void (*real)(void);
    if (!real) real = (void (*)(void))dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
    frames++;
    const char* want = getenv("VASKEL_CAPTURE_FRAMES");
    const char* dir = getenv("VASKEL_CAPTURE_DIR");
    for (char* p = (char*)want; want && dir && *p;) {
        char* end;
        unsigned long n = strtoul(p, &end, 10);
        if (end == p) break;
        if (n == frames) {
            char path[4096];
            snprintf(path, sizeof path, "%s/frame-%lu.ppm", dir, n);
            capture(path);
        }
        p = end;
    }
    const char* keys = getenv("VASKEL_KEYS");
    static int (*push)(SDL_Event*);
    if (keys && !push) push = (int (*)(SDL_Event*))dlsym(RTLD_DEFAULT, "SDL_PushEvent");
    for (const char* p = keys; p && *p && push;) {
        char* end;
        unsigned long n = strtoul(p, &end, 10);
        unsigned sym = 0, down = 0;
        int used = 0;
        if (end == p || sscanf(end, ":%u:%u%n", &sym, &down, &used) != 2) break;
        if (n == frames) {
            SDL_Event e;
            memset(&e, 0, sizeof e);
            e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
            e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.sym = (SDLKey)sym;
            push(&e);
        }
        p = end + used;
        while (*p == ' ') p++;
    }
    const char* count = getenv("VASKEL_FRAMES_FILE");
    if (count) {
        struct timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        SDL_Surface* window = SDL_GetVideoSurface();
        char line[96];
        int n = snprintf(line, sizeof line, "%lu %.1f %dx%d\n", frames, t.tv_sec * 1e3 + t.tv_nsec / 1e6,
                         window ? window->w : 0, window ? window->h : 0);
        /* Written aside and renamed, as the frames are: a reader racing an
           emptied file on a busy machine found no count at all. */
        char part[4096];
        snprintf(part, sizeof part, "%s.part", count);
        int fd = open(part, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            if (write(fd, line, (size_t)n) < 0) { /* a lost sample only */ }
            close(fd);
            rename(part, count);
        }
    }
    real();
}
