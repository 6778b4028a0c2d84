// libFuzzer target for the bitmap path: the whole loader (the header checks,
// SDL's decoder, conversion to 24-bit B, G, R, row packing, upload) on a
// file with the checking GL stand-in, which reads every byte the upload
// claims. SDL's decoder is reached only through the loader's checks, as in
// the game: on its own it reserves what any header claims.
#include "engine/vaskel_texture.h"
#include "fuzz_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VK_TEXTURE texture(fuzz::writeInput(data, size, ".bmp"), false);
    return 0;
}
