#include <gtest/gtest.h>
#include "../fake/fake.h"
#include "game/game.h"
TEST(Smoke, Links) { fake::reset(); EXPECT_DOUBLE_EQ(deg2rad(180), 3.141592653589793); }
