// The block grid and the model grid: layout, textures, draw order and
// teardown. Runs in a scratch directory holding the two grid images.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../fake/fake.h"
#include "game/game.h"
#include "scratch_dir.h"

namespace {

// A cube that reports its draws instead of issuing GL calls.
struct CountingCube : VK_CUBE {
    CountingCube(int id_, std::vector<int>* log_) : id(id_), log(log_) {}
    void Draw() override { log->push_back(id); }
    int id;
    std::vector<int>* log;
};

// A model that remembers where each draw put it.
struct RecordingModel : VK_CUBE {
    struct Pos { float x, y, z; };
    std::vector<Pos> draws;
    void Draw() override { draws.push_back({x, y, z}); }
};

// Each test runs in its own scratch directory holding the two grid images.
class World : public ScratchDir {
protected:
    void SetUp() override {
        ScratchDir::SetUp();
        fake::reset();
        forgetGrids();
        ASSERT_EQ(mkdir("textures", 0755), 0);
        writeFile("textures/stone.bmp", "BM");
        writeFile("textures/ob_tile.bmp", "BM");
    }

    void TearDown() override {
        CleanWorld();
        for (mcEntity* e : cWorld) delete e;
        for (VK_TEXTURE* t : textures) delete t;
        for (gEntity* root : roots) delete root;
        forgetGrids();
        ScratchDir::TearDown();
    }

    static void forgetGrids() {
        for (VK_CUBE*& c : lData) c = nullptr;
        cWorld.clear();
        txStone = txObTile = nullptr;
        worldroot = nullptr;
        Block_Dirt = nullptr;
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
};

TEST_F(World, InitWorldLaysOutTheCheckerboard) {
    InitWorld();
    adoptGlobals();
    ASSERT_NE(worldroot, nullptr);
    EXPECT_EQ(worldroot->x, 0.0f);
    EXPECT_TRUE(worldroot->IsRoot());
    EXPECT_FALSE(worldroot->HasChild());
    ASSERT_NE(txStone, nullptr);
    ASSERT_NE(txObTile, nullptr);
    EXPECT_NE(txStone, txObTile);
    EXPECT_EQ(fake::openedFiles,
              (std::vector<std::string>{"./textures/stone.bmp", "./textures/ob_tile.bmp"}));

    struct Expect { int slot; float x, y, z; VK_TEXTURE* tex; };
    const Expect telling[] = {
        {0, -32, -2, 32, txStone},
        {1, -31, -2, 32, txObTile},
        {63, 31, -2, 32, txObTile},
        {64, -32, -2, 31, txObTile},
        {4095, 31, -2, -31, txStone},
    };
    for (const Expect& e : telling) {
        SCOPED_TRACE("slot " + std::to_string(e.slot));
        VK_CUBE* c = lData[e.slot];
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->x, e.x);
        EXPECT_EQ(c->y, e.y);
        EXPECT_EQ(c->z, e.z);
        EXPECT_EQ(c->texBottom, e.tex);
        EXPECT_FALSE(c->blended);
    }

