// The ground: a 64x64 checkerboard of unit cubes (the block grid, drawn
// every frame) and its twin of light model entities (the model grid).
#include "game.h"

#include <algorithm>

// Block grid: slot row * 64 + column owns its cube. The textures are shared
// by the cubes; cInitWorld replaces these pointers (and worldroot) with
// fresh objects while the cubes keep using the first pair.
VK_CUBE* lData[WORLD_CELLS] = {};
VK_TEXTURE* txStone = nullptr;
VK_TEXTURE* txObTile = nullptr;
gEntity* worldroot = nullptr;

// Model grid: element row * 64 + column; owns nothing.
std::vector<mcEntity*> cWorld;

namespace {

const char* const STONE_FILE = "./textures/stone.bmp";
const char* const OB_TILE_FILE = "./textures/ob_tile.bmp";
const int HALF_SIDE = WORLD_SIDE / 2;
const float GRID_Y = -2;

int slot(int row, int column) { return row * WORLD_SIDE + column; }

void loadGridTextures() {
    txStone = new VK_TEXTURE(STONE_FILE, false);
    txObTile = new VK_TEXTURE(OB_TILE_FILE, false);
}

}  // namespace

// Both textures are loaded, stone first, before the first cube exists.
void InitWorld() {
    worldroot = new gEntity(0, 0, 0);
    loadGridTextures();
    for (int row = 0; row < WORLD_SIDE; row++) {
        for (int column = 0; column < WORLD_SIDE; column++) {
            VK_TEXTURE* tex = (row + column) % 2 == 0 ? txStone : txObTile;
            lData[slot(row, column)] = new VK_CUBE(float(column) - HALF_SIDE, GRID_Y,
                                                   float(HALF_SIDE) - float(row), tex, tex, tex);
        }
    }
}

// Empty slots (before InitWorld, after CleanWorld) are skipped.
void DrawWorld() {
    for (VK_CUBE* cube : lData)
        if (cube) cube->Draw();
}

// Slots are reset so a later DrawWorld or CleanWorld finds nothing to touch.
// The textures and worldroot stay alive.
void CleanWorld() {
    for (VK_CUBE*& cube : lData) {
        delete cube;
        cube = nullptr;
    }
}

// Takes whatever Block_Dirt holds now: during GameStart it is still null,
// so the entities get no model. The earlier root and textures are left
// alive for the block grid's cubes.
void cInitWorld() {
    for (int i = 0; i < WORLD_CELLS; i++) cWorld.push_back(nullptr);
    worldroot = new gEntity(0, 0, 0);
    loadGridTextures();
    for (int row = 0; row < WORLD_SIDE; row++) {
        for (int column = 0; column < WORLD_SIDE; column++) {
            mcEntity* entity = new mcEntity(float(column) + 0.0f, GRID_Y, 0.0f - float(row));
            cWorld[slot(row, column)] = entity;
            entity->AttachModel(Block_Dirt);
        }
    }
}

// Reads only elements that exist, so it is safe before cInitWorld.
void cDrawWorld() {
    size_t count = std::min(cWorld.size(), size_t(WORLD_CELLS));
    for (size_t i = 0; i < count; i++)
        if (cWorld[i]) cWorld[i]->Draw();
}
