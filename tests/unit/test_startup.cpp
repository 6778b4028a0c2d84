// Start-up of the entry and the game: progress lines, the order of the GL
// set-up, the objects and state it leaves, and the game's teardown.
#include "expected_calls.h"
#include "game_test_env.h"

#include <algorithm>

using namespace gametest;

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        forgetGame();
        writeTextures();
        // Leftovers that set-up must overwrite.
        for (bool& k : Keys) k = true;
        player_x = player_y = player_z = yrot = xrot = mxvel = myvel = mzvel = 3;
        SwitchFlag = true;
        splashtimer = -4;
        splashalpha = -1;
        fake::ticks = 5000;
        testing::internal::CaptureStdout();
        {
            KeptForRun keep;
            temp_startup();
        }
        out = testing::internal::GetCapturedStdout();
        calls = fake::texts();
    }
    void TearDown() override { forgetGame(); }

    // Index of the first call with exactly this text at or after from; -1 if none.
    long find(const std::string& text, long from = 0) const {
        auto it = std::find(calls.begin() + from, calls.end(), text);
        return it == calls.end() ? -1 : it - calls.begin();
    }
    Texts run(const std::string& first, size_t n) const {
        long at = find(first);
        if (at < 0 || size_t(at) + n > calls.size()) return {};
        return Texts(calls.begin() + at, calls.begin() + at + long(n));
    }

    WorkDir dir;
    std::string out;
    Texts calls;
};

TEST_F(StartupTest, PrintsProgressAndSetsUpGlInOrder) {
    EXPECT_EQ(out,
              "Engine initialized\nStarted Game and initialized world\nInput initialized\nFog activated\n"
              "Lighting activated\nEntities loaded\nTimer Initialized\nKeystep entered\nEntering gameloop\n");
    // Texturing is on before the test cube is compiled, which is before GameStart.
    long stone = find("SDL_RWFromFile(./textures/stone.bmp, rb)");
    long texturing = find("glEnable(GL_TEXTURE_2D)");
    long list = find("glNewList(" + std::to_string(StoneCube) + ", GL_COMPILE)");
    long gameStart = find("SDL_RWFromFile(./textures/stone.bmp, rb)", stone + 1);
    EXPECT_EQ(find("glShadeModel(GL_SMOOTH)"), 8);  // initGL follows the engine's SDL calls
    EXPECT_LT(find("gluPerspective(60, 1.3333333730697632, 1, 1000)"), stone);
    // SDL_Init clears any event filter; start-up's own work then runs watched.
    long filter = find("SDL_SetEventFilter()");
    EXPECT_EQ(fake::eventFilter, &temp_event_filter);
    EXPECT_LT(find("gluPerspective(60, 1.3333333730697632, 1, 1000)"), filter);
    EXPECT_LT(filter, stone);
    EXPECT_LT(stone, texturing);
    EXPECT_LT(texturing, list);
    EXPECT_LT(list, gameStart);

    EXPECT_EQ(run("glFogi(GL_FOG_MODE, GL_LINEAR)", 7),
              (Texts{"glFogi(GL_FOG_MODE, GL_LINEAR)", "glFogfv(GL_FOG_COLOR, {0.2, 0.4, 0.6, 1})",
                     "glFogf(GL_FOG_DENSITY, 0.35)", "glHint(GL_FOG_HINT, GL_DONT_CARE)", "glFogf(GL_FOG_START, 1)",
                     "glFogf(GL_FOG_END, 54)", "glEnable(GL_FOG)"}));
    EXPECT_EQ(run("glLightfv(GL_LIGHT1, GL_AMBIENT, {0.2, 0.2, 0.1, 1})", 5),
              (Texts{"glLightfv(GL_LIGHT1, GL_AMBIENT, {0.2, 0.2, 0.1, 1})",
                     "glLightfv(GL_LIGHT1, GL_DIFFUSE, {1, 1, 0.8, 1})",
                     "glLightfv(GL_LIGHT1, GL_POSITION, {0, 3, 0, 24})", "glEnable(GL_LIGHT1)",
                     "glEnable(GL_LIGHTING)"}));
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(Texts(calls.end() - 2, calls.end()), (Texts{"SDL_ShowCursor(0)", "glClearColor(0.3, 0.5, 0.7, 1)"}));
}

