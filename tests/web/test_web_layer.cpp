// The browser build's GL and SDL layer, natively, on a recording backend:
// display lists, batching and culling of the block grid, pixel uploads,
// the virtual mouse, the event queue, key codes and bitmap decoding.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "glentry.h"
#include "sdlcore.h"

namespace {

using vkw::Segment;
using vkw::Uniforms;
using vkw::Vertex;

struct Draw {
    bool batch;
    std::vector<Vertex> verts;  // stream draws only
    std::vector<Segment> segs;
    Uniforms u;
};

class Recorder : public vkw::Backend {
public:
    void capability(GLenum cap, bool on) override { caps.push_back(on ? cap : ~cap); }
    void clear(GLbitfield) override {}
    void clearColor(float, float, float, float) override {}
    void viewport(int, int, int w, int) override { viewportWidth = w; }
    void depthFunc(GLenum func) override { depth = func; }
    void blendFunc(GLenum, GLenum) override {}
    void texImage(GLuint, int w, int h, GLenum format, const uint8_t* p) override {
        upload.assign(p, p + size_t(w) * h * (format == GL_RGB ? 3 : 4));
    }
    void texParameter(GLuint, GLenum, GLint) override {}
    GLint maxTextureSize() override { return 16384; }
    void drawStream(const Uniforms& u, const Vertex* v, size_t nv, const uint32_t*,
                    const std::vector<Segment>& segs) override {
        draws.push_back(Draw{false, std::vector<Vertex>(v, v + nv), segs, u});
    }
    void uploadBatch(const Vertex* v, size_t nv, const uint32_t* idx, size_t ni) override {
        uploads++;
        batchVerts.assign(v, v + nv);
        batchIdx.assign(idx, idx + ni);
    }
    void drawBatch(const Uniforms& u, const std::vector<Segment>& segs) override {
        draws.push_back(Draw{true, {}, segs, u});
    }
    std::vector<Draw> draws;
    std::vector<Vertex> batchVerts;
    std::vector<uint32_t> batchIdx;
    std::vector<uint8_t> upload;
    int uploads = 0;
    std::vector<GLenum> caps;  // ~cap: turned off
    GLenum depth = 0;
    int viewportWidth = -1;
    void restore() override { restores++; }
    int restores = 0;
};

class WebLayer : public ::testing::Test {
protected:
    void SetUp() override { vkw::setContext(&ctx); }
    void TearDown() override { vkw::setContext(nullptr); }
    Recorder rec;
    vkw::Context ctx{&rec};
};

// A unit cube's six faces as the engine sends them: one normal and one
// bind per face.
void cube(float x, float y, float z, GLuint tex, float sign = 1) {
    static const float n[6][3] = {{0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}, {0, 0, -1}, {0, 0, 1}};
    static const int c[6][4][3] = {
        {{0, 0, 1}, {1, 0, 1}, {1, 0, 0}, {0, 0, 0}}, {{0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}},
        {{0, 0, 1}, {0, 0, 0}, {0, 1, 0}, {0, 1, 1}}, {{1, 0, 1}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}},
        {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}};
    for (int f = 0; f < 6; f++) {
        glBindTexture(GL_TEXTURE_2D, tex);
        glBegin(GL_QUADS);
        glNormal3f(sign * n[f][0], sign * n[f][1], sign * n[f][2]);
        for (const auto& k : c[f]) {
            glTexCoord2f(0, 0);
            glVertex3f(x + k[0], y + k[1], z + k[2]);
        }
        glEnd();
    }
}

// The block grid: a side x side checkerboard of cubes at y -2.
void floorGrid(int side, float sign = 1) {
    for (int r = 0; r < side; r++)
        for (int col = 0; col < side; col++)
            cube(float(col - side / 2), -2, float(side / 2 - r), (r + col) % 2 ? 2 : 1, sign);
}

void camera(double ex, double ey, double ez, double cx, double cy, double cz) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 4.0 / 3, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(ex, ey, ez, cx, cy, cz, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);  // as the engine draws
}

uint32_t indexCount(const Draw& d) {
    uint32_t n = 0;
    for (const Segment& s : d.segs) n += s.count;
    return n;
}

