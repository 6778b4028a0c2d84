#pragma once

// Shared set-up for the tests of the game's entry, loop, set-up and overlay.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../fake/fake.h"
#include "game/game.h"
#include "scratch_dir.h"
#include "tga_bytes.h"

#if defined(__SANITIZE_ADDRESS__)
#define GAME_TEST_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GAME_TEST_LSAN 1
#endif
#endif
#ifdef GAME_TEST_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace gametest {

// Start-up keeps its objects for the whole run and replaces some of them
// (the world root and grid textures) without releasing the first ones, so
// what it allocates is exempt from the leak checker.
class KeptForRun {
public:
#ifdef GAME_TEST_LSAN
    KeptForRun() { __lsan_disable(); }
    ~KeptForRun() { __lsan_enable(); }
#else
    KeptForRun() {}
    ~KeptForRun() {}
#endif
};

// Image sizes the tests can recognise the loaded objects by.
const int WIREFRAME_W = 4, WIREFRAME_H = 2;
const int CROSSHAIR_W = 16, LOGO_W = 8, LOGO_H = 4;

// The image files start-up reads; the bitmap stand-in decodes any file.
inline void writeTextures() {
    std::filesystem::create_directory("textures");
    for (const char* name : {"stone", "ob_tile", "dirt"}) writeFile(std::string("textures/") + name + ".bmp", tinyBmp());
    writeFile("textures/wireframe.tga", tgaFile(WIREFRAME_W, WIREFRAME_H, 32));
    writeFile("textures/crosshair.tga", tgaFile(CROSSHAIR_W, 16, 32));
    writeFile("textures/vaskellogo.tga", tgaFile(LOGO_W, LOGO_H, 32));
}

// Drops every pointer the game holds without touching what it points to
// (objects made under KeptForRun stay alive and unreported) and puts the
// player, keys and counters back to their start values.
inline void forgetGame() {
    newEngine = nullptr;
    StoneTexture = Texture_Dirt = Texture_Obsidian = txWireframe = txStone = txObTile = nullptr;
    testCube = Block_Dirt = Block_Obsidian = nullptr;
    StoneCube = 0;
    testroot = worldroot = nullptr;
    tCursor = sprLogo = nullptr;
    for (VK_CUBE*& c : lData) c = nullptr;
    cWorld.clear();
    next_time = 0;
    splashtimer = 0;
    splashalpha = 0;
    for (bool& k : Keys) k = false;
    eventTally.passed = eventTally.quitAt = eventTally.escapeAt = 0;
    eventTally.taken = 0;
    player_x = player_z = 0;
    player_y = 2;
    yrot = xrot = mxvel = myvel = mzvel = 0;
    SwitchFlag = false;
    pointerKeep = PointerKeep{};
}

}  // namespace gametest
