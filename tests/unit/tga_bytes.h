#pragma once

// Builds Targa files byte by byte for the reader and loader tests, and the
// smallest whole bitmap for tests that only need one to exist.

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

// A 2x2 24-bit bitmap with a complete header: the loader's own checks pass
// it on to SDL (the stand-in decodes any file as 2x2).
inline std::string tinyBmp() {
    std::string f(70, '\0');
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) f[at + i] = char(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put(2, 70);
    put(10, 54);  // pixels after the 40-byte info header
    put(14, 40);
    put(18, 2);
    put(22, 2);
    f[26] = 1;   // planes
    f[28] = 24;  // bits per pixel
    return f;
}