TEST_F(WebLayer, DisplayListsRecordWithoutDrawingAndReplayLikeImmediateMode) {
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    cube(0, 0, 0, 5);
    glEndList();
    ctx.swap();
    EXPECT_TRUE(rec.draws.empty()) << "GL_COMPILE drew";

    cube(0, 0, 0, 5);
    ctx.swap();
    glPushMatrix();
    glTranslatef(3, 0, 0);
    glCallList(list);
    glPopMatrix();
    ctx.swap();
    ASSERT_EQ(2u, rec.draws.size());
    const Draw direct = rec.draws[0];
    const Draw replay = rec.draws[1];
    ASSERT_EQ(direct.verts.size(), replay.verts.size());
    EXPECT_EQ(0, std::memcmp(direct.verts.data(), replay.verts.data(), direct.verts.size() * sizeof(Vertex)));
    EXPECT_FLOAT_EQ(3, replay.u.modelview.m[12]) << "the translation applies to the replay";
    EXPECT_FLOAT_EQ(0, ctx.modelview().m[12]) << "glPopMatrix restores";
    EXPECT_EQ(5u, ctx.boundTexture()) << "replay rebinds";

    // A list calling a list, recorded and executed at once.
    GLuint outer = glGenLists(1);
    EXPECT_NE(list, outer);
    glNewList(outer, GL_COMPILE_AND_EXECUTE);
    glCallList(list);
    glEndList();
    ctx.swap();
    glCallList(outer);
    ctx.swap();
    ASSERT_EQ(4u, rec.draws.size());
    EXPECT_EQ(direct.verts.size(), rec.draws[2].verts.size());
    EXPECT_EQ(direct.verts.size(), rec.draws[3].verts.size());
}

TEST_F(WebLayer, BindsBetweenFacesKeepOneRunAndStateChangesEndIt) {
    glEnable(GL_DEPTH_TEST);
    cube(0, 0, 0, 1);
    glDisable(GL_BLEND);      // already off: no change
    glEnable(GL_DEPTH_TEST);  // already on
    cube(1, 0, 0, 2);
    glTranslatef(0, 1, 0);
    cube(0, 0, 0, 1);
    ctx.swap();
    ASSERT_EQ(2u, rec.draws.size());
    EXPECT_EQ(48u, rec.draws[0].verts.size());
    ASSERT_EQ(2u, rec.draws[0].segs.size()) << "one segment per texture change";
    EXPECT_EQ(36u, rec.draws[0].segs[0].count);
    EXPECT_EQ(2u, rec.draws[0].segs[1].texture);
    EXPECT_EQ(3u, ctx.stats().lastDrawCalls);
}

