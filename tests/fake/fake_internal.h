#pragma once

#include "fake.h"

#include <string>
#include <vector>

namespace fake {
std::string num(double v);
std::string num(float v);
std::string enumName(GLenum e);
void record(const char* name, std::vector<double> args, const std::string& argText);
}  // namespace fake
