// Start-up of the entry and the game: progress lines, the order of the GL
// set-up, the objects and state it leaves, and the game's teardown.
#include "game_test_env.h"

#include <algorithm>

using namespace gametest;

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        forgetGame();
        dir.writeTextures();
        // Leftovers that set-up must overwrite.
        for (bool& k : Keys) k = true;
        player_x = player_y = player_z = 5;
        yrot = xrot = mxvel = myvel = mzvel = 3;
        SwitchFlag = true;
        splashtimer = -4;
        splashalpha = -1;
    }
    void TearDown() override { forgetGame(); }

    // Runs the start-up sequence and returns what it printed.
    std::string startUp() {
        testing::internal::CaptureStdout();
        {
            KeptForRun keep;
            temp_startup();
        }
        return testing::internal::GetCapturedStdout();
    }

    WorkDir dir;
};

// Index of the first call with exactly this text at or after from; -1 if none.
long find(const std::string& text, long from = 0) {
    std::vector<std::string> all = fake::texts();
    for (size_t i = size_t(from); i < all.size(); i++)
        if (all[i] == text) return long(i);
    return -1;
}

std::vector<std::string> run(long first, size_t n) {
    std::vector<std::string> all = fake::texts();
    if (first < 0 || size_t(first) + n > all.size()) return {};
    return std::vector<std::string>(all.begin() + first, all.begin() + first + long(n));
}

TEST_F(StartupTest, PrintsItsProgressLinesInOrder) {
    EXPECT_EQ(startUp(),
              "Engine initialized\n"
              "Started Game and initialized world\n"
              "Input initialized\n"
              "Fog activated\n"
              "Lighting activated\n"
              "Entities loaded\n"
              "Timer Initialized\n"
              "Keystep entered\n"
              "Entering gameloop\n");
}

TEST_F(StartupTest, TexturingIsOnBeforeTheTestCubeIsCompiled) {
    startUp();
    long stone = find("SDL_RWFromFile(./textures/stone.bmp, rb)");
    long texturing = find("glEnable(GL_TEXTURE_2D)");
    long list = find("glNewList(" + std::to_string(StoneCube) + ", GL_COMPILE)");
    long gameStart = find("SDL_RWFromFile(./textures/stone.bmp, rb)", stone + 1);  // InitWorld
    ASSERT_GE(stone, 0);
    EXPECT_LT(stone, texturing);
    EXPECT_LT(texturing, list);
    EXPECT_LT(list, gameStart);
    EXPECT_EQ(fake::openedFiles.front(), "./textures/stone.bmp");
}

TEST_F(StartupTest, EndsWithTheHiddenCursorAndTheSkyClearColour) {
    startUp();
    std::vector<std::string> all = fake::texts();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2], "SDL_ShowCursor(0)");
    EXPECT_EQ(all.back(), "glClearColor(0.3, 0.5, 0.7, 1)");
    EXPECT_EQ(fake::cursorShown, 0);
}

TEST_F(StartupTest, SetsUpLinearFogAndOneLight) {
    startUp();
    EXPECT_EQ(run(find("glFogi(GL_FOG_MODE, GL_LINEAR)"), 7),
              std::vector<std::string>({"glFogi(GL_FOG_MODE, GL_LINEAR)",
                                        "glFogfv(GL_FOG_COLOR, {0.2, 0.4, 0.6, 1})",
                                        "glFogf(GL_FOG_DENSITY, 0.35)",
                                        "glHint(GL_FOG_HINT, GL_DONT_CARE)",
                                        "glFogf(GL_FOG_START, 1)", "glFogf(GL_FOG_END, 54)",
                                        "glEnable(GL_FOG)"}));
    EXPECT_EQ(run(find("glLightfv(GL_LIGHT1, GL_AMBIENT, {0.2, 0.2, 0.1, 1})"), 5),
              std::vector<std::string>({"glLightfv(GL_LIGHT1, GL_AMBIENT, {0.2, 0.2, 0.1, 1})",
                                        "glLightfv(GL_LIGHT1, GL_DIFFUSE, {1, 1, 0.8, 1})",
                                        "glLightfv(GL_LIGHT1, GL_POSITION, {0, 3, 0, 24})",
                                        "glEnable(GL_LIGHT1)", "glEnable(GL_LIGHTING)"}));
    for (GLenum cap : {GL_TEXTURE_2D, GL_FOG, GL_LIGHT1, GL_LIGHTING}) EXPECT_TRUE(fake::isEnabled(cap)) << cap;
}