TEST_F(WebLayer, FloorIsCachedOnceAndDrawsOnlyFacesTheEyeCanSee) {
    const int side = 16;  // 1536 faces: above the batching threshold
    auto frame = [&](double ex, double ey, double ez, double dx = 0, double dy = -1, double dz = -1) {
        rec.draws.clear();
        camera(ex, ey, ez, ex + dx, ey + dy, ez + dz);
        floorGrid(side);
        ctx.swap();
        EXPECT_EQ(1u, rec.draws.size());
        return rec.draws.empty() ? Draw{} : rec.draws[0];
    };
    auto onlyFacing = [&](const Draw& d, float nx, float ny, float nz) {
        for (const Segment& s : d.segs)
            for (uint32_t k = s.first; k < s.first + s.count; k++) {
                const float* n = rec.batchVerts[rec.batchIdx[k]].nrm;
                if (n[0] != nx || n[1] != ny || n[2] != nz) return false;
            }
        return true;
    };
    Draw whole = frame(0, 30, 30);
    Draw again = frame(0, 30, 30);
    EXPECT_TRUE(whole.batch);
    EXPECT_EQ(1, rec.uploads) << "an unchanged grid is uploaded once";
    EXPECT_EQ(indexCount(whole), indexCount(again));
    EXPECT_EQ(side * (side + 1) * 6u, indexCount(whole)) << "seen from afar: all the tops and south sides";

    // Close above the middle, the blocks behind the eye are left out.
    Draw above = frame(0, 1.3, 0);
    EXPECT_TRUE(onlyFacing(above, 0, 1, 0));
    EXPECT_GT(indexCount(above), side * side * 2u);
    EXPECT_LT(indexCount(above), side * side * 6u);

    Draw below = frame(0, -10, 0, 0, 1, -1);
    EXPECT_GT(indexCount(below), 0u);
    EXPECT_TRUE(onlyFacing(below, 0, -1, 0)) << "bottoms only";
    // Off the west edge at floor height, looking east: the tops, bottoms
    // and inner sides are hidden; the west sides face the eye.
    Draw west = frame(-40, -1.5, 0, 1, 0, 0);
    EXPECT_EQ(side * 6u, indexCount(west));
    EXPECT_TRUE(onlyFacing(west, -1, 0, 0));
    Draw inside = frame(0.5, -1.5, 0.5);
    EXPECT_LT(indexCount(inside), 60 * 6u) << "inside a cube: its own faces and those the near plane reaches";
    EXPECT_EQ(1, rec.uploads);

    // A moved cube is a different batch.
    rec.draws.clear();
    camera(0, 1.3, 0, 0, 0, -1);
    floorGrid(side - 1);
    cube(40, 0, 0, 1);
    cube(41, 0, 0, 1);
    floorGrid(1);
    ctx.swap();
    EXPECT_EQ(2, rec.uploads);

    // The grid and one cube more: equal to the cached run until it goes
    // past it, then uploaded whole, as a context new to it uploads it.
    frame(0, 30, 30);
    Recorder freshRec;
    vkw::Context fresh{&freshRec};
    for (vkw::Context* c : {&ctx, &fresh}) {
        vkw::setContext(c);
        camera(0, 1.3, 0, 0, 0, -1);
        floorGrid(side);
        cube(40, 0, 0, 1);
        c->swap();
    }
    vkw::setContext(&ctx);
    ASSERT_EQ(freshRec.batchVerts.size(), rec.batchVerts.size());
    EXPECT_EQ(0, std::memcmp(freshRec.batchVerts.data(), rec.batchVerts.data(), rec.batchVerts.size() * sizeof(Vertex)));
}

namespace {

// What GL itself would show of a grid of unit cubes, by rays from the eye:
// each ray's first quad beyond tmin, the later one where two quads tie (GL_LEQUAL).
struct RefQuad {
    float lo[3], hi[3];  // one of the three extents is flat
    float normal[3];
};

std::vector<RefQuad> refGrid(int side) {
    static const float n[6][3] = {{0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}, {0, 0, -1}, {0, 0, 1}};
    std::vector<RefQuad> out;
    for (int r = 0; r < side; r++)
        for (int col = 0; col < side; col++) {
            float o[3] = {float(col - side / 2), -2, float(side / 2 - r)};
            for (int f = 0; f < 6; f++) {
                RefQuad q;
                for (int a = 0; a < 3; a++) {
                    q.normal[a] = n[f][a];
                    q.lo[a] = o[a] + (n[f][a] > 0 ? 1 : 0);
                    q.hi[a] = n[f][a] != 0 ? q.lo[a] : o[a] + 1;
                }
                out.push_back(q);
            }
        }
    return out;
}

// Indices (into refGrid) of the quads some ray from eye, inside the view
// of clip (object to clip space), shows first.
std::vector<bool> raySeen(const std::vector<RefQuad>& quads, const float* eye, const vkw::Mat4& clip) {
    std::vector<bool> seen(quads.size());
    auto inView = [&](const double* d) {
        double c[4];
        for (int r = 0; r < 4; r++) {
            c[r] = clip.m[12 + r];
            for (int a = 0; a < 3; a++) c[r] += clip.m[4 * a + r] * (eye[a] + d[a]);
        }
        return c[3] > 0 && std::fabs(c[0]) < 0.98 * c[3] && std::fabs(c[1]) < 0.98 * c[3];
    };
    const int steps = 120;
    for (double tmin : {1e-4, 0.1, 0.12})
        for (int i = 0; i < steps; i++)
            for (int j = 0; j < 2 * steps; j++) {
                double th = M_PI * (i + 0.5) / steps, ph = M_PI * (j + 0.37) / steps;  // no ray along an edge
                double d[3] = {std::sin(th) * std::cos(ph), std::cos(th), std::sin(th) * std::sin(ph)};
                if (!inView(d)) continue;
                double best = 1e30;
                int hit = -1;
                for (size_t q = 0; q < quads.size(); q++) {
                    const RefQuad& r = quads[q];
                    int a = r.normal[0] != 0 ? 0 : r.normal[1] != 0 ? 1 : 2;
                    if (d[a] == 0) continue;
                    double t = (r.lo[a] - eye[a]) / d[a];
                    if (t <= tmin || t > best) continue;
                    // Only a quad on the same plane ties (and, drawn later, wins).
                    if (t == best && !(hit >= 0 && quads[size_t(hit)].normal[a] != 0 && quads[size_t(hit)].lo[a] == r.lo[a]))
                        continue;
                    bool in = true;
                    for (int b = 0; b < 3; b++)
                        if (b != a) {
                            double p = eye[b] + t * d[b];
                            in = in && p >= r.lo[b] && p <= r.hi[b];
                        }
                    if (in) best = t, hit = int(q);
                }
                if (hit >= 0) seen[size_t(hit)] = true;
            }
    return seen;
}

}  // namespace

