// libFuzzer target for the bitmap path: the whole loader (the inspection,
// SDL's decoder, conversion to 24-bit B, G, R, row packing, upload) on a
// file with the checking GL stand-in, which reads every byte the upload
// claims. SDL's decoder is reached only through the inspection, as in the
// game: on its own it reserves what any header claims.
#include "engine/vaskel_image.h"
#include "engine/vaskel_texture.h"
#include "fuzz_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* file = fuzz::writeInput(data, size, ".bmp");
    VK_TEXTURE texture(file, false);
    // Only a bitmap the inspection accepted becomes a texture.
    if (texture.texID != 0 && vkInspectBmpFile(file).verdict != VK_BMP_ACCEPTABLE) __builtin_trap();
    return 0;
}
