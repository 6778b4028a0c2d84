#include <gtest/gtest.h>
#include "gl_env.h"
TEST(SmokeGL, ClearColour) {
    glClearColor(0.3f, 0.5f, 0.7f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    auto p = gltest::pixel(10, 10);
    EXPECT_NEAR(p[0], 77, 2); EXPECT_NEAR(p[1], 128, 2); EXPECT_NEAR(p[2], 179, 2);
}
