// The context that the GL entry points of the browser build act on.
#pragma once

#include "glcore.h"

namespace vkw {
// Not owned; null drops every call.
void setContext(Context* context);
Context* context();
}  // namespace vkw
