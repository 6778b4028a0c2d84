#include "../fake/fake.h"
#include "engine/vaskel_sk.h"
#include "scratch_dir.h"

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

class Engine : public ScratchDir {
protected:
    void SetUp() override {
        ScratchDir::SetUp();
        fake::reset();
    }
};

const std::string kHeader = "Log Cleared\n===========\n\n";
const std::string kStartLog = kHeader +
                              "Entering Engine Initialization\n"
                              "Initializing SDL Video, Audio and Timer functions.\n"
                              "Using default OpenGL setup.\n"
                              "==========================\n"
                              "Width = 640, Height = 480, BPP = System Current\n"
                              "Initializing OpenGL attributes\n"
                              "Finished Engine Initialization\n";

std::vector<std::string> startCalls(int bpp) {
    return {"SDL_Init(0x31)",
            "SDL_GetVideoInfo()",
            "SDL_GL_SetAttribute(" + std::to_string(SDL_GL_RED_SIZE) + ", 5)",
            "SDL_GL_SetAttribute(" + std::to_string(SDL_GL_GREEN_SIZE) + ", 5)",
            "SDL_GL_SetAttribute(" + std::to_string(SDL_GL_BLUE_SIZE) + ", 5)",
            "SDL_GL_SetAttribute(" + std::to_string(SDL_GL_DEPTH_SIZE) + ", 16)",
            "SDL_GL_SetAttribute(" + std::to_string(SDL_GL_DOUBLEBUFFER) + ", 1)",
            "SDL_SetVideoMode(640, 480, " + std::to_string(bpp) + ", " + std::to_string(SDL_OPENGL) + ")"};
}

// Runs in the exiting child: tells the parent, through stderr, whether SDL
// was shut down as the last thing before exit.
void reportLastCall() {
    const auto& calls = fake::calls();
    std::cerr << "last call: " << (calls.empty() ? "none" : calls.back().text) << std::endl;
}

}  // namespace

TEST_F(Engine, DefaultSetupOpensWindowAtDesktopDepthAndLogsEachStep) {
    for (int depth : {32, 16}) {
        fake::reset();
        fake::desktopBpp = depth;
        VK_SK_Engine engine(true);
        EXPECT_EQ(fake::texts(), startCalls(depth));
        EXPECT_EQ(engine.width, 640);
        EXPECT_EQ(engine.height, 480);
        EXPECT_EQ(engine.bpp, depth);
        EXPECT_NE(engine.videoInfo, nullptr);
        EXPECT_EQ(engine.videoFlags, Uint32(SDL_OPENGL));
        // Truncated at every start: only this run's lines are there.
        EXPECT_EQ(readFile("SK_ENGINE.txt"), kStartLog);
        EXPECT_FALSE(exists("SK_ENGINE.TXT"));
    }
}

TEST_F(Engine, SdlInitFailureIsLoggedWithoutLineEndAndStartContinues) {
    fake::initFails = true;
    VK_SK_Engine engine(true);
    std::string log = readFile("SK_ENGINE.txt");
    EXPECT_NE(log.find("functions.\nError while trying to initialize SDL (SDL_Init).Using default OpenGL setup.\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(fake::count("SDL_SetVideoMode"), 1u);
    EXPECT_NE(log.find("Finished Engine Initialization\n"), std::string::npos);
}

TEST_F(Engine, MissingVideoInfoEndsProcessWithStatus255) {
    fake::initFails = false;
    fake::videoInfoFails = true;
    EXPECT_EXIT(
        {
            std::atexit(reportLastCall);
            VK_SK_Engine engine(true);
        },
        ::testing::ExitedWithCode(255), "last call: SDL_Quit\\(\\)");
    std::string log = readFile("SK_ENGINE.txt");
    const std::string tail = "BPP = System Current\n"
                             "Error trying to get current video information (SDL_GetVideoInfo failed)\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST_F(Engine, VideoModeFailureEndsProcessWithStatus255) {
    fake::setVideoModeFails = true;
    EXPECT_EXIT(
        {
            std::atexit(reportLastCall);
            VK_SK_Engine engine(true);
        },
        ::testing::ExitedWithCode(255), "last call: SDL_Quit\\(\\)");
    std::string log = readFile("SK_ENGINE.txt");
    const std::string tail = "Initializing OpenGL attributes\nFailed to set the video mode. (SDL_SetVideoMode fail)\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
    EXPECT_EQ(log.find("Finished"), std::string::npos);
}

TEST_F(Engine, DestructorLogsAroundSdlQuit) {
    auto engine = std::make_unique<VK_SK_Engine>(true);
    fake::clearCalls();
    engine.reset();
    EXPECT_EQ(fake::texts(), std::vector<std::string>{"SDL_Quit()"});
    EXPECT_EQ(readFile("SK_ENGINE.txt"),
              kStartLog + "Destroying Engine\nSDL Subsystem Quitted\nEngine destroyed. Exiting.\n");
}

TEST_F(Engine, InitGLSetsStateAndSixtyDegreeProjection) {
    VK_SK_Engine engine(true);
    fake::clearCalls();
    engine.initGL(true);
    const std::vector<std::string> expected = {
        "glShadeModel(GL_SMOOTH)",
        "glEnable(GL_DEPTH_TEST)",
        "glDepthFunc(GL_LEQUAL)",
        "glClearColor(0, 0, 0, 0)",
        "glViewport(0, 0, 640, 480)",
        "glMatrixMode(GL_PROJECTION)",
        "glLoadIdentity()",
        "gluPerspective(60, 1.3333333730697632, 1, 1000)",
        "glMatrixMode(GL_MODELVIEW)",
        "glLoadIdentity()",
    };
    EXPECT_EQ(fake::texts(), expected);
    // The aspect is the float quotient, widened only for GLU.
    EXPECT_EQ(fake::calls()[7].args[1], double(640.0f / 480.0f));
}

TEST_F(Engine, NonDefaultSetupLetsSdlPickTheDepth) {
    VK_SK_Engine engine(false);
    EXPECT_EQ(fake::count("SDL_GetVideoInfo"), 0u);
    EXPECT_EQ(fake::texts("SDL_SetVideoMode"),
              std::vector<std::string>{"SDL_SetVideoMode(640, 480, 0, " + std::to_string(SDL_OPENGL) + ")"});
    EXPECT_EQ(engine.videoInfo, nullptr);
    EXPECT_EQ(readFile("SK_ENGINE.txt"), kHeader +
                                             "Entering Engine Initialization\n"
                                             "Initializing SDL Video, Audio and Timer functions.\n"
                                             "Initializing OpenGL attributes\n"
                                             "Finished Engine Initialization\n");
}
