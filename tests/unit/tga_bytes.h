#pragma once

// Builds Targa and bitmap files byte by byte for the reader and loader tests.

#include <cstdint>
#include <string>

// An 18-byte header of the accepted kind (type 2, no ID, no colour map,
// origin 0,0) for the given size and depth; tests corrupt single bytes.
inline std::string tgaHeader(unsigned width, unsigned height, unsigned depth, unsigned descriptor = 0) {
    std::string h(18, '\0');
    h[2] = 2;
    h[12] = char(width & 0xFF);
    h[13] = char(width >> 8);
    h[14] = char(height & 0xFF);
    h[15] = char(height >> 8);
    h[16] = char(depth);
    h[17] = char(descriptor);
    return h;
}

// Pixel bytes in file order (B, G, R(, A)), every byte distinct enough to
// show a swap or a shifted row: byte i of the data is (i * 7 + 1) & 0xFF.
inline std::string tgaPixels(unsigned width, unsigned height, unsigned depth) {
    std::string p(size_t(width) * height * (depth / 8), '\0');
    for (size_t i = 0; i < p.size(); i++) p[i] = char((i * 7 + 1) & 0xFF);
    return p;
}

inline std::string tgaFile(unsigned width, unsigned height, unsigned depth) {
    return tgaHeader(width, height, depth) + tgaPixels(width, height, depth);
}

// The same pixels as the reader should hand them out: R, G, B(, A).
inline std::string tgaSwapped(const std::string& filePixels, unsigned depth) {
    std::string out = filePixels;
    for (size_t i = 0; i + 2 < out.size(); i += depth / 8) std::swap(out[i], out[i + 2]);
    return out;
}

// A bitmap with a Windows info header (40 bytes) or, for w and h below
// 65536 and headerSize 12, an OS/2 one; pixel data of dataBytes bytes.
inline std::string bmpClaiming(int32_t w, int32_t h, unsigned bits, uint32_t compression, size_t dataBytes,
                        uint32_t headerSize = 40) {
    std::string f(14 + headerSize, '\0');
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; i++) f[at + i] = char(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put(2, uint32_t(f.size() + dataBytes), 4);
    put(10, uint32_t(f.size()), 4);
    put(14, headerSize, 4);
    if (headerSize == 12) {
        put(18, uint32_t(w), 2), put(20, uint32_t(h), 2), put(22, 1, 2), put(24, bits, 2);
    } else {
        put(18, uint32_t(w), 4), put(22, uint32_t(h), 4), put(26, 1, 2), put(28, bits, 2), put(30, compression, 4);
    }
    return f + std::string(dataBytes, '\x55');
}

// A 2x2 24-bit bitmap with a complete header: the loader's own checks pass
// it on to SDL (the stand-in decodes any file as 2x2).
inline std::string tinyBmp() { return bmpClaiming(2, 2, 24, 0, 16); }