// Every quad the real GL picture could show is drawn, wherever the eye is:
// inside a cube, at a face, in the gap under the grid, beside and above it.
// Rays go out in every direction the view takes in.
TEST_F(WebLayer, CullingKeepsEveryQuadRaysFromTheEyeReach) {
    const int side = 16;
    const std::vector<RefQuad> ref = refGrid(side);
    const float eyes[][3] = {{0.5f, -1.5f, 0.5f}, {0.5f, -1.95f, 0.02f}, {-7.9f, -1.05f, 7.96f}, {0.5f, -1.5f, 8.05f},
                             {-3.2f, -2.08f, 1.5f}, {2.5f, -0.97f, -3.5f}, {9.0f, -1.5f, 0.5f}, {0.3f, 1.3f, 0.1f}};
    for (const auto& eye : eyes) {
        rec.draws.clear();
        camera(eye[0], eye[1], eye[2], eye[0], eye[1] - 1, eye[2] - 1);
        floorGrid(side);
        ctx.swap();
        ASSERT_EQ(1u, rec.draws.size());
        // The drawn quads, by their corners' box and normal.
        std::vector<bool> drawn(ref.size());
        for (const Segment& s : rec.draws[0].segs)
            for (uint32_t k = s.first; k < s.first + s.count; k += 6) {
                const Vertex* v = &rec.batchVerts[rec.batchIdx[k]];
                for (size_t q = 0; q < ref.size(); q++) {
                    bool same = true;
                    for (int a = 0; a < 3 && same; a++) {
                        float lo = std::min({v[0].pos[a], v[1].pos[a], v[2].pos[a], v[3].pos[a]});
                        float hi = std::max({v[0].pos[a], v[1].pos[a], v[2].pos[a], v[3].pos[a]});
                        same = lo == ref[q].lo[a] && hi == ref[q].hi[a] && v[0].nrm[a] == ref[q].normal[a];
                    }
                    if (same) drawn[q] = true;
                }
            }
        std::vector<bool> seen = raySeen(ref, eye, ctx.projection() * ctx.modelview());
        size_t count = 0;
        for (size_t q = 0; q < ref.size(); q++) {
            count += drawn[q];
            EXPECT_TRUE(!seen[q] || drawn[q]) << "eye " << eye[0] << " " << eye[1] << " " << eye[2] << ": quad " << q
                                              << " is seen but not drawn";
        }
        EXPECT_LT(count, ref.size() / 4) << "eye " << eye[0] << " " << eye[1] << " " << eye[2];
    }
}

TEST_F(WebLayer, BlendedOrSmallRunsAreStreamedInOrder) {
    camera(0, 1.3, 0, 0, 0, -1);
    glEnable(GL_BLEND);
    floorGrid(16);
    ctx.swap();
    ASSERT_EQ(1u, rec.draws.size());
    EXPECT_FALSE(rec.draws[0].batch);
    EXPECT_EQ(16u * 16 * 6 * 6, indexCount(rec.draws[0]));
    EXPECT_EQ(0, rec.uploads);
}

