#pragma once

// Shared set-up for the tests of the game's entry, loop, set-up and overlay:
// a scratch working directory with the image files the game reads, a guard
// for start-up objects that by design live until process exit, and a
// reset of the game's globals between tests.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../fake/fake.h"
#include "game/game.h"

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

// An uncompressed true-colour Targa of w x h pixels, bottom row first.
inline void writeTga(const std::string& path, int w, int h, int bpp) {
    std::vector<unsigned char> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = uint8_t(w);
    bytes[13] = uint8_t(w >> 8);
    bytes[14] = uint8_t(h);
    bytes[15] = uint8_t(h >> 8);
    bytes[16] = uint8_t(bpp);
    bytes.resize(18 + size_t(w) * h * (bpp / 8), 0x80);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// The bitmap stand-in decodes any file that exists.
inline void touch(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fputs("BM", f);
    std::fclose(f);
}

// Image sizes the tests can recognise the loaded objects by.
const int WIREFRAME_W = 4, WIREFRAME_H = 2;
const int CROSSHAIR_W = 16, CROSSHAIR_H = 16;
const int LOGO_W = 8, LOGO_H = 4;

// A fresh working directory for the process; removed again on destruction.
class WorkDir {
public:
    WorkDir() {
        char tmpl[] = "/tmp/vaskel-game-XXXXXX";
        const char* made = mkdtemp(tmpl);
        if (!made) std::abort();
        path_ = made;
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~WorkDir() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
        std::filesystem::remove_all(path_, ec);
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    void writeTextures() const {
        std::filesystem::create_directory("textures");
        touch("textures/stone.bmp");
        touch("textures/ob_tile.bmp");
        touch("textures/dirt.bmp");
        writeTga("textures/wireframe.tga", WIREFRAME_W, WIREFRAME_H, 32);
        writeTga("textures/crosshair.tga", CROSSHAIR_W, CROSSHAIR_H, 32);
        writeTga("textures/vaskellogo.tga", LOGO_W, LOGO_H, 32);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::filesystem::path old_;
};

inline void resetPlayer() {
    player_x = player_z = 0;
    player_y = 2;
    yrot = xrot = 0;
    mxvel = myvel = mzvel = 0;
    SwitchFlag = false;
}

inline void clearKeys() {
    for (bool& k : Keys) k = false;
}

// Drops every pointer the game holds without touching what it points to:
// objects made under KeptForRun stay alive and unreported, the rest is the
// caller's to delete.
inline void forgetGame() {
    newEngine = nullptr;
    StoneTexture = nullptr;
    testCube = nullptr;
    StoneCube = 0;
    Texture_Dirt = nullptr;
    Block_Dirt = nullptr;
    Texture_Obsidian = nullptr;
    Block_Obsidian = nullptr;
    testroot = nullptr;
    tCursor = nullptr;
    sprLogo = nullptr;
    txWireframe = nullptr;
    for (VK_CUBE*& c : lData) c = nullptr;
    txStone = txObTile = nullptr;
    worldroot = nullptr;
    cWorld.clear();
    next_time = 0;
    splashtimer = 0;
    splashalpha = 0;
    clearKeys();
    resetPlayer();
}

}  // namespace gametest
