// The block grid and the model grid: layout, textures, draw order and
// teardown.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../fake/fake.h"
#include "game/game.h"
#include "game_test_env.h"

namespace {

// A cube that logs its draws, with where it was, instead of issuing GL calls.
struct LoggingCube : VK_CUBE {
    explicit LoggingCube(std::vector<std::string>* l) : log(l) {}
    void Draw() override;
    std::vector<std::string>* log;
};

// Position as text; -0 and 0 alike.
std::string at(float x, float y, float z) {
    return std::to_string(x + 0.0f) + "," + std::to_string(y + 0.0f) + "," + std::to_string(z + 0.0f);
}

void LoggingCube::Draw() { log->push_back(at(x, y, z)); }

class World : public ScratchDir {
protected:
    void SetUp() override {
        fake::reset();
        gametest::forgetGame();
        std::filesystem::create_directory("textures");
        writeFile("textures/stone.bmp", tinyBmp());
        writeFile("textures/ob_tile.bmp", tinyBmp());
    }
    void TearDown() override {
        CleanWorld();
        for (mcEntity* e : cWorld) delete e;
        for (VK_TEXTURE* t : textures) delete t;
        for (gEntity* root : roots) delete root;
        gametest::forgetGame();
    }
    // Takes over the objects the last init created, so they are freed.
    void adoptGlobals() {
        textures.push_back(txStone);
        textures.push_back(txObTile);
        roots.push_back(worldroot);
    }
    static long opened(const std::string& name) {
        return std::count(fake::openedFiles.begin(), fake::openedFiles.end(), name);
    }
    std::vector<VK_TEXTURE*> textures;
    std::vector<gEntity*> roots;
    std::vector<std::string> draws;
};

}  // namespace

TEST_F(World, InitWorldLaysOutTheCheckerboard) {
    InitWorld();
    adoptGlobals();
    ASSERT_TRUE(worldroot && txStone && txObTile && txStone != txObTile);
    EXPECT_TRUE(worldroot->IsRoot() && !worldroot->HasChild());
    EXPECT_EQ(fake::openedFiles, (std::vector<std::string>{"./textures/stone.bmp", "./textures/ob_tile.bmp"}));
    const struct {
        int slot;
        float x, z;
        VK_TEXTURE* tex;
    } telling[] = {{0, -32, 32, txStone}, {1, -31, 32, txObTile}, {63, 31, 32, txObTile},
                   {64, -32, 31, txObTile}, {4095, 31, -31, txStone}};
    for (const auto& e : telling) {
        VK_CUBE* c = lData[e.slot];
        ASSERT_NE(c, nullptr) << e.slot;
        EXPECT_EQ((std::vector<float>{c->x, c->y, c->z}), (std::vector<float>{e.x, -2, e.z})) << e.slot;
        EXPECT_EQ(c->texBottom, e.tex) << e.slot;
    }
    int stone = 0;
    for (int row = 0; row < WORLD_SIDE; row++)
        for (int col = 0; col < WORLD_SIDE; col++) {
            VK_CUBE* c = lData[row * WORLD_SIDE + col];
            ASSERT_TRUE(c && c->texTop == c->texBottom && c->texSide == c->texBottom && !c->blended);
            ASSERT_EQ(c->x, float(col - 32));
            ASSERT_EQ(c->z, float(32 - row));
            ASSERT_EQ(c->texBottom, (row + col) % 2 ? txObTile : txStone) << row << ", " << col;
            stone += c->texBottom == txStone;
        }
    EXPECT_EQ(stone, 2048);
}

TEST_F(World, DrawWorldDrawsEverySlotOnceInOrderAndNothingAfterCleanWorld) {
    for (int i = 0; i < WORLD_CELLS; i++) {
        lData[i] = new LoggingCube(&draws);
        lData[i]->x = float(i);
    }
    DrawWorld();
    ASSERT_EQ(draws.size(), size_t(WORLD_CELLS));
    for (int i = 0; i < WORLD_CELLS; i++) ASSERT_EQ(draws[i], at(float(i), 0, 0));
    CleanWorld();
    for (VK_CUBE* c : lData) ASSERT_EQ(c, nullptr);
    DrawWorld();
    CleanWorld();
    EXPECT_EQ(draws.size(), size_t(WORLD_CELLS));
    EXPECT_TRUE(fake::calls().empty());
}

TEST_F(World, ModelGridReplacesRootAndTexturesAndPlacesEmptyEntities) {
    InitWorld();
    adoptGlobals();
    VK_TEXTURE *firstStone = txStone, *firstTile = txObTile;
    gEntity* firstRoot = worldroot;
    cInitWorld();
    adoptGlobals();
    EXPECT_TRUE(txStone != firstStone && txObTile != firstTile && worldroot != firstRoot);
    EXPECT_EQ(lData[0]->texBottom, firstStone);  // the block grid keeps the first pair
    EXPECT_EQ(lData[1]->texBottom, firstTile);
    EXPECT_EQ(opened("./textures/stone.bmp"), 2);
    EXPECT_EQ(opened("./textures/ob_tile.bmp"), 2);

    ASSERT_EQ(cWorld.size(), size_t(WORLD_CELLS));
    for (int i = 0; i < WORLD_CELLS; i++) {
        ASSERT_TRUE(cWorld[i] && !cWorld[i]->model);
        ASSERT_EQ(at(cWorld[i]->x, cWorld[i]->y, cWorld[i]->z), at(float(i % 64), -2, float(-(i / 64))));
    }
    fake::clearCalls();
    cDrawWorld();
    EXPECT_TRUE(fake::calls().empty());
}

TEST_F(World, ModelGridDrawsTheSharedModelAtEveryCellAndReadsOnlyWhatExists) {
    cDrawWorld();  // empty: nothing to read
    LoggingCube model(&draws);
    Block_Dirt = &model;
    cInitWorld();
    adoptGlobals();
    Block_Dirt = nullptr;
    cDrawWorld();
    ASSERT_EQ(draws.size(), size_t(WORLD_CELLS));
    for (int i = 0; i < WORLD_CELLS; i++) ASSERT_EQ(draws[i], at(float(i % 64), -2, float(-(i / 64))));
    EXPECT_EQ(at(model.x, model.y, model.z), at(63, -2, -63));

    for (mcEntity* e : cWorld) delete e;
    cWorld = {new mcEntity(1, 2, 3), nullptr, new mcEntity(4, 5, 6)};
    cWorld[0]->AttachModel(&model);
    cWorld[2]->AttachModel(&model);
    draws.clear();
    cDrawWorld();
    EXPECT_EQ(draws, (std::vector<std::string>{at(1, 2, 3), at(4, 5, 6)}));
}
