#pragma once

// Shared set-up for the real-rendering tests: one 640x480 OpenGL window
// opened through SDL 1.2 on the private X display tests/with-xvfb.sh starts; the
// tests run in a scratch working directory, so log files land there.

#include <GL/gl.h>

#include <array>
#include <string>
#include <vector>

namespace gltest {

// RGB of the pixel at window coordinates (x, y), y counted from the top.
std::array<int, 3> pixel(int x, int y);

// The whole colour buffer as RGB rows, bottom row first.
std::vector<unsigned char> readScreen();

// The state the engine's initGL leaves: depth test, identity matrices,
// 640x480 viewport, clear colour black; textures unbound.
void resetState();

// Reads a whole file into a string ("" if it does not exist).
std::string readFile(const std::string& path);

}  // namespace gltest
