// The WebGL implementation of the GL layer's backend; needs a current
// WebGL 2 context.
#pragma once

#include "glcore.h"

#include <memory>

namespace vkw {
std::unique_ptr<Backend> makeWebGLBackend();
}  // namespace vkw
