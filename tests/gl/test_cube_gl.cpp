// The cube rendered by Mesa: where it lands on screen, which texture each
// face shows, blending, and display-list replay in eye space.
#include <gtest/gtest.h>

#include "engine/vaskel_primitives.h"
#include "engine/vaskel_texture.h"
#include "gl_env.h"

#include <GL/glu.h>

#include <array>
#include <cstdlib>
#include <vector>

namespace {

using RGB = std::array<int, 3>;

const RGB kBlack{0, 0, 0};
const RGB kRed{255, 0, 0};
const RGB kGreen{0, 255, 0};
const RGB kBlue{0, 0, 255};

::testing::AssertionResult looksLike(int x, int y, RGB want, int tol = 2) {
    RGB got = gltest::pixel(x, y);
    for (int i = 0; i < 3; i++)
        if (std::abs(got[i] - want[i]) > tol)
            return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << got[0] << ","
                                                 << got[1] << "," << got[2] << ", wanted " << want[0] << ","
                                                 << want[1] << "," << want[2];
    return ::testing::AssertionSuccess();
}

// 100 pixels per unit, (0, 0) at the centre of the window, looking down -z.
void orthoCamera() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3.2, 3.2, -2.4, 2.4, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// 90 degrees vertically: a point at eye (x, y, z) lands at column
// 320 + 240 * x / -z and row 240 - 240 * y / -z.
void perspectiveCamera() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 640.0 / 480.0, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

class CubeGL : public ::testing::Test {
protected:
    void SetUp() override {
        gltest::resetState();
        glEnable(GL_TEXTURE_2D);
        red.texID = solidTexture(255, 0, 0, 255);
        green.texID = solidTexture(0, 255, 0, 255);
        blue.texID = solidTexture(0, 0, 255, 255);
        halfRed.texID = solidTexture(255, 0, 0, 128);
    }
    void TearDown() override {
        GLuint names[] = {red.texID, green.texID, blue.texID, halfRed.texID};
        glDeleteTextures(4, names);
        for (GLuint l : lists) glDeleteLists(l, 1);
        gltest::resetState();
    }
    static GLuint solidTexture(unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
        unsigned char px[16];
        for (int i = 0; i < 16; i += 4) {
            px[i] = r;
            px[i + 1] = g;
            px[i + 2] = b;
            px[i + 3] = a;
        }
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        // Without mipmaps the default minifying filter would leave it incomplete.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, px);
        glBindTexture(GL_TEXTURE_2D, 0);
        return name;
    }
    static GLint boundTexture() {
        GLint name = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return name;
    }
    void clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

    VK_TEXTURE red, green, blue, halfRed;
    std::vector<GLuint> lists;
};

}  // namespace

TEST_F(CubeGL, EachFaceShowsItsTexture) {
    orthoCamera();
    VK_CUBE cube(-0.5f, -0.5f, -0.5f, &red, &green, &blue);

    glTranslatef(0, 0, -10);  // facing the z+1 side
    cube.Draw();
    EXPECT_TRUE(looksLike(320, 240, kBlue));
    EXPECT_TRUE(looksLike(275, 205, kBlue));
    EXPECT_TRUE(looksLike(365, 275, kBlue));
    EXPECT_TRUE(looksLike(260, 240, kBlack));
    EXPECT_TRUE(looksLike(320, 300, kBlack));
    EXPECT_EQ(boundTexture(), GLint(blue.texID));

    clear();
    glRotatef(90, 1, 0, 0);  // world +y now points at the eye: the top
    cube.Draw();
    EXPECT_TRUE(looksLike(320, 240, kGreen));

    clear();
    glRotatef(-180, 1, 0, 0);  // the bottom
    cube.Draw();
    EXPECT_TRUE(looksLike(320, 240, kRed));
}

TEST_F(CubeGL, DrawsAtItsOwnPosition) {
    orthoCamera();
    glTranslatef(0, 0, -10);
    VK_CUBE cube(0.5f, -1.5f, -0.5f, &blue, &blue, &blue);
    cube.Draw();
    // x in [0.5, 1.5] -> columns 370..470; y in [-1.5, -0.5] -> rows 290..390.
    EXPECT_TRUE(looksLike(420, 340, kBlue));
    EXPECT_TRUE(looksLike(375, 295, kBlue));
    EXPECT_TRUE(looksLike(465, 385, kBlue));
    EXPECT_TRUE(looksLike(320, 240, kBlack));
    EXPECT_TRUE(looksLike(365, 340, kBlack));
    EXPECT_TRUE(looksLike(475, 340, kBlack));
    EXPECT_TRUE(looksLike(420, 285, kBlack));
    EXPECT_TRUE(looksLike(420, 395, kBlack));
}

