// Frame benchmark: the game's own start-up and frame code on a real window
// (run it under Xvfb; tools/bench does), timed three ways:
//   immediate   the game's frame as it is: 4096 cubes sent vertex by vertex
//   cube-lists  each grid cube recorded once with VK_CUBE::MakeList and
//               replayed with glCallList (4096 calls per frame)
//   floor-list  the whole floor recorded into one display list
// The camera, overlay and buffer swap are the game's in every mode.
//
//   vaskel_bench [frames] [--only MODE]
//
// Prints the time from process start to the first presented frame, per-frame
// CPU time (the whole process, llvmpipe's threads included, and the main
// thread alone) with median, 95th percentile and maximum, wall time per frame
// and peak resident memory. Under callgrind only the measured frames are
// collected (client requests), so tools/bench can split their cost by object.
#include "game/game.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif

namespace {

double seconds(clockid_t clock) {
    timespec ts;
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Seconds since this process was created, from the kernel's start time
// (field 22 of /proc/self/stat, in clock ticks since boot).
double sinceProcessStart() {
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return -1;
    char buf[1024];
    size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    const char* p = std::strrchr(buf, ')');  // the command name may hold blanks
    if (!p) return -1;
    unsigned long long start = 0;
    int field = 2;
    for (const char* tok = std::strtok(const_cast<char*>(p + 1), " "); tok; tok = std::strtok(nullptr, " ")) {
        if (++field == 22) {
            start = std::strtoull(tok, nullptr, 10);
            break;
        }
    }
    return seconds(CLOCK_BOOTTIME) - double(start) / double(sysconf(_SC_CLK_TCK));
}

long peakRssKiB() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

struct Stats {
    double median, p95, max, mean;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v) sum += x;
    size_t n = v.size();
    return {v[n / 2], v[std::min(n - 1, (n * 95 + 99) / 100 - 1)], v.back(), sum / double(n)};
}

enum class Mode { Immediate, CubeLists, FloorList };
const char* const kModeNames[] = {"immediate", "cube-lists", "floor-list"};

std::vector<GLuint> cubeLists;
GLuint floorList = 0;

void recordLists() {
    for (VK_CUBE* cube : lData) cubeLists.push_back(cube->MakeList());
    floorList = glGenLists(1);
    glNewList(floorList, GL_COMPILE);
    for (VK_CUBE* cube : lData) cube->Draw();
    glEndList();
}

// The state every grid cube's Draw leaves before its faces.
void drawFloor(Mode mode) {
    switch (mode) {
        case Mode::Immediate: DrawWorld(); break;
        case Mode::CubeLists:
            glDisable(GL_BLEND);
            glEnable(GL_DEPTH_TEST);
            for (GLuint list : cubeLists) glCallList(list);
            break;
        case Mode::FloorList: glCallList(floorList); break;
    }
}

// temp_draw_screen with the floor drawn the given way; the immediate mode
// runs the game's own. Without swap the picture stays in the back buffer.
void drawFrame(Mode mode, bool swap = true) {
    if (mode == Mode::Immediate && swap) {
        temp_draw_screen();
        return;
    }
    temp_begin_frame();
    PlayerStep();
    PlaceCamera();
    drawFloor(mode);
    DrawOverlay();
    if (swap) SDL_GL_SwapBuffers();
}

// The same walk for every mode: back and forth on the floor while turning,
// with a jump now and then; the logo has already faded.
void resetPlayer() {
    player_x = player_z = 0;
    player_y = -0.4f;
    yrot = 30;
    xrot = 10;
    mxvel = myvel = mzvel = 0;
    splashtimer = 0;
    splashalpha = 0;
    std::fill(std::begin(Keys), std::end(Keys), false);
}

void scriptInput(int frame) {
    Keys['w'] = frame % 80 < 40;
    Keys['s'] = frame % 80 >= 40;
    Keys[' '] = frame % 50 == 0;
    mxvel = 1;
}

struct Run {
    std::vector<double> cpu, thread, wall;
};

Run runFrames(Mode mode, int frames, bool measured) {
    resetPlayer();
    Run r;
    if (measured) CALLGRIND_START_INSTRUMENTATION;
    for (int i = 0; i < frames; i++) {
        double c0 = seconds(CLOCK_PROCESS_CPUTIME_ID), t0 = seconds(CLOCK_THREAD_CPUTIME_ID),
               w0 = seconds(CLOCK_MONOTONIC);
        scriptInput(i);
        GameKeyStep();
        drawFrame(mode);
        glFinish();  // the frame's rasterisation is charged to the frame
        r.cpu.push_back(seconds(CLOCK_PROCESS_CPUTIME_ID) - c0);
        r.thread.push_back(seconds(CLOCK_THREAD_CPUTIME_ID) - t0);
        r.wall.push_back(seconds(CLOCK_MONOTONIC) - w0);
    }
    if (measured) CALLGRIND_STOP_INSTRUMENTATION;
    return r;
}

// The game's frame up to the swap, then the scaling step alone, each
// finished before the clocks are read.
Run runScaling(int frames) {
    resetPlayer();
    Run r;
    for (int i = 0; i < frames; i++) {
        scriptInput(i);
        GameKeyStep();
        temp_begin_frame();
        GameDraw();
        glFinish();
        double c0 = seconds(CLOCK_PROCESS_CPUTIME_ID), t0 = seconds(CLOCK_THREAD_CPUTIME_ID),
               w0 = seconds(CLOCK_MONOTONIC);
        newEngine->scaleFrameToWindow();
        glFinish();
        r.cpu.push_back(seconds(CLOCK_PROCESS_CPUTIME_ID) - c0);
        r.thread.push_back(seconds(CLOCK_THREAD_CPUTIME_ID) - t0);
        r.wall.push_back(seconds(CLOCK_MONOTONIC) - w0);
        SDL_GL_SwapBuffers();
    }
    return r;
}

// One frame from a fixed pose, read back, so the modes can be compared.
std::vector<unsigned char> snapshot(Mode mode) {
    resetPlayer();
    drawFrame(mode, false);
    std::vector<unsigned char> px(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    return px;
}

void printRow(const char* what, const Stats& s) {
    std::printf("  %-26s median %7.2f ms   p95 %7.2f ms   max %7.2f ms   mean %7.2f ms\n", what, s.median * 1e3,
                s.p95 * 1e3, s.max * 1e3, s.mean * 1e3);
}

// Runs start-up with its progress lines out of the way of the report.
void quietStartup() {
    std::fflush(stdout);
    int saved = dup(1);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    close(devnull);
    temp_startup();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
}

}  // namespace

int main(int argc, char** argv) {
    double atMain = sinceProcessStart();
    double mainWall = seconds(CLOCK_MONOTONIC);
    int frames = 300;
    int only = -1;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--only" && i + 1 < argc) {
            std::string m = argv[++i];
            for (int k = 0; k < 3; k++)
                if (m == kModeNames[k]) only = k;
            if (only < 0) {
                std::fprintf(stderr, "unknown mode %s\n", m.c_str());
                return 2;
            }
        } else {
            frames = std::max(1, std::atoi(a.c_str()));
        }
    }

    quietStartup();
    double startupDone = seconds(CLOCK_MONOTONIC);
    GameKeyStep();
    temp_draw_screen();
    glFinish();
    double firstFrame = seconds(CLOCK_MONOTONIC);
    double sinceStart = sinceProcessStart();
    long rssAfterStartup = peakRssKiB();

    std::printf("vaskel_bench: %d frames per mode, 640x480, %s\n", frames,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("start-up\n");
    std::printf("  process start -> main            %8.1f ms (kernel start time, 10 ms resolution)\n", atMain * 1e3);
    std::printf("  main -> start-up done            %8.1f ms (window, GL, textures, 4096 cubes)\n",
                (startupDone - mainWall) * 1e3);
    std::printf("  main -> first frame presented    %8.1f ms\n", (firstFrame - mainWall) * 1e3);
    std::printf("  process start -> first frame     %8.1f ms\n", sinceStart * 1e3);
    std::printf("  peak RSS after first frame       %8ld KiB\n", rssAfterStartup);

    double r0 = seconds(CLOCK_MONOTONIC);
    recordLists();
    glFinish();
    std::printf("  recording the display lists      %8.1f ms (4096 cube lists + 1 floor list)\n",
                (seconds(CLOCK_MONOTONIC) - r0) * 1e3);

    std::vector<std::vector<unsigned char>> shots;
    for (int k = 0; k < 3; k++) {
        if (only >= 0 && k != only) continue;
        Mode mode = Mode(k);
        runFrames(mode, 10, false);  // warm-up: shader variants, caches
        Run r = runFrames(mode, frames, true);
        std::printf("%s (per frame)\n", kModeNames[k]);
        printRow("CPU, whole process", stats(r.cpu));
        printRow("CPU, main thread", stats(r.thread));
        printRow("wall clock", stats(r.wall));
        std::printf("  peak RSS so far                  %8ld KiB\n", peakRssKiB());
        shots.push_back(snapshot(mode));
        if (const char* dir = std::getenv("VASKEL_BENCH_SHOTS")) {  // PPM files, bottom row first
            std::string name = std::string(dir) + "/" + kModeNames[k] + ".ppm";
            if (FILE* f = std::fopen(name.c_str(), "wb")) {
                std::fprintf(f, "P6 640 480 255\n");
                std::fwrite(shots.back().data(), 1, shots.back().size(), f);
                std::fclose(f);
            }
        }
    }
    if (shots.size() == 3) {
        for (int k = 1; k < 3; k++) {
            size_t differ = 0;
            int maxDiff = 0;
            for (size_t i = 0; i < shots[0].size(); i += 3) {
                int d = 0;
                for (size_t c = i; c < i + 3; c++) d = std::max(d, std::abs(shots[0][c] - shots[size_t(k)][c]));
                differ += d != 0;
                maxDiff = std::max(maxDiff, d);
            }
            std::printf("same picture: %s vs immediate: %zu of %d pixels differ, by at most %d of 255\n",
                        kModeNames[k], differ, 640 * 480, maxDiff);
        }
    }
    // Full screen as F11 gives it: the game's frame with the scaling step,
    // and the step alone.
    screenSwitchAsked = only <= 0;
    switchScreenIfAsked();
    if (newEngine->fullScreen) {
        runFrames(Mode::Immediate, 10, false);
        Run whole = runFrames(Mode::Immediate, frames, false);
        Run step = runScaling(frames);
        std::printf("full screen %dx%d, immediate (per frame)\n", newEngine->windowWidth, newEngine->windowHeight);
        printRow("CPU, whole process", stats(whole.cpu));
        printRow("wall clock", stats(whole.wall));
        std::printf("scaling step alone (per frame)\n");
        printRow("CPU, whole process", stats(step.cpu));
        printRow("CPU, main thread", stats(step.thread));
        printRow("wall clock", stats(step.wall));
        std::printf("scaling step share of the full-screen frame's CPU: %.1f %% (medians)\n",
                    100 * stats(step.cpu).median / stats(whole.cpu).median);
    }
    std::fflush(stdout);
    // Like the game, leave without tearing the world down.
    if (newEngine) delete newEngine;
    std::_Exit(0);
}
