#pragma once

#include <cstddef>

// Counts heap allocations (malloc, calloc, realloc, aligned forms, and so
// every operator new) made by any code in the process between start() and
// stop(). In a normal build the C library's allocator is wrapped; under
// AddressSanitizer its allocation hook is used instead.
namespace alloc {

void start();
size_t stop();

// Prints the call stack of the first allocation counted by the last
// start()/stop() window to standard error (nothing if there was none).
void printFirst();

}  // namespace alloc