TEST_F(CubeGL, BlendedCubeMixesWithWhatIsBehind) {
    orthoCamera();
    glClearColor(0, 0, 1, 1);
    clear();
    glTranslatef(0, 0, -10);
    VK_CUBE cube(-0.5f, -0.5f, -0.5f, &halfRed, &halfRed, &halfRed);
    cube.blended = true;
    cube.Draw();
    // No culling: the far z face blends over the clear colour, then the
    // near one over that, each at alpha 128/255.
    EXPECT_TRUE(looksLike(320, 240, RGB{192, 0, 63}, 3));
    EXPECT_TRUE(looksLike(260, 240, kBlue));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);

    // The same cube unblended covers what is behind; alpha is ignored.
    clear();
    cube.blended = false;
    cube.Draw();
    EXPECT_TRUE(looksLike(320, 240, kRed));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(CubeGL, DepthStateAfterDraw) {
    orthoCamera();
    glTranslatef(0, 0, -10);
    VK_CUBE cube(-0.5f, -0.5f, -0.5f, &red, &green, &blue);
    glDisable(GL_DEPTH_TEST);
    cube.blended = true;
    cube.Draw();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));  // a blended cube leaves it alone
    cube.blended = false;
    cube.Draw();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(CubeGL, MakeListRecordsWithoutDrawing) {
    perspectiveCamera();
    glTranslatef(-0.5f, -0.5f, -3);  // the origin cube would fill the centre
    VK_CUBE cube(0, 0, 0, &red, &green, &blue);
    GLuint a = cube.MakeList();
    GLuint b = cube.MakeList();
    lists = {a, b};
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_TRUE(glIsList(a));
    EXPECT_TRUE(looksLike(320, 240, kBlack));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    glCallList(a);  // replaying at the same camera shows it
    EXPECT_TRUE(looksLike(320, 240, kBlue));
}

TEST_F(CubeGL, DrawSIgnoresTheCameraAndRestoresIt) {
    perspectiveCamera();
    VK_CUBE cube(0, 0, 0, &red, &green, &blue);
    cube.SetList(cube.MakeList());
    lists = {cube.displayList};
    // One unit right, five ahead, centred vertically: the near face
    // (z = -4, x in [1, 2], y in [-0.5, 0.5]) spans columns 380..440 and
    // rows 210..270.
    cube.x = 1;
    cube.y = -0.5f;
    cube.z = -5;

    const float eyeCameras[2][4] = {{0, 0, 0, 0}, {33, 1, 1, 0}};
    std::vector<std::vector<unsigned char>> screens;
    for (const auto& cam : eyeCameras) {
        clear();
        glLoadIdentity();
        if (cam[0] != 0) {
            gluLookAt(7, 3, 2, 0, 0, 0, 0, 1, 0);
            glRotatef(cam[0], cam[1], cam[2], cam[3]);
        }
        GLfloat before[16], after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, before);
        glBindTexture(GL_TEXTURE_2D, 0);
        cube.DrawS();
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        for (int i = 0; i < 16; i++) EXPECT_EQ(before[i], after[i]) << "element " << i;

        EXPECT_TRUE(looksLike(410, 240, kBlue));
        EXPECT_TRUE(looksLike(385, 215, kBlue));
        EXPECT_TRUE(looksLike(435, 265, kBlue));
        EXPECT_TRUE(looksLike(350, 240, kBlack));
        EXPECT_TRUE(looksLike(450, 240, kBlack));
        EXPECT_TRUE(looksLike(410, 200, kBlack));
        EXPECT_TRUE(looksLike(410, 280, kBlack));
        EXPECT_EQ(boundTexture(), GLint(blue.texID));
        screens.push_back(gltest::readScreen());
    }
    EXPECT_TRUE(screens[0] == screens[1]) << "the camera changed the replayed cube";
}

TEST_F(CubeGL, ReplayedListRebindsEachFacesTexture) {
    perspectiveCamera();
    VK_CUBE cube(0, 0, 0, &red, &green, &blue);
    cube.SetList(cube.MakeList());
    lists = {cube.displayList};
    // Above the eye: its bottom (y = 1, z in [-3, -2]) covers rows 120..160
    // at the centre column, its near side (z = -2) rows 0..120.
    cube.x = -0.5f;
    cube.y = 1;
    cube.z = -3;
    glBindTexture(GL_TEXTURE_2D, green.texID);
    cube.DrawS();
    EXPECT_TRUE(looksLike(320, 140, kRed));
    EXPECT_TRUE(looksLike(320, 60, kBlue));
    EXPECT_TRUE(looksLike(320, 200, kBlack));
}
