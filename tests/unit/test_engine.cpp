#include "expected_calls.h"
#include "../fake/fake.h"
#include "engine/vaskel_scale.h"
#include "engine/vaskel_sk.h"
#include "game/game.h"
#include "scratch_dir.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <memory>

namespace {

class Engine : public ScratchDir {
protected:
    void SetUp() override { fake::reset(); }
};

const std::string kHeader = "Log Cleared\n===========\n\n";
const std::string kStartLog =
    kHeader + "Entering Engine Initialization\nInitializing SDL Video, Audio and Timer functions.\n"
              "Using default OpenGL setup.\n==========================\n"
              "Width = 640, Height = 480, BPP = System Current\nInitializing OpenGL attributes\n"
              "Finished Engine Initialization\n";

Texts startCalls(int bpp) {
    Texts v{"SDL_Init(0x31)", "SDL_GetVideoInfo()"};
    for (auto [attr, value] : {std::pair{SDL_GL_RED_SIZE, 5}, {SDL_GL_GREEN_SIZE, 5}, {SDL_GL_BLUE_SIZE, 5},
                               {SDL_GL_DEPTH_SIZE, 16}, {SDL_GL_DOUBLEBUFFER, 1}})
        v.push_back("SDL_GL_SetAttribute(" + std::to_string(attr) + ", " + std::to_string(value) + ")");
    v.push_back("SDL_SetVideoMode(640, 480, " + std::to_string(bpp) + ", " + std::to_string(SDL_OPENGL) + ")");
    return v;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Runs in the exiting child: tells the parent, through stderr, whether SDL
// was shut down as the last thing before exit.
void reportLastCall() {
    const auto& calls = fake::calls();
    std::cerr << "last call: " << (calls.empty() ? "none" : calls.back().text) << std::endl;
}

}  // namespace

TEST_F(Engine, DefaultSetupOpensTheWindowAtDesktopDepthAndLogsStartAndEnd) {
    for (int depth : {32, 16}) {
        fake::reset();
        fake::desktopBpp = depth;
        auto engine = std::make_unique<VK_SK_Engine>(true);
        EXPECT_EQ(fake::texts(), startCalls(depth));
        EXPECT_EQ(readFile("SK_ENGINE.txt"), kStartLog);  // truncated at every start
        fake::clearCalls();
        engine.reset();
        EXPECT_EQ(fake::texts(), Texts{"SDL_Quit()"});
        EXPECT_EQ(readFile("SK_ENGINE.txt"),
                  kStartLog + "Destroying Engine\nSDL Subsystem Quitted\nEngine destroyed. Exiting.\n");
    }
    EXPECT_FALSE(exists("SK_ENGINE.TXT"));
}

TEST_F(Engine, SdlInitFailureIsLoggedWithoutLineEndAndStartContinues) {
    fake::initFails = true;
    VK_SK_Engine engine(true);
    std::string log = readFile("SK_ENGINE.txt");
    EXPECT_NE(log.find("functions.\nError while trying to initialize SDL (SDL_Init).Using default OpenGL setup.\n"),
              std::string::npos)
        << log;
    EXPECT_TRUE(endsWith(log, "Finished Engine Initialization\n"));
}

TEST_F(Engine, FatalFailuresQuitSdlAndExit255WithTheLogEndingOnTheFailure) {
    const struct {
        bool* failure;
        const char* tail;
    } cases[] = {
        {&fake::videoInfoFails,
         "BPP = System Current\nError trying to get current video information (SDL_GetVideoInfo failed)\n"},
        {&fake::setVideoModeFails,
         "Initializing OpenGL attributes\nFailed to set the video mode. (SDL_SetVideoMode fail)\n"},
    };
    for (const auto& c : cases) {
        fake::reset();
        *c.failure = true;
        EXPECT_EXIT(
            {
                std::atexit(reportLastCall);
                VK_SK_Engine engine(true);
            },
            ::testing::ExitedWithCode(255), "last call: SDL_Quit\\(\\)");
        EXPECT_TRUE(endsWith(readFile("SK_ENGINE.txt"), c.tail)) << readFile("SK_ENGINE.txt");
    }
}

TEST_F(Engine, InitGLSetsStateAndSixtyDegreeProjection) {
    VK_SK_Engine engine(true);
    fake::clearCalls();
    engine.initGL(true);
    // The aspect is the float quotient, widened only for GLU.
    EXPECT_EQ(fake::texts(), (Texts{"glShadeModel(GL_SMOOTH)", "glEnable(GL_DEPTH_TEST)", "glDepthFunc(GL_LEQUAL)",
                                    "glClearColor(0, 0, 0, 0)", "glViewport(0, 0, 640, 480)",
                                    "glMatrixMode(GL_PROJECTION)", "glLoadIdentity()",
                                    "gluPerspective(60, 1.3333333730697632, 1, 1000)", "glMatrixMode(GL_MODELVIEW)",
                                    "glLoadIdentity()"}));
}

// The window around the frame: the largest 4:3 fit, centred; a scale the
// screen can hold; and what asks for either.
TEST(WindowAroundTheFrame, FitsScalesAndIsAskedFor) {
    EXPECT_EQ(VK_FitFrame(640, 480, 1920, 1080).x, 240);
    EXPECT_EQ(VK_FitFrame(640, 480, 1920, 1080).w, 1440);
    EXPECT_EQ(VK_FitFrame(640, 480, 1080, 1920).y, 555);  // portrait: bars above and below
    EXPECT_EQ(VK_WindowScale(3, 640, 480, 1920, 1080), 2);
    EXPECT_EQ(desktopScaleFromResources("Xft.antialias:\t1\nXft.dpi:\t192\n"), 2);
    EXPECT_EQ(desktopScaleFromResources("Xft.dpi:\t144\n"), 1);
    EXPECT_TRUE(asksScreenSwitch(SDLK_RETURN, KMOD_LALT));
    EXPECT_FALSE(asksScreenSwitch(SDLK_RETURN, KMOD_NONE));
}

// At scale 2 each pixel's nearest texel is the frame's pixel it repeats, on
// both axes; and every push the step makes is popped, the attributes last.
TEST(WindowAroundTheFrame, ScaleTwoRepeatsEachPixelExactlyAndRestoresTheState) {
    fake::reset();
    VK_FRAME_COPY copy;
    VK_ScaleFrameToWindow(copy, 640, 480, 1280, 960);
    std::vector<fake::Call> c;  // texture coordinate and vertex of each corner in turn
    std::copy_if(fake::calls().begin(), fake::calls().end(), std::back_inserter(c),
                 [](const fake::Call& call) { return call.name == "glTexCoord2f" || call.name == "glVertex2f"; });
    ASSERT_EQ(c.size(), 8u);
    for (int axis = 0; axis < 2; axis++)
        for (int pixel = 0; pixel < (axis ? 960 : 1280); pixel++) {  // first corner to third
            double t = c[0].args[axis] + (pixel + 0.5 - c[1].args[axis]) / (c[5].args[axis] - c[1].args[axis]) *
                                             (c[4].args[axis] - c[0].args[axis]);
            ASSERT_EQ(int(t * (axis ? copy.h : copy.w)), pixel / 2) << "axis " << axis << ", pixel " << pixel;
        }
    EXPECT_EQ(fake::count("glPushMatrix"), fake::count("glPopMatrix"));
    EXPECT_EQ(fake::calls().front().text, "glPushAttrib(0xFFFFFFFF)");
    EXPECT_EQ(fake::calls().back().text, "glPopAttrib()");
}

// A screen smaller than the frame on one side gets no full screen, and the
// scaling step reads nothing past the frame there.
TEST_F(Engine, FullScreenIsRefusedOnAScreenSmallerThanTheFrameOnASide) {
    VK_SK_Engine engine(true);
    for (auto [w, h] : {std::pair{1024, 400}, {600, 1024}}) {
        fake::clearCalls();
        EXPECT_FALSE(engine.enterFullScreen(w, h));
        engine.windowWidth = w;
        engine.windowHeight = h;
        engine.scaleFrameToWindow();
        EXPECT_EQ(fake::texts(), Texts{}) << w << "x" << h;
    }
}

// Full screen follows a monitor that changed size and gives it up where it
// no longer holds the frame; a return SDL refuses stays full screen.
TEST_F(Engine, FullScreenFollowsItsMonitorAndStaysWhenTheReturnFails) {
    VK_SK_Engine engine(true);
    ASSERT_TRUE(engine.enterFullScreen(1920, 1080));
    EXPECT_TRUE(engine.followMonitor(1280, 1024));
    EXPECT_FALSE(engine.followMonitor(1280, 400));
    EXPECT_EQ(std::pair(engine.windowWidth, engine.windowHeight), std::pair(1280, 1024));
    fake::setVideoModeFails = true;
    EXPECT_FALSE(engine.leaveFullScreen());
    EXPECT_TRUE(engine.fullScreen && engine.windowWidth == 1280);
}
