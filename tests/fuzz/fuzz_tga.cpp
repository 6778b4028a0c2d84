// libFuzzer target for the Targa path: the GL-free reader on a memory
// stream, then the whole loader on a file with the checking GL stand-in, so
// that an upload larger than the pixel buffer is caught too.
#include "engine/vaskel_texture.h"
#include "fuzz_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

void readFromMemory(const uint8_t* data, size_t size) {
    // fmemopen may refuse a zero-sized buffer; a one-byte buffer read to
    // its end behaves like an empty file.
    static const uint8_t empty = 0;
    FILE* file = size ? fmemopen(const_cast<uint8_t*>(data), size, "rb")
                      : fmemopen(const_cast<uint8_t*>(&empty), 1, "rb");
    if (!file) return;
    if (!size) std::fgetc(file);

    VK_TGA_IMAGE image;
    bool ok = vkReadTGA(file, &image);
    std::fclose(file);
    if (!ok && image.pixels) __builtin_trap();  // a failed read hands out no buffer
    if (ok) {
        // Every byte the header promises must be inside the buffer.
        size_t bytes = size_t(image.width) * image.height * (image.bpp / 8);
        if (bytes == 0 || (image.bpp != 24 && image.bpp != 32)) __builtin_trap();
        volatile uint8_t sum = 0;
        for (size_t i = 0; i < bytes; i++) sum = uint8_t(sum + image.pixels[i]);
        (void)sum;
    }
    delete[] image.pixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    readFromMemory(data, size);

    VK_TEXTURE texture(fuzz::writeInput(data, size, ".tga"), true);
    if (texture.texID == 0 && texture.imageData) __builtin_trap();
    VK_SPRITE sprite(fuzz::writeInput(data, size, ".tga"), true);
    sprite.Draw(-5, 470);
    return 0;
}
