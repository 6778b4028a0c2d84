// libFuzzer target for the Targa path: the whole loader on a file with the
// checking GL stand-in, so that an upload larger than the pixel buffer is
// caught. The reader alone is fuzz_image's.
#include "engine/vaskel_texture.h"
#include "fuzz_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VK_TEXTURE texture(fuzz::writeInput(data, size, ".tga"), true);
    if (texture.texID == 0 && texture.imageData) __builtin_trap();
    VK_SPRITE sprite(fuzz::writeInput(data, size, ".tga"), true);
    sprite.Draw(-5, 470);
    return 0;
}
