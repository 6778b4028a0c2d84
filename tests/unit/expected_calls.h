#pragma once

// Expected call texts shared by the tests that compare whole call logs.

#include <string>
#include <vector>

using Texts = std::vector<std::string>;

// The calls of one projection switch (aresize or sresize); projection is
// the glOrtho/gluPerspective text, or "" for an unknown mode.
inline Texts resizeCalls(const std::string& size, const std::string& projection) {
    Texts v{"glViewport(0, 0, " + size + ")", "glMatrixMode(GL_PROJECTION)", "glLoadIdentity()"};
    if (!projection.empty()) v.push_back(projection);
    v.push_back("glMatrixMode(GL_MODELVIEW)");
    v.push_back("glLoadIdentity()");
    return v;
}

// The 45-degree perspective of a 640x480 screen.
const char* const kPerspective640 = "gluPerspective(45, 1.3333333730697632, 0.1, 100)";
