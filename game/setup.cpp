// Game set-up on top of a running engine, and its teardown.
#include "game.h"

#include <GL/gl.h>

// GameStart: the light is given its position once, under an identity
// modelview, so it stays fixed relative to the viewer.
float LightAmbient[4] = {0.2f, 0.2f, 0.1f, 1.0f};
float LightDiffuse[4] = {1.0f, 1.0f, 0.8f, 1.0f};
float LightPosition[4] = {0.0f, 3.0f, 0.0f, 24.0f};

// GameStart: created once and kept for the whole run; only the two sprites
// are drawn each frame, the rest is kept for the tile tree and later use.
VK_TEXTURE* Texture_Dirt = nullptr;
VK_CUBE* Block_Dirt = nullptr;
VK_TEXTURE* Texture_Obsidian = nullptr;
VK_CUBE* Block_Obsidian = nullptr;
gEntity* testroot = nullptr;
VK_SPRITE* tCursor = nullptr;
VK_SPRITE* sprLogo = nullptr;
VK_TEXTURE* txWireframe = nullptr;

namespace {

void clearKeys() {
    for (bool& key : Keys) key = false;
}

// Linear fog from one unit off the eye to 54; the density only matters to
// the exponential modes and is set for completeness.
void setupFog() {
    static const GLfloat fogColor[4] = {0.2f, 0.4f, 0.6f, 1.0f};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_DENSITY, 0.35f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, 54.0f);
    glEnable(GL_FOG);
}

void placePlayer() {
    player_x = player_y = player_z = 0;
    player_y = 2.0f;
    yrot = xrot = 0;
    mxvel = myvel = mzvel = 0;
}

void setupLight() {
    glLightfv(GL_LIGHT1, GL_AMBIENT, LightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, LightDiffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, LightPosition);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
}

void createObjects() {
    Texture_Dirt = new VK_TEXTURE("./textures/dirt.bmp", false);
    Block_Dirt = new VK_CUBE(1, -1, 3, Texture_Dirt, Texture_Dirt, Texture_Dirt);
    Texture_Obsidian = new VK_TEXTURE("./textures/wireframe.tga", true);
    Block_Obsidian = new VK_CUBE(0, -1, 3, Texture_Obsidian, Texture_Obsidian, Texture_Obsidian);
    testroot = new gEntity(0, 0, 0);
    tCursor = new VK_SPRITE("./textures/crosshair.tga", true);
    sprLogo = new VK_SPRITE("./textures/vaskellogo.tga", true);
    splashtimer = 60;
    splashalpha = 1.0f;
    txWireframe = new VK_TEXTURE("./textures/wireframe.tga", true);
}

}  // namespace

// Needs the engine's GL context, GL_TEXTURE_2D on and an identity modelview.
// The model grid is built before Block_Dirt exists, so its entities hold
// no model.
void GameStart() {
    InitWorld();
    cInitWorld();
    PrintProgress("Started Game and initialized world\n");
    clearKeys();
    PrintProgress("Input initialized\n");
    SwitchFlag = false;
    setupFog();
    PrintProgress("Fog activated\n");
    placePlayer();
    setupLight();
    PrintProgress("Lighting activated\n");
    createObjects();
    PrintProgress("Entities loaded\n");
    AddObsid_Tile(0, -1, 0);
    AddObsid_Tile(0, 2, 0);
    SDL_ShowCursor(SDL_DISABLE);
}

// Neither quit path calls this. testroot is cleared so that a second call
// cannot delete the tree twice.
void GameEnd() {
    if (testroot) {
        delete testroot;
        testroot = nullptr;
    }
    CleanWorld();
    PrintProgress("Cleaned world\n");
}