// The cache may leave out only what GL could not show: faces of boxes
// proved closed from their corners, culled by where they lie, not by the
// normal they were sent with; nothing at all under GL_LESS or GL's culling.
TEST_F(WebLayer, CacheLeavesOutOnlyWhatGLCouldNotShow) {
    auto sheetFromBelow = [&]() {
        rec.draws.clear();
        camera(0, -60, 0, 0, 0, -0.001);
        glBegin(GL_QUADS);
        glNormal3f(0, 1, 0);
        for (int x = -20; x < 20; x++)
            for (int z = -20; z < 20; z++)
                for (const auto& c : {std::make_pair(0, 0), {1, 0}, {1, 1}, {0, 1}})
                    glVertex3f(float(x + c.first), 0, float(z + c.second));
        glEnd();
        ctx.swap();
        return rec.draws.empty() ? 0u : indexCount(rec.draws[0]);
    };
    EXPECT_EQ(9600u, sheetFromBelow()) << "a sheet seen from below its normals is still drawn";
    EXPECT_TRUE(rec.draws[0].batch);

    // Every normal turned inward: the same faces as with outward ones.
    for (double eyeY : {30.0, -30.0}) {
        uint32_t count[2];
        for (float sign : {1.0f, -1.0f}) {
            rec.draws.clear();
            camera(0, eyeY, 30, 0, eyeY * 29 / 30, 29);
            floorGrid(16, sign);
            ctx.swap();
            count[sign < 0] = indexCount(rec.draws.at(0));
        }
        EXPECT_EQ(count[0], count[1]) << "eye at y " << eyeY;
        EXPECT_LT(count[0], 16u * 16 * 36 / 2);
    }

    for (GLenum refuse : {GLenum(GL_CULL_FACE), GLenum(GL_LESS)}) {
        rec.draws.clear();
        camera(0, 30, 30, 0, 29, 29);
        if (refuse == GL_LESS) glDepthFunc(GL_LESS);
        else glEnable(GL_CULL_FACE);
        floorGrid(16);
        ctx.swap();
        glDisable(GL_CULL_FACE);
        ASSERT_EQ(1u, rec.draws.size());
        EXPECT_FALSE(rec.draws[0].batch) << std::hex << refuse;
        EXPECT_EQ(16u * 16 * 36, indexCount(rec.draws[0]));
    }
}

// One-value parameters are read as one value (AddressSanitizer sees a
// read past it), the texture matrix has its own stack, lines and points
// are drawn, and a restored backend gets the state and the batch again.
TEST_F(WebLayer, WhatGLTakesAndDrawsBeyondTheGame) {
    const float density = 0.35f;
    glFogfv(GL_FOG_DENSITY, &density);
    const float cutoff = 45;
    glLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, &cutoff);

    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glTranslatef(0.5f, 0, 0);
    glMatrixMode(GL_MODELVIEW);
    glBegin(GL_LINE_LOOP);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glNormal3f(0, 1, 0);
    for (int i = 0; i < 3; i++) {
        glTexCoord2f(float(i), 0.5f);
        glVertex3f(float(i), 0, 0);
    }
    glEnd();
    glBegin(GL_POINTS);
    glVertex3f(0, 0, 0);
    glEnd();
    ctx.swap();
    ASSERT_EQ(1u, rec.draws.size());
    const Draw& d = rec.draws[0];
    EXPECT_FLOAT_EQ(0.35f, d.u.fogDensity);
    EXPECT_FLOAT_EQ(0.5f, d.u.texture.m[12]);
    EXPECT_FLOAT_EQ(0, d.u.modelview.m[12]);
    const Vertex third = {{2, 0, 0}, {0, 1, 0}, {2, 0.5f}, {0.1f, 0.2f, 0.3f, 0.4f}};
    ASSERT_EQ(4u, d.verts.size());
    EXPECT_EQ(0, std::memcmp(&third, &d.verts[2], sizeof third)) << "each vertex takes what is current at its call";
    ASSERT_EQ(2u, d.segs.size());
    EXPECT_EQ(GLenum(GL_LINES), d.segs[0].mode);
    EXPECT_EQ(6u, d.segs[0].count) << "three sides of the loop";
    EXPECT_EQ(GLenum(GL_POINTS), d.segs[1].mode);
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    camera(0, 30, 30, 0, 29, 29);
    glClearColor(0.3f, 0.5f, 0.7f, 1);
    glViewport(0, 0, 640, 480);
    floorGrid(16);
    ctx.swap();
    rec.caps.clear();
    rec.depth = 0;
    rec.viewportWidth = -1;
    const int uploads = rec.uploads;
    ctx.restore();
    EXPECT_EQ(1, rec.restores);
    EXPECT_EQ(uploads + 1, rec.uploads) << "the batch is uploaded again";
    EXPECT_NE(rec.caps.end(), std::find(rec.caps.begin(), rec.caps.end(), GLenum(GL_DEPTH_TEST)));
    EXPECT_EQ(GLenum(GL_LEQUAL), rec.depth);
    EXPECT_EQ(640, rec.viewportWidth);
}