    int stone = 0, tile = 0;
    for (int row = 0; row < WORLD_SIDE; row++) {
        for (int col = 0; col < WORLD_SIDE; col++) {
            VK_CUBE* c = lData[row * WORLD_SIDE + col];
            ASSERT_NE(c, nullptr);
            ASSERT_EQ(c->texTop, c->texBottom);
            ASSERT_EQ(c->texSide, c->texBottom);
            ASSERT_EQ(c->x, float(col - 32));
            ASSERT_EQ(c->z, float(32 - row));
            (c->texBottom == txStone ? stone : tile)++;
            if (col + 1 < WORLD_SIDE) {
                ASSERT_NE(lData[row * 64 + col + 1]->texBottom, c->texBottom);
            }
            if (row + 1 < WORLD_SIDE) {
                ASSERT_NE(lData[(row + 1) * 64 + col]->texBottom, c->texBottom);
                // Diagonal neighbours; the grid's edge columns have only one.
                int diag = col + 1 < WORLD_SIDE ? col + 1 : col - 1;
                ASSERT_EQ(lData[(row + 1) * 64 + diag]->texBottom, c->texBottom);
            }
        }
    }
    EXPECT_EQ(stone, 2048);
    EXPECT_EQ(tile, 2048);
}

TEST_F(World, DrawWorldDrawsEverySlotOnceInOrder) {
    std::vector<int> order;
    for (int i = 0; i < WORLD_CELLS; i++) lData[i] = new CountingCube(i, &order);
    DrawWorld();
    ASSERT_EQ(order.size(), size_t(WORLD_CELLS));
    for (int i = 0; i < WORLD_CELLS; i++) ASSERT_EQ(order[i], i);
    DrawWorld();
    EXPECT_EQ(order.size(), size_t(2 * WORLD_CELLS));
}

TEST_F(World, CleanWorldEmptiesSlotsSoLaterCallsAreHarmless) {
    InitWorld();
    adoptGlobals();
    CleanWorld();
    for (VK_CUBE* c : lData) ASSERT_EQ(c, nullptr);
    fake::clearCalls();
    DrawWorld();
    CleanWorld();
    EXPECT_TRUE(fake::calls().empty());
}

TEST_F(World, CleanWorldOnAnEmptyGridDoesNothing) {
    CleanWorld();
    for (VK_CUBE* c : lData) ASSERT_EQ(c, nullptr);
    DrawWorld();
    EXPECT_TRUE(fake::calls().empty());
}

TEST_F(World, ModelGridReplacesRootAndTexturesLoadedAgain) {
    InitWorld();
    adoptGlobals();
    VK_TEXTURE* firstStone = txStone;
    VK_TEXTURE* firstTile = txObTile;
    gEntity* firstRoot = worldroot;
    cInitWorld();
    adoptGlobals();
    EXPECT_NE(txStone, firstStone);
    EXPECT_NE(txObTile, firstTile);
    EXPECT_NE(worldroot, firstRoot);
    EXPECT_EQ(lData[0]->texBottom, firstStone);
    EXPECT_EQ(lData[1]->texBottom, firstTile);
    EXPECT_EQ(opened("./textures/stone.bmp"), 2);
    EXPECT_EQ(opened("./textures/ob_tile.bmp"), 2);
}

TEST_F(World, ModelGridPositionsWithoutAModel) {
    cInitWorld();
    adoptGlobals();
    ASSERT_EQ(cWorld.size(), size_t(WORLD_CELLS));
    for (mcEntity* e : cWorld) {
        ASSERT_NE(e, nullptr);
        ASSERT_EQ(e->model, nullptr);
    }
    struct Expect { int index; float x, z; };
    for (const Expect& e : {Expect{0, 0, 0}, Expect{1, 1, 0}, Expect{64, 0, -1}, Expect{4095, 63, -63}}) {
        SCOPED_TRACE("element " + std::to_string(e.index));
        EXPECT_EQ(cWorld[e.index]->x, e.x);
        EXPECT_EQ(cWorld[e.index]->y, -2.0f);
        EXPECT_EQ(cWorld[e.index]->z, e.z);
    }
    fake::clearCalls();
    cDrawWorld();
    EXPECT_TRUE(fake::calls().empty());
}

TEST_F(World, ModelGridDrawsTheSharedModelAtEveryCell) {
    RecordingModel model;
    Block_Dirt = &model;
    cInitWorld();
    adoptGlobals();
    Block_Dirt = nullptr;
    for (mcEntity* e : cWorld) ASSERT_EQ(e->model, &model);
    cDrawWorld();
    ASSERT_EQ(model.draws.size(), size_t(WORLD_CELLS));
    for (int i = 0; i < WORLD_CELLS; i++) {
        ASSERT_EQ(model.draws[i].x, float(i % 64));
        ASSERT_EQ(model.draws[i].z, -float(i / 64));
    }
    EXPECT_EQ(model.x, 63.0f);
    EXPECT_EQ(model.y, -2.0f);
    EXPECT_EQ(model.z, -63.0f);
}

TEST_F(World, ModelGridDrawReadsOnlyExistingElements) {
    cDrawWorld();  // empty: nothing to read
    EXPECT_TRUE(fake::calls().empty());

    RecordingModel model;
    cWorld = {new mcEntity(1, 2, 3), nullptr, new mcEntity(4, 5, 6)};
    cWorld[0]->AttachModel(&model);
    cWorld[2]->AttachModel(&model);
    cDrawWorld();
    ASSERT_EQ(model.draws.size(), 2u);
    EXPECT_EQ(model.draws[1].x, 4.0f);
}

}  // namespace
