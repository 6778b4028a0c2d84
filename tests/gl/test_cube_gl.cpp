// The cube rendered by Mesa: where it lands on screen, which texture each
// face shows, blending, and display-list replay in eye space.
#include <gtest/gtest.h>

#include "engine/vaskel_primitives.h"
#include "engine/vaskel_texture.h"
#include "gl_env.h"

#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace {

using RGB = std::array<int, 3>;

const RGB kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

::testing::AssertionResult looksLike(int x, int y, RGB want, int tol = 2) {
    RGB got = gltest::pixel(x, y);
    for (int i = 0; i < 3; i++)
        if (std::abs(got[i] - want[i]) > tol)
            return ::testing::AssertionFailure()
                   << "pixel (" << x << ", " << y << ") channel " << i << " is " << got[i] << ", wanted " << want[i];
    return ::testing::AssertionSuccess();
}

// Columns x0..x1 and rows y0..y1 show `inside` at the centre and near two
// corners, and black 15 pixels beyond each edge.
::testing::AssertionResult region(int x0, int y0, int x1, int y1, RGB inside) {
    const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
    const struct {
        int x, y;
        RGB want;
    } probes[] = {{mx, my, inside},      {x0 + 5, y0 + 5, inside}, {x1 - 5, y1 - 5, inside}, {x0 - 15, my, kBlack},
                  {x1 + 15, my, kBlack}, {mx, y0 - 15, kBlack},    {mx, y1 + 15, kBlack}};
    for (const auto& p : probes)
        if (auto r = looksLike(p.x, p.y, p.want); !r) return r;
    return ::testing::AssertionSuccess();
}

void camera(bool ortho) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (ortho)
        glOrtho(-3.2, 3.2, -2.4, 2.4, 0.1, 100);  // 100 pixels per unit, (0, 0) at the centre
    else
        gluPerspective(90, 640.0 / 480.0, 0.1, 100);  // eye (x, y, z) at column 320 - 240 x / z, row 240 + 240 y / z
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
        if (list) glDeleteLists(list, 1);
        gltest::resetState();
    }
    static GLuint solidTexture(unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
        const unsigned char px[16] = {r, g, b, a, r, g, b, a, r, g, b, a, r, g, b, a};
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        // Without mipmaps the default minifying filter would leave it incomplete.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, px);
        glBindTexture(GL_TEXTURE_2D, 0);
        return name;
    }
    static void clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

    VK_TEXTURE red, green, blue, halfRed;
    GLuint list = 0;
};

}  // namespace

TEST_F(CubeGL, DrawShowsEachFaceItsTextureAtTheCubesPosition) {
    camera(true);
    glTranslatef(0, 0, -10);
    VK_CUBE cube(-0.5f, -0.5f, -0.5f, &red, &green, &blue);
    cube.Draw();
    EXPECT_TRUE(region(270, 190, 370, 290, kBlue));  // the z+1 side faces the eye
    glRotatef(90, 1, 0, 0);  // world +y towards the eye: the top
    clear();
    cube.Draw();
    EXPECT_TRUE(looksLike(320, 240, kGreen));
    glRotatef(-180, 1, 0, 0);  // the bottom
    clear();
    cube.Draw();
    EXPECT_TRUE(looksLike(320, 240, kRed));

    glRotatef(90, 1, 0, 0);
    clear();
    cube.x = 0.5f;
    cube.y = -1.5f;
    cube.Draw();
    EXPECT_TRUE(region(370, 290, 470, 390, kBlue));
}

TEST_F(CubeGL, BlendedCubeMixesWithWhatIsBehindOpaqueCovers) {
    camera(true);
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

    clear();
    cube.blended = false;  // alpha is ignored
    cube.Draw();
    EXPECT_TRUE(looksLike(320, 240, kRed));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(CubeGL, DrawSReplaysTheListAtItsEyeSpacePositionWhateverTheCamera) {
    camera(false);
    glTranslatef(-0.5f, -0.5f, -3);  // the cube would fill the centre if MakeList drew it
    VK_CUBE cube(0, 0, 0, &red, &green, &blue);
    cube.SetList(list = cube.MakeList());
    EXPECT_TRUE(looksLike(320, 240, kBlack));

    // One unit right, five ahead: the near face (z = -4, x 1..2, y -0.5..0.5)
    // spans columns 380..440 and rows 210..270.
    cube.x = 1;
    cube.y = -0.5f;
    cube.z = -5;
    std::vector<std::vector<unsigned char>> screens;
    for (float angle : {0.0f, 33.0f}) {
        clear();
        glLoadIdentity();
        gluLookAt(7, 3, 2, 0, 0, angle, 0, 1, 0);
        glRotatef(angle, 1, 1, 0);
        GLfloat before[16], after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, before);
        glBindTexture(GL_TEXTURE_2D, 0);
        cube.DrawS();
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_TRUE(std::equal(before, before + 16, after)) << "modelview changed";
        EXPECT_TRUE(region(380, 210, 440, 270, kBlue));
            screens.push_back(gltest::readScreen());
    }
    EXPECT_TRUE(screens[0] == screens[1]) << "the camera changed the replayed cube";
}