TEST_F(WebLayer, CameraLightAndColourMaterial) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(1, 2, 3, 1, 2, 2, 0, 1, 0);  // looks down -z from (1, 2, 3)
    const float* m = ctx.modelview().m;
    // The eye goes to the origin, the centre one unit down -z.
    EXPECT_NEAR(0, m[12] + m[0] * 1 + m[4] * 2 + m[8] * 3, 1e-5);
    EXPECT_NEAR(0, m[14] + m[2] * 1 + m[6] * 2 + m[10] * 3, 1e-5);
    EXPECT_NEAR(-1, m[14] + m[2] * 1 + m[6] * 2 + m[10] * 2, 1e-5);

    const float pos[4] = {0, 3, 0, 24};
    glLightfv(GL_LIGHT1, GL_POSITION, pos);  // kept in eye space
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glColor4f(0.5f, 0.25f, 1, 0.5f);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 3; i++) glVertex3f(float(i), 0, 0);
    glEnd();
    ctx.swap();
    ASSERT_EQ(1u, rec.draws.size());
    const Uniforms& u = rec.draws[0].u;
    EXPECT_TRUE(u.lightOn);
    EXPECT_NEAR(3 * m[4] + m[12] * 24, u.lightPosition[0], 1e-4);
    EXPECT_NEAR(3 * m[5] + m[13] * 24, u.lightPosition[1], 1e-4);
    EXPECT_FLOAT_EQ(24, u.lightPosition[3]);
    EXPECT_TRUE(u.colorMaterial);
    EXPECT_FLOAT_EQ(0.25f, u.materialDiffuse[1]);
    EXPECT_FLOAT_EQ(0.5f, rec.draws[0].verts[0].col[3]);

    // Fog is computed per vertex unless the hint asks for the nicest; a
    // change of hint ends the run drawn so far.
    EXPECT_FALSE(u.fogPerPixel);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 3; i++) glVertex3f(float(i), 0, 0);
    glEnd();
    glHint(GL_FOG_HINT, GL_NICEST);
    ASSERT_EQ(2u, rec.draws.size());
    EXPECT_FALSE(rec.draws[1].u.fogPerPixel);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 3; i++) glVertex3f(float(i), 0, 0);
    glEnd();
    ctx.swap();
    EXPECT_TRUE(rec.draws.back().u.fogPerPixel);
}

TEST_F(WebLayer, UploadsTurnPaddedBgrRowsIntoPackedRgb) {
    GLuint tex;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    // Two pixels per row of 6 bytes, padded to 8 under alignment 4.
    const uint8_t bgr[16] = {1, 2, 3, 4, 5, 6, 0xEE, 0xEE, 7, 8, 9, 10, 11, 12, 0xEE, 0xEE};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 2, 2, 0, GL_BGR, GL_UNSIGNED_BYTE, bgr);
    const std::vector<uint8_t> rgb = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
    EXPECT_EQ(rgb, rec.upload);

    const uint8_t rgb1[3] = {10, 20, 30};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb1);
    EXPECT_EQ((std::vector<uint8_t>{10, 20, 30, 255}), rec.upload);
}

TEST(WebSdl, VirtualMouseMovesLikeSdlsKeptPointer) {
    vkw::VirtualMouse mouse(640, 480);
    SDL_Event e;
    int x, y, dx, dy;
    mouse.position(&x, &y);
    EXPECT_EQ(320, x) << "a fresh page's first move may go either way";
    EXPECT_EQ(240, y);
    ASSERT_TRUE(mouse.move(330, -140, &e));
    EXPECT_TRUE(mouse.move(20, -300, &e));  // clamped at the right and top edges, yet it counts
    mouse.position(&x, &y);
    EXPECT_EQ(639, x);
    EXPECT_EQ(0, y);
    EXPECT_EQ(20, e.motion.xrel);
    EXPECT_EQ(-300, e.motion.yrel);
    EXPECT_FALSE(mouse.move(0, 0, &e)) << "no move, no event";

    // The game's edge warp: a motion event whose jump reaches the relative state.
    mouse.takeRelative(&dx, &dy);
    EXPECT_EQ(350, dx);
    EXPECT_EQ(-440, dy);
    ASSERT_TRUE(mouse.moveTo(2, 0, &e));
    EXPECT_EQ(SDL_MOUSEMOTION, e.type);
    EXPECT_EQ(2, e.motion.x);
    EXPECT_EQ(-637, e.motion.xrel);
    EXPECT_FALSE(mouse.moveTo(2, -5, &e)) << "a warp to where it is moves nothing";
    mouse.takeRelative(&dx, &dy);
    EXPECT_EQ(-637, dx);
    mouse.takeRelative(&dx, &dy);
    EXPECT_EQ(0, dx) << "reading resets";
}

