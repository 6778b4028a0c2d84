#include "vaskel_primitives.h"

#include "vaskel_collision.h"
#include "vaskel_texture.h"

#include <GL/gl.h>

namespace {

enum FaceTexture { TEX_BOTTOM, TEX_TOP, TEX_SIDE };

// One textured corner: texture coordinates, then for each axis whether the
// vertex lies at the cube's position (0) or one unit further (1).
struct CubeCorner {
    float s, t;
    unsigned char ox, oy, oz;
};

struct CubeFace {
    FaceTexture tex;
    float nx, ny, nz;
    CubeCorner corners[4];
};

// The six faces in drawing order. Winding is mixed (faces x+1 and z+1 run
// counter-clockwise from outside, the rest clockwise), so the cube relies on
// GL_CULL_FACE staying off.
const CubeFace kCubeFaces[6] = {
    {TEX_BOTTOM, 0, -1, 0, {{0, 1, 0, 0, 1}, {1, 1, 1, 0, 1}, {1, 0, 1, 0, 0}, {0, 0, 0, 0, 0}}},
    {TEX_TOP, 0, 1, 0, {{0, 0, 0, 1, 0}, {1, 0, 1, 1, 0}, {1, 1, 1, 1, 1}, {0, 1, 0, 1, 1}}},
    {TEX_SIDE, -1, 0, 0, {{0, 0, 0, 0, 1}, {1, 0, 0, 0, 0}, {1, 1, 0, 1, 0}, {0, 1, 0, 1, 1}}},
    {TEX_SIDE, 1, 0, 0, {{0, 0, 1, 0, 1}, {1, 0, 1, 0, 0}, {1, 1, 1, 1, 0}, {0, 1, 1, 1, 1}}},
    {TEX_SIDE, 0, 0, -1, {{0, 0, 0, 0, 0}, {1, 0, 1, 0, 0}, {1, 1, 1, 1, 0}, {0, 1, 0, 1, 0}}},
    {TEX_SIDE, 0, 0, 1, {{0, 0, 0, 0, 1}, {1, 0, 1, 0, 1}, {1, 1, 1, 1, 1}, {0, 1, 0, 1, 1}}},
};

// A missing texture binds name 0 (untextured) rather than dereferencing null.
GLuint texName(const VK_TEXTURE* t) { return t ? t->texID : 0; }

// The coordinate itself, not coordinate + 0, so that -0.0 stays -0.0.
float at(float base, unsigned char plusOne) { return plusOne ? base + 1.0f : base; }

GLuint faceTexture(const VK_CUBE& c, FaceTexture which) {
    switch (which) {
        case TEX_BOTTOM: return texName(c.texBottom);
        case TEX_TOP: return texName(c.texTop);
        case TEX_SIDE: break;
    }
    return texName(c.texSide);
}

void emitFace(const VK_CUBE& c, const CubeFace& f) {
    glBegin(GL_QUADS);
    glNormal3f(f.nx, f.ny, f.nz);
    for (const CubeCorner& k : f.corners) {
        glTexCoord2f(k.s, k.t);
        glVertex3f(at(c.x, k.ox), at(c.y, k.oy), at(c.z, k.oz));
    }
    glEnd();
}

// Faces from index `first` on, each preceded by its bind.
void emitBoundFaces(const VK_CUBE& c, int first) {
    for (int i = first; i < 6; i++) {
        glBindTexture(GL_TEXTURE_2D, faceTexture(c, kCubeFaces[i].tex));
        emitFace(c, kCubeFaces[i]);
    }
}

}  // namespace

VK_PRIMITIVE::VK_PRIMITIVE(float px, float py, float pz, VK_TEXTURE* tex)
    : x(px), y(py), z(pz), texture(tex), bounds(new VK_BOUNDS(0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 1.0f)) {
    bounds->SetPos(px, py, pz);
}

VK_PRIMITIVE::VK_PRIMITIVE() : bounds(new VK_BOUNDS(0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 1.0f)) {
    bounds->SetPos(0, 0, 0);
}

VK_PRIMITIVE::~VK_PRIMITIVE() { delete bounds; }

void VK_PRIMITIVE::Draw() {}

VK_CUBE::VK_CUBE(float px, float py, float pz, VK_TEXTURE* bottom, VK_TEXTURE* top, VK_TEXTURE* side)
    : texBottom(bottom), texTop(top), texSide(side) {
    x = px;
    y = py;
    z = pz;
}

VK_CUBE::VK_CUBE() {}

VK_CUBE::~VK_CUBE() {}

void VK_CUBE::Draw() {
    glBindTexture(GL_TEXTURE_2D, texName(texBottom));
    if (blended) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }
    emitFace(*this, kCubeFaces[0]);  // texBottom is already bound
    emitBoundFaces(*this, 1);
}

void VK_CUBE::SetList(unsigned list) { displayList = list; }

unsigned VK_CUBE::MakeList() {
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    emitBoundFaces(*this, 0);  // every bind recorded so replay rebinds all three
    glEndList();
    return list;
}

void VK_CUBE::DrawS() {
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y, z);
    glCallList(displayList);
    glPopMatrix();
}