TEST_F(StartupTest, LeavesTheStartStateAndTheObjects) {
    for (bool k : Keys) EXPECT_FALSE(k);
    EXPECT_EQ((std::vector<float>{player_x, player_y, player_z, yrot, xrot, mxvel, myvel, mzvel}),
              (std::vector<float>{0, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(SwitchFlag);
    EXPECT_EQ(splashtimer, 60);
    EXPECT_EQ(splashalpha, 1.0f);
    EXPECT_NE(newEngine, nullptr);
    ASSERT_NE(testCube, nullptr);
    EXPECT_EQ(testCube->texTop, StoneTexture);
    EXPECT_NE(StoneCube, 0u);
    EXPECT_EQ(testCube->displayList, StoneCube);

    ASSERT_TRUE(Block_Dirt && Block_Obsidian && testroot);
    EXPECT_EQ((std::vector<float>{Block_Dirt->x, Block_Dirt->y, Block_Dirt->z, Block_Obsidian->x}),
              (std::vector<float>{1, -1, 3, 0}));
    EXPECT_EQ(Block_Dirt->texSide, Texture_Dirt);
    EXPECT_EQ(Block_Obsidian->texBottom, Texture_Obsidian);
    EXPECT_TRUE(testroot->HasChild());  // the tiles
    ASSERT_EQ(cWorld.size(), size_t(WORLD_CELLS));
    for (mcEntity* e : cWorld) ASSERT_EQ(e->model, nullptr);  // built before the dirt block
    EXPECT_EQ(std::count(fake::openedFiles.begin(), fake::openedFiles.end(), "./textures/dirt.bmp"), 1);

    // wireframe.tga read twice: two objects, two GL textures, the same picture.
    ASSERT_TRUE(Texture_Obsidian && txWireframe);
    EXPECT_NE(Texture_Obsidian->texID, 0u);
    EXPECT_NE(txWireframe->texID, 0u);
    EXPECT_NE(Texture_Obsidian->texID, txWireframe->texID);
    for (VK_TEXTURE* t : {Texture_Obsidian, txWireframe})
        EXPECT_EQ(std::make_pair(t->width, t->height), std::make_pair(uint32_t(WIREFRAME_W), uint32_t(WIREFRAME_H)));
    EXPECT_EQ(tCursor->width, uint32_t(CROSSHAIR_W));
    EXPECT_EQ(std::make_pair(sprLogo->width, sprLogo->height), std::make_pair(uint32_t(LOGO_W), uint32_t(LOGO_H)));
    for (GLenum cap : {GL_TEXTURE_2D, GL_FOG, GL_LIGHT1, GL_LIGHTING}) EXPECT_TRUE(fake::isEnabled(cap)) << cap;
}

TEST_F(StartupTest, FirstFrameSleepsUntil30msAfterTheStartupClockRead) {
    EXPECT_EQ(next_time, 5030u);
    fake::ticks += 7;  // time spent between start-up and the loop
    fake::clearCalls();
    temp_frame();
    ASSERT_FALSE(fake::calls().empty());
    EXPECT_EQ(fake::texts().front(), "SDL_Delay(23)");
    EXPECT_EQ(next_time, 5060u);
}

int g_deleted = 0;

struct ProbeRoot : gEntity {
    ~ProbeRoot() override { g_deleted++; }
};
struct ProbeCube : VK_CUBE {
    ~ProbeCube() override { g_deleted++; }
};

TEST(GameEnd, DeletesTheTileTreeAndTheGridAndSaysSo) {
    gametest::forgetGame();
    g_deleted = 0;
    testroot = new ProbeRoot();
    lData[0] = new ProbeCube();
    lData[WORLD_CELLS - 1] = new ProbeCube();
    for (int i = 1; i < WORLD_CELLS - 1; i++) lData[i] = new VK_CUBE();
    for (int pass = 0; pass < 2; pass++) {  // the second finds nothing left
        testing::internal::CaptureStdout();
        GameEnd();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cleaned world\n");
        EXPECT_EQ(g_deleted, 3);
        EXPECT_EQ(testroot, nullptr);
        for (VK_CUBE* c : lData) ASSERT_EQ(c, nullptr);
    }
}

}  // namespace