TEST(WebSdl, QueueDropsWhatArrivesWhenFull) {
    vkw::EventQueue q;
    SDL_Event e{};
    for (int i = 0; i < 130; i++) {
        e.key.keysym.sym = SDLKey(i);
        EXPECT_EQ(i < vkw::EventQueue::kCapacity, q.push(e));
    }
    for (int i = 0; i < vkw::EventQueue::kCapacity; i++) {
        ASSERT_TRUE(q.pop(&e));
        EXPECT_EQ(i, e.key.keysym.sym);
    }
    EXPECT_FALSE(q.pop(&e));
}

TEST(WebSdl, ClockWrapsAfter32BitsAsSdlsDoes) {
    vkw::PageClock clock(1000);
    EXPECT_EQ(4294967295u, clock.ticks32(1000 + 4294967295.5));
    EXPECT_EQ(5u, clock.ticks32(1000 + 4294967296.0 * 3 + 5));
}

TEST(WebSdl, DomKeysBecomeSdl12Codes) {
    EXPECT_EQ(SDLK_a + 22, vkw::keyFromDomCode("KeyW"));
    EXPECT_EQ(32, vkw::keyFromDomCode("Space"));
    EXPECT_EQ(27, vkw::keyFromDomCode("Escape"));
    EXPECT_EQ(273, vkw::keyFromDomCode("ArrowUp"));
    EXPECT_EQ(293, vkw::keyFromDomCode("F12"));
    EXPECT_EQ(SDLK_UNKNOWN, vkw::keyFromDomCode("F13"));
    EXPECT_EQ(SDLK_UNKNOWN, vkw::keyFromDomCode("Keyw"));
}

std::vector<uint8_t> bmp(int w, int h, int bits, const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> f(54 + pixels.size(), 0);
    std::copy(pixels.begin(), pixels.end(), f.begin() + 54);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) f[at + i] = uint8_t(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    f[26] = 1;
    f[28] = uint8_t(bits);
    put32(2, uint32_t(f.size()));
    return f;
}

TEST(WebSdl, BitmapsDecodeTopRowFirstInBgr) {
    // 2x2, 24 bits, rows of 6 bytes padded to 8, bottom row first in the file.
    std::vector<uint8_t> file = bmp(2, 2, 24, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
    SDL_Surface* s = vkw::decodeBmp(file.data(), file.size());
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(24, s->format->BitsPerPixel);
    EXPECT_EQ(8, s->pitch);
    const auto* p = static_cast<const uint8_t*>(s->pixels);
    EXPECT_EQ((std::vector<uint8_t>{7, 8, 9, 10, 11, 12}), std::vector<uint8_t>(p, p + 6));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 5, 6}), std::vector<uint8_t>(p + 8, p + 14));
    vkw::freeSurface(s);

    std::vector<uint8_t> wide = bmp(1, 1, 32, {1, 2, 3, 4});
    s = vkw::decodeBmp(wide.data(), wide.size());
    ASSERT_NE(nullptr, s);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), std::vector<uint8_t>(static_cast<uint8_t*>(s->pixels),
                                                                     static_cast<uint8_t*>(s->pixels) + 3));
    vkw::freeSurface(s);

    file.resize(file.size() - 1);
    EXPECT_EQ(nullptr, vkw::decodeBmp(file.data(), file.size())) << "cut short";
    std::vector<uint8_t> eight = bmp(1, 1, 8, {0, 0, 0, 0});
    EXPECT_EQ(nullptr, vkw::decodeBmp(eight.data(), eight.size()));
}

}  // namespace
