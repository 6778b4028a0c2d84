// libFuzzer target for the image unit alone (no SDL, no GL): the bitmap
// inspection and the Targa reader on a memory stream, each input read as
// both kinds.
#include "engine/vaskel_image.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

// fmemopen may refuse a zero-sized buffer; a one-byte buffer read to its
// end behaves like an empty file.
FILE* openMemory(const uint8_t* data, size_t size) {
    static const uint8_t empty = 0;
    FILE* file = fmemopen(const_cast<uint8_t*>(size ? data : &empty), size ? size : 1, "rb");
    if (file && !size) std::fgetc(file);
    return file;
}

void inspectBmp(const uint8_t* data, size_t size) {
    FILE* file = openMemory(data, size);
    if (!file) return;
    VK_BMP_INFO info = vkInspectBmp(file);
    std::fclose(file);
    bool magic = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (magic != (info.verdict != VK_BMP_NOT_BITMAP)) __builtin_trap();
    if (info.colors < 0 || info.colors > 256 || (info.colors && info.verdict != VK_BMP_ACCEPTABLE)) __builtin_trap();
    // An accepted picture's rows lie inside the file; a run-length one's
    // pixels take at least 2 bytes for every 255.
    if (info.verdict != VK_BMP_ACCEPTABLE) return;
    if (info.compression == 1 || info.compression == 2) {
        if (info.offset > size || info.width * info.rows > (size - info.offset) / 2 * 255) __builtin_trap();
        return;
    }
    uint64_t lastRow = (info.width * info.bits + 7) / 8;
    if (lastRow == 0 || info.rows == 0) return;
    unsigned __int128 end = (unsigned __int128)info.offset + lastRow + (info.rows - 1) * ((lastRow + 3) & ~3ull);
    if (end > size) __builtin_trap();
}

void readTga(const uint8_t* data, size_t size) {
    FILE* file = openMemory(data, size);
    if (!file) return;
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
    inspectBmp(data, size);
    readTga(data, size);
    return 0;
}
