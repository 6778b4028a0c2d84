#pragma once

// Image files read without GL or SDL. Lengths are checked before every
// read; nothing a header claims is allocated before the file holds it.

#include <cstdint>
#include <cstdio>

// Only an acceptable bitmap is worth decoding; one that is not a bitmap
// (or cannot be opened) is SDL's to judge and report.
enum VK_BMP_VERDICT {
    VK_BMP_NOT_BITMAP,
    VK_BMP_HEADER_CUT,      // ends before its sizes: no picture can follow
    VK_BMP_PIXELS_MISSING,  // claims more pixels than the data after its pixel offset holds
    VK_BMP_ACCEPTABLE,
};

// A bitmap's header as SDL reads it (a negative height made positive,
// compression 0 for the OS/2 core header, offset where the pixels start),
// and, for a paletted one with a header longer than 40 bytes, its colours
// as R, G, B: classic SDL 1.2 reads them straight after a 40-byte header
// and gets them wrong. colors is 0 when SDL's own palette is right.
struct VK_BMP_INFO {
    VK_BMP_VERDICT verdict = VK_BMP_NOT_BITMAP;
    uint64_t width = 0, rows = 0, bits = 0, compression = 0, offset = 0;
    int colors = 0;
    unsigned char palette[256][3] = {};
};

// From the start of the stream (null: no bitmap), or from the file, opened once.
VK_BMP_INFO vkInspectBmp(FILE* file);
VK_BMP_INFO vkInspectBmpFile(const char* fileName);

// A Targa image: pixels in R, G, B(, A) order, first file row first.
// pixels is allocated with new[] and owned by the caller.
struct VK_TGA_IMAGE {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bpp = 0;
    unsigned char* pixels = nullptr;
};

// Reads the uncompressed true-colour Targa subset from an open stream.
// On failure returns false with pixels null; width, height and bpp keep
// whatever of the header was read.
bool vkReadTGA(FILE* file, VK_TGA_IMAGE* image);