TEST_F(StartupTest, LeavesTheGameInItsStartState) {
    startUp();
    for (bool k : Keys) EXPECT_FALSE(k);
    EXPECT_EQ(player_x, 0.0f);
    EXPECT_EQ(player_y, 2.0f);
    EXPECT_EQ(player_z, 0.0f);
    for (float v : {yrot, xrot, mxvel, myvel, mzvel}) EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(SwitchFlag);
    EXPECT_EQ(splashtimer, 60);
    EXPECT_EQ(splashalpha, 1.0f);
    EXPECT_NE(newEngine, nullptr);
}

TEST_F(StartupTest, CreatesTheEntryAndGameObjects) {
    startUp();
    ASSERT_NE(testCube, nullptr);
    EXPECT_EQ(testCube->texTop, StoneTexture);
    EXPECT_NE(StoneCube, 0u);
    EXPECT_EQ(testCube->displayList, StoneCube);

    ASSERT_NE(Block_Dirt, nullptr);
    EXPECT_EQ(Block_Dirt->x, 1.0f);
    EXPECT_EQ(Block_Dirt->y, -1.0f);
    EXPECT_EQ(Block_Dirt->z, 3.0f);
    EXPECT_EQ(Block_Dirt->texSide, Texture_Dirt);
    ASSERT_NE(Block_Obsidian, nullptr);
    EXPECT_EQ(Block_Obsidian->x, 0.0f);
    EXPECT_EQ(Block_Obsidian->texBottom, Texture_Obsidian);
    EXPECT_EQ(std::count(fake::openedFiles.begin(), fake::openedFiles.end(), "./textures/dirt.bmp"), 1);

    // Both tiles hang under the tree's root.
    ASSERT_NE(testroot, nullptr);
    EXPECT_TRUE(testroot->HasChild());

    // The model grid is built before the dirt block exists.
    ASSERT_EQ(cWorld.size(), size_t(WORLD_CELLS));
    for (mcEntity* e : cWorld) ASSERT_EQ(e->model, nullptr);
}

TEST_F(StartupTest, ReadsTheTargaFilesIntoSeparateObjects) {
    startUp();
    ASSERT_NE(Texture_Obsidian, nullptr);
    ASSERT_NE(txWireframe, nullptr);
    // One file read twice: two objects, two GL textures, the same picture.
    EXPECT_NE(Texture_Obsidian, txWireframe);
    EXPECT_NE(Texture_Obsidian->texID, 0u);
    EXPECT_NE(txWireframe->texID, 0u);
    EXPECT_NE(Texture_Obsidian->texID, txWireframe->texID);
    for (VK_TEXTURE* t : {Texture_Obsidian, txWireframe}) {
        EXPECT_EQ(t->width, uint32_t(WIREFRAME_W));
        EXPECT_EQ(t->height, uint32_t(WIREFRAME_H));
    }
    EXPECT_EQ(tCursor->width, uint32_t(CROSSHAIR_W));
    EXPECT_EQ(sprLogo->width, uint32_t(LOGO_W));
    EXPECT_EQ(sprLogo->height, uint32_t(LOGO_H));
}

TEST_F(StartupTest, FirstFrameSleepsUntil30msAfterTheStartupClockRead) {
    fake::ticks = 5000;
    startUp();
    EXPECT_EQ(next_time, 5030u);
    fake::ticks += 7;  // time spent between start-up and the loop
    fake::clearCalls();
    temp_frame();
    ASSERT_FALSE(fake::calls().empty());
    EXPECT_EQ(fake::texts().front(), "SDL_Delay(23)");
    EXPECT_EQ(fake::ticks, 5030u);
    EXPECT_EQ(next_time, 5060u);
}

// ---- teardown ----

int g_deleted = 0;

struct ProbeRoot : gEntity {
    ProbeRoot() : gEntity(0, 0, 0) {}
    ~ProbeRoot() override { g_deleted++; }
};

struct ProbeCube : VK_CUBE {
    ~ProbeCube() override { g_deleted++; }
};

TEST(GameEnd, DeletesTheTileTreeAndTheGridAndSaysSo) {
    fake::reset();
    forgetGame();
    g_deleted = 0;
    testroot = new ProbeRoot();
    lData[0] = new ProbeCube();
    lData[WORLD_CELLS - 1] = new ProbeCube();
    for (int i = 1; i < WORLD_CELLS - 1; i++) lData[i] = new VK_CUBE();

    testing::internal::CaptureStdout();
    GameEnd();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cleaned world\n");
    EXPECT_EQ(g_deleted, 3);
    EXPECT_EQ(testroot, nullptr);

    // A second call finds nothing left to delete.
    for (VK_CUBE*& c : lData) c = nullptr;
    testing::internal::CaptureStdout();
    GameEnd();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cleaned world\n");
    EXPECT_EQ(g_deleted, 3);
    forgetGame();
}

}  // namespace
