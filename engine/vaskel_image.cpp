#include "vaskel_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// ID length 0, no colour map, image type 2, empty colour map fields, origin 0,0.
const unsigned char kTgaHeader[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Bytes between the stream position and its end, or -1 when the stream
// cannot tell (a pipe). Lets a short file be refused before a header that
// claims gigabytes makes us allocate them.
long long bytesLeft(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0) return -1;
    return end < here ? -1 : end - here;
}

uint32_t le16(const unsigned char* p) { return p[0] | uint32_t(p[1]) << 8; }
uint32_t le32(const unsigned char* p) { return le16(p) | le16(p + 2) << 16; }

// The sizes from the first got bytes of a file that starts with "BM";
// false when the header ends before them.
bool readHeader(const unsigned char* h, size_t got, VK_BMP_INFO& b) {
    if (got < 18) return false;
    if (le32(h + 14) == 12) {  // OS/2 core header: unsigned 16-bit sizes
        if (got < 26) return false;
        b.width = le16(h + 18);
        b.rows = le16(h + 20);
        b.bits = le16(h + 24);
    } else {  // every other size is read with the Windows layout, as SDL does
        if (got < 34) return false;
        b.width = uint64_t(std::llabs(int32_t(le32(h + 18))));
        b.rows = uint64_t(std::llabs(int32_t(le32(h + 22))));  // negative: top row first
        b.bits = le16(h + 28);
        b.compression = le32(h + 30);
    }
    b.offset = le32(h + 10);
    return true;
}

const uint32_t kRle8 = 1, kRle4 = 2;

bool runLength(const VK_BMP_INFO& b) { return b.compression == kRle8 || b.compression == kRle4; }

// Whether size bytes of file hold the pixels the header claims; a stream
// that cannot tell its size gets the benefit of the doubt.
bool pixelsFit(const VK_BMP_INFO& b, long long size) {
    if (size < 0) return true;
    uint64_t held = uint64_t(size) > b.offset ? uint64_t(size) - b.offset : 0;

    // A run-length code puts down at most 255 pixels for its 2 bytes; the
    // end-of-line, delta and end-of-picture codes leave the rest to the
    // background, so a few bytes could claim any size and have SDL decode
    // gigabytes. A picture larger than its data could fill with runs is
    // refused, which bounds the decoded picture by the file.
    if (runLength(b)) return held >= 2 && b.width * b.rows <= held / 2 * 255;

    // Rows are padded to 4 bytes, except that SDL does not insist on the
    // last row's padding.
    uint64_t lastRow = (b.width * b.bits + 7) / 8;
    if (lastRow == 0 || b.rows == 0) return true;
    uint64_t row = (lastRow + 3) & ~uint64_t(3);
    return lastRow <= held && b.rows - 1 <= (held - lastRow) / row;
}

// The palette of a paletted bitmap whose info header is longer than 40
// bytes, read from where that header ends; h holds the file's first bytes.
int readLongHeaderPalette(FILE* file, const unsigned char h[50], unsigned char rgb[256][3]) {
    uint32_t pixelsAt = le32(h + 10);
    uint32_t headerSize = le32(h + 14);
    uint32_t bits = le16(h + 28);
    uint32_t used = le32(h + 46);
    if (headerSize <= 40 || bits == 0 || bits > 8) return 0;

    uint64_t start = 14 + uint64_t(headerSize);
    if (pixelsAt <= start) return 0;
    uint64_t count = used ? used : (1u << bits);
    count = std::min<uint64_t>({count, 256, (pixelsAt - start) / 4});
    unsigned char entries[256][4];  // B, G, R, reserved
    if (std::fseek(file, long(start), SEEK_SET) != 0) return 0;
    size_t n = std::fread(entries, sizeof entries[0], size_t(count), file);
    for (size_t i = 0; i < n; i++) {
        rgb[i][0] = entries[i][2];
        rgb[i][1] = entries[i][1];
        rgb[i][2] = entries[i][0];
    }
    return int(n);
}

}  // namespace

VK_BMP_INFO vkInspectBmp(FILE* file) {
    VK_BMP_INFO info;
    // The file header and the info header through its colours-used field.
    unsigned char h[50];
    if (!file || std::fseek(file, 0, SEEK_SET) != 0) return info;
    size_t got = std::fread(h, 1, sizeof h, file);
    if (got < 2 || h[0] != 'B' || h[1] != 'M') return info;
    if (!readHeader(h, got, info)) {
        info.verdict = VK_BMP_HEADER_CUT;
        return info;
    }
    if (std::fseek(file, 0, SEEK_SET) != 0 || !pixelsFit(info, bytesLeft(file))) {
        info.verdict = VK_BMP_PIXELS_MISSING;
        return info;
    }
    info.verdict = VK_BMP_ACCEPTABLE;
    if (got == sizeof h) info.colors = readLongHeaderPalette(file, h, info.palette);
    return info;
}

VK_BMP_INFO vkInspectBmpFile(const char* fileName) {
    FILE* file = std::fopen(fileName, "rb");
    VK_BMP_INFO info = vkInspectBmp(file);
    if (file) std::fclose(file);
    return info;
}

bool vkReadTGA(FILE* file, VK_TGA_IMAGE* image) {
    if (!image) return false;
    image->pixels = nullptr;
    if (!file) return false;

    unsigned char head[12];
    if (std::fread(head, 1, sizeof head, file) != sizeof head) return false;
    if (std::memcmp(head, kTgaHeader, sizeof head) != 0) return false;

    unsigned char info[6];
    if (std::fread(info, 1, sizeof info, file) != sizeof info) return false;
    image->width = info[0] + 256u * info[1];
    image->height = info[2] + 256u * info[3];
    unsigned depth = info[4];  // info[5], the descriptor, is ignored
    if (image->width == 0 || image->height == 0 || (depth != 24 && depth != 32)) return false;

    // A count that does not fit 32 bits is refused like a bad header.
    uint64_t count = uint64_t(image->width) * image->height * (depth / 8);
    if (count > 0xFFFFFFFFull) return false;
    image->bpp = depth;

    long long left = bytesLeft(file);
    if (left >= 0 && uint64_t(left) < count) return false;
    auto* pixels = new (std::nothrow) unsigned char[count];
    if (!pixels) return false;
    if (std::fread(pixels, 1, count, file) != count) {
        delete[] pixels;
        return false;
    }
    size_t step = depth / 8;
    for (size_t i = 0; i + 2 < count; i += step) {
        unsigned char b = pixels[i];
        pixels[i] = pixels[i + 2];
        pixels[i + 2] = b;
    }
    image->pixels = pixels;
    return true;
}
