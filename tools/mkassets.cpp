// mkassets OUTDIR: writes the six images the game loads from textures/.
// mkassets --icons OUTDIR: writes the desktop icon as OUTDIR/NxN/apps/vaskel.png
// for the sizes a hicolor icon theme holds.
// mkassets --favicon FILE: writes the same icon as a 16, 32 and 48 pixel .ico.
// mkassets --png N FILE: writes it as one N x N PNG (the web app's icons).
//
// Floor textures are 24-bit bottom-up Windows bitmaps; the wireframe, the
// crosshair and the logo are 32-bit Targa files in the one layout the game's
// reader takes (no ID, no colour map, no RLE, zero origin), stored bottom row
// first so the sprite mapping shows them upright. The output depends on
// nothing but this file: every random choice comes from a fixed-seed
// generator of our own.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Rgba {
    uint8_t r, g, b, a;
};

// Rows are kept top row first; the writers flip them into file order.
struct Image {
    int w, h;
    std::vector<Rgba> px;
    Image(int width, int height, Rgba fill) : w(width), h(height), px(size_t(width) * height, fill) {}
    Rgba& at(int x, int y) { return px[size_t(y) * w + x]; }
    // Wraps, so anything drawn near an edge continues on the other side and
    // floor textures tile without seams.
    Rgba& wrap(int x, int y) { return at(((x % w) + w) % w, ((y % h) + h) % h); }
};

// xorshift64*: small, fast and the same on every platform.
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed ? seed : 1) {}
    uint64_t next() {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return s_ * 0x2545F4914F6CDD1DULL;
    }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
    int below(int n) { return int(next() % uint64_t(n)); }

private:
    uint64_t s_;
};

uint8_t clampByte(double v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : std::lround(v)); }

Rgba shade(double r, double g, double b, double k) {
    return {clampByte(r * k), clampByte(g * k), clampByte(b * k), 255};
}

// Smooth noise in [0, 1) that repeats every `period` pixels in both axes.
class TileNoise {
public:
    TileNoise(int period, int cells, Rng& rng) : period_(period), cells_(cells), lattice_(size_t(cells) * cells) {
        for (double& v : lattice_) v = rng.unit();
    }
    double at(int x, int y) const {
        double fx = double(x) * cells_ / period_, fy = double(y) * cells_ / period_;
        int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
        double tx = smooth(fx - x0), ty = smooth(fy - y0);
        double top = lerp(cell(x0, y0), cell(x0 + 1, y0), tx);
        double bottom = lerp(cell(x0, y0 + 1), cell(x0 + 1, y0 + 1), tx);
        return lerp(top, bottom, ty);
    }

private:
    static double smooth(double t) { return t * t * (3 - 2 * t); }
    static double lerp(double a, double b, double t) { return a + (b - a) * t; }
    double cell(int x, int y) const {
        x = ((x % cells_) + cells_) % cells_;
        y = ((y % cells_) + cells_) % cells_;
        return lattice_[size_t(y) * cells_ + x];
    }
    int period_, cells_;
    std::vector<double> lattice_;
};

// Octaves of tileable noise, summed to [0, 1).
double fractal(const std::vector<TileNoise>& octaves, int x, int y) {
    double sum = 0, weight = 0, amp = 1;
    for (const TileNoise& n : octaves) {
        sum += n.at(x, y) * amp;
        weight += amp;
        amp *= 0.5;
    }
    return sum / weight;
}

std::vector<TileNoise> makeOctaves(int size, Rng& rng) {
    std::vector<TileNoise> octaves;
    for (int cells = 4; cells <= size / 2; cells *= 2) octaves.emplace_back(size, cells, rng);
    return octaves;
}

void darken(Rgba& p, double k) { p = shade(p.r, p.g, p.b, k); }

// A wandering crack: a random walk that darkens the pixels it crosses.
void crack(Image& img, Rng& rng, int length) {
    double x = rng.below(img.w), y = rng.below(img.h);
    double angle = rng.unit() * 2 * M_PI;
    for (int i = 0; i < length; ++i) {
        darken(img.wrap(int(x), int(y)), 0.45);
        darken(img.wrap(int(x) + 1, int(y)), 0.8);
        angle += (rng.unit() - 0.5) * 0.9;
        x += std::cos(angle);
        y += std::sin(angle);
    }
}

Image makeStone() {
    const int n = 64;
    Rng rng(0x5701E);
    auto octaves = makeOctaves(n, rng);
    Image img(n, n, {0, 0, 0, 255});
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double v = 95 + 80 * fractal(octaves, x, y) + (rng.unit() - 0.5) * 18;
            img.at(x, y) = shade(v, v, v * 1.03, 1);
        }
    for (int i = 0; i < 6; ++i) crack(img, rng, 14 + rng.below(20));
    return img;
}

// Dark blue-black obsidian with a lighter bevel on the top and left edges
// and a shadowed one on the bottom and right, so the tiles read as separate
// slabs next to the stone.
Image makeObsidianTile() {
    const int n = 64, bevel = 4;
    Rng rng(0x0B5D);
    auto octaves = makeOctaves(n, rng);
    Image img(n, n, {0, 0, 0, 255});
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double v = fractal(octaves, x, y);
            double gloss = std::exp(-std::pow((x + y - 40) / 10.0, 2)) * 18;  // a soft diagonal sheen
            Rgba p = {clampByte(14 + 16 * v + gloss), clampByte(12 + 14 * v + gloss),
                      clampByte(30 + 34 * v + gloss * 1.4), 255};
            int fromLit = std::min(x, y), fromDark = std::min(n - 1 - x, n - 1 - y);
            if (fromLit < bevel && fromLit <= fromDark)
                p = {clampByte(70 + 12 * (bevel - fromLit)), clampByte(72 + 12 * (bevel - fromLit)),
                     clampByte(115 + 14 * (bevel - fromLit)), 255};
            else if (fromDark < bevel)
                p = {4, 4, 10, 255};
            img.at(x, y) = p;
        }
    return img;
}

Image makeDirt() {
    const int n = 64;
    Rng rng(0xD127);
    auto octaves = makeOctaves(n, rng);
    Image img(n, n, {0, 0, 0, 255});
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double k = 0.75 + 0.45 * fractal(octaves, x, y) + (rng.unit() - 0.5) * 0.25;
            img.at(x, y) = shade(112, 76, 42, k);
        }
    for (int i = 0; i < 14; ++i) {  // pebbles: a light pixel over a dark one
        int x = rng.below(n), y = rng.below(n);
        img.wrap(x, y) = {150, 130, 105, 255};
        img.wrap(x + 1, y) = {130, 112, 90, 255};
        img.wrap(x, y + 1) = {60, 40, 22, 255};
        img.wrap(x + 1, y + 1) = {60, 40, 22, 255};
    }
    return img;
}

// Thin bright edges and one diagonal on a fully transparent face.
Image makeWireframe() {
    const int n = 64;
    const Rgba line = {150, 230, 255, 255};
    Image img(n, n, {0, 0, 0, 0});
    for (int i = 0; i < n; ++i) {
        img.at(i, 0) = img.at(i, n - 1) = img.at(0, i) = img.at(n - 1, i) = line;
        img.at(i, n - 1 - i) = line;
    }
    return img;
}

// A plus sign with a centre dot and a gap around it, white with a dark rim so
// it shows against sky and floor alike. Symmetric about the middle of the
// 16x16 image, so drawn at (312, 232) it centres on (320, 240).
Image makeCrosshair() {
    const int n = 16;
    Image img(n, n, {0, 0, 0, 0});
    auto arm = [](int a) { return (a >= 2 && a <= 5) || (a >= 10 && a <= 13); };
    auto mid = [](int a) { return a == 7 || a == 8; };
    std::vector<bool> white(size_t(n) * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            white[size_t(y) * n + x] = (mid(x) && (arm(y) || mid(y))) || (mid(y) && arm(x));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            if (white[size_t(y) * n + x]) {
                img.at(x, y) = {255, 255, 255, 255};
                continue;
            }
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < n && ny < n && white[size_t(ny) * n + nx])
                        img.at(x, y) = {16, 16, 16, 220};
                }
        }
    return img;
}

// 5x7 glyphs of the letters the logo needs; '#' is ink.
const char* glyph(char c) {
    switch (c) {
        case 'V': return "#...#" "#...#" "#...#" "#...#" ".#.#." ".#.#." "..#..";
        case 'A': return ".###." "#...#" "#...#" "#####" "#...#" "#...#" "#...#";
        case 'S': return ".####" "#...." "#...." ".###." "....#" "....#" "####.";
        case 'K': return "#...#" "#..#." "#.#.." "##..." "#.#.." "#..#." "#...#";
        case 'E': return "#####" "#...." "#...." "####." "#...." "#...." "#####";
        case 'L': return "#...." "#...." "#...." "#...." "#...." "#...." "#####";
        default: return "....." "....." "....." "....." "....." "....." ".....";
    }
}

bool glyphInk(char c, int gx, int gy) {
    const char* g = glyph(c);
    return gx >= 0 && gy >= 0 && gx < 5 && gy < 7 && g[gy * 5 + gx] == '#';
}

// "VASKEL" in a gold gradient with a dark rim and a soft drop shadow, on a
// transparent background.
Image makeLogo() {
    const int w = 256, h = 64, scale = 6, left = 23, top = 10, rim = 2, drop = 3;
    const std::string text = "VASKEL";
    Image img(w, h, {0, 0, 0, 0});
    auto ink = [&](int x, int y) {
        int lx = x - left, ly = y - top;
        if (lx < 0 || ly < 0) return false;
        int cell = lx / scale / 6;  // 5 columns of glyph, 1 of spacing
        if (cell >= int(text.size())) return false;
        return glyphInk(text[cell], lx / scale % 6, ly / scale);
    };
    auto near = [&](int x, int y, int r) {
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                if (ink(x + dx, y + dy)) return true;
        return false;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (ink(x, y)) {
                double t = double(y - top) / (7 * scale);
                img.at(x, y) = {clampByte(255 - 20 * t), clampByte(232 - 120 * t), clampByte(120 - 100 * t), 255};
            } else if (near(x, y, rim)) {
                img.at(x, y) = {40, 22, 8, 255};
            } else if (near(x - drop, y - drop, rim)) {
                img.at(x, y) = {0, 0, 0, 110};
            }
        }
    return img;
}

// The desktop icon: the game's own view in small, a fogged checkerboard of
// stone and obsidian running to the horizon under the sky, with the
// crosshair, in a rounded square. Each pixel averages 4 x 4 samples.
Image makeIcon(int n) {
    Image img(n, n, {0, 0, 0, 0});
    const double horizon = 0.42, corner = 0.18;
    const double sky[3] = {76, 128, 178}, fog[3] = {51, 102, 153};
    const double stone[3] = {150, 156, 128}, obsidian[3] = {30, 30, 62};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double sum[3] = {0, 0, 0}, cover = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    double u = (x + (sx + 0.5) / 4) / n, v = (y + (sy + 0.5) / 4) / n;
                    // Outside the rounded corners nothing is drawn.
                    double cu = std::max(0.0, std::max(corner - u, u - (1 - corner)));
                    double cv = std::max(0.0, std::max(corner - v, v - (1 - corner)));
                    if (cu * cu + cv * cv > corner * corner) continue;
                    cover += 1;
                    const double* c = sky;
                    double mix = 0, col[3];
                    if (v > horizon) {
                        double depth = 0.35 / (v - horizon);  // floor distance
                        double fx = (u - 0.5) * depth * 2.2;
                        bool dark = (int(std::floor(fx)) + int(std::floor(depth))) & 1;
                        c = dark ? obsidian : stone;
                        mix = std::min(1.0, depth / 14.0);
                    }
                    for (int i = 0; i < 3; ++i) col[i] = c[i] * (1 - mix) + fog[i] * mix;
                    // The crosshair: a white plus in the middle of the sky.
                    double dx = std::fabs(u - 0.5), dy = std::fabs(v - 0.26);
                    if ((dx < 0.025 && dy < 0.1) || (dy < 0.025 && dx < 0.1)) col[0] = col[1] = col[2] = 255;
                    for (int i = 0; i < 3; ++i) sum[i] += col[i];
                }
            if (cover == 0) continue;
            img.at(x, y) = {clampByte(sum[0] / cover), clampByte(sum[1] / cover), clampByte(sum[2] / cover),
                            clampByte(255 * cover / 16)};
        }
    return img;
}

void put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// 24-bit BI_RGB bitmap: rows bottom-up, B G R, each padded to 4 bytes.
std::vector<uint8_t> encodeBmp(const Image& img) {
    const uint32_t rowBytes = (uint32_t(img.w) * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * uint32_t(img.h), offset = 14 + 40;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + dataBytes);
    put32(out, 0);  // reserved
    put32(out, offset);
    put32(out, 40);  // BITMAPINFOHEADER
    put32(out, uint32_t(img.w));
    put32(out, uint32_t(img.h));  // positive: bottom-up
    put16(out, 1);                // planes
    put16(out, 24);
    put32(out, 0);  // BI_RGB
    put32(out, dataBytes);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = img.h - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int x = 0; x < img.w; ++x) {
            const Rgba& p = img.px[size_t(y) * img.w + x];
            out.insert(out.end(), {p.b, p.g, p.r});
        }
        out.resize(start + rowBytes, 0);
    }
    return out;
}

// Uncompressed true-colour Targa, 32-bit B G R A, bottom row first; the
// descriptor says so (origin bit clear) and counts 8 alpha bits.
std::vector<uint8_t> encodeTga(const Image& img) {
    std::vector<uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(out, unsigned(img.w));
    put16(out, unsigned(img.h));
    out.push_back(32);
    out.push_back(8);
    for (int y = img.h - 1; y >= 0; --y)
        for (int x = 0; x < img.w; ++x) {
            const Rgba& p = img.px[size_t(y) * img.w + x];
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    return out;
}

uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void putBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void pngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBe32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBe32(out, crc32(&out[start], out.size() - start));
}

// RGBA PNG with its pixels in stored (uncompressed) deflate blocks: no
// compressor needed, and icons are small.
std::vector<uint8_t> encodePng(const Image& img) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < img.h; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < img.w; ++x) {
            const Rgba& p = img.px[size_t(y) * img.w + x];
            raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        if (raw.empty()) break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    putBe32(z, (b << 16) | a);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    putBe32(ihdr, uint32_t(img.w));
    putBe32(ihdr, uint32_t(img.h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter set, no interlace
    pngChunk(out, "IHDR", ihdr);
    pngChunk(out, "IDAT", z);
    pngChunk(out, "IEND", {});
    return out;
}

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "mkassets: cannot create %s\n", path.string().c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "mkassets: cannot write %s\n", path.string().c_str());
    return ok;
}

}  // namespace

bool writeIcons(const std::filesystem::path& dir) {
    bool ok = true;
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256}) {
        std::string size = std::to_string(n) + "x" + std::to_string(n);
        std::error_code ec;
        std::filesystem::create_directories(dir / size / "apps", ec);
        ok = writeFile(dir / size / "apps" / "vaskel.png", encodePng(makeIcon(n))) && ok;
    }
    return ok;
}

// An .ico holding PNG images, as every current browser reads it.
std::vector<uint8_t> encodeIco(const std::vector<int>& sizes) {
    std::vector<std::vector<uint8_t>> pngs;
    for (int n : sizes) pngs.push_back(encodePng(makeIcon(n)));
    std::vector<uint8_t> out;
    put16(out, 0);
    put16(out, 1);  // an icon
    put16(out, unsigned(sizes.size()));
    uint32_t offset = uint32_t(6 + 16 * sizes.size());
    for (size_t i = 0; i < sizes.size(); i++) {
        out.push_back(uint8_t(sizes[i] % 256));  // 256 is written as 0
        out.push_back(uint8_t(sizes[i] % 256));
        out.push_back(0);  // no palette
        out.push_back(0);
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, uint32_t(pngs[i].size()));
        put32(out, offset);
        offset += uint32_t(pngs[i].size());
    }
    for (const auto& png : pngs) out.insert(out.end(), png.begin(), png.end());
    return out;
}

int main(int argc, char** argv) {
    bool icons = argc == 3 && std::string(argv[1]) == "--icons";
    if (argc == 3 && std::string(argv[1]) == "--favicon") return writeFile(argv[2], encodeIco({16, 32, 48})) ? 0 : 1;
    int side = argc == 4 && std::string(argv[1]) == "--png" ? std::atoi(argv[2]) : 0;
    if (side >= 16 && side <= 1024) return writeFile(argv[3], encodePng(makeIcon(side))) ? 0 : 1;
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: mkassets OUTDIR | mkassets --icons OUTDIR | mkassets --favicon FILE | "
                             "mkassets --png N FILE\n");
        return 2;
    }
    const std::filesystem::path dir = argv[argc - 1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "mkassets: cannot create %s: %s\n", argv[argc - 1], ec.message().c_str());
        return 1;
    }
    if (icons) return writeIcons(dir) ? 0 : 1;
    bool ok = writeFile(dir / "stone.bmp", encodeBmp(makeStone()));
    ok = writeFile(dir / "ob_tile.bmp", encodeBmp(makeObsidianTile())) && ok;
    ok = writeFile(dir / "dirt.bmp", encodeBmp(makeDirt())) && ok;
    ok = writeFile(dir / "wireframe.tga", encodeTga(makeWireframe())) && ok;
    ok = writeFile(dir / "crosshair.tga", encodeTga(makeCrosshair())) && ok;
    ok = writeFile(dir / "vaskellogo.tga", encodeTga(makeLogo())) && ok;
    return ok ? 0 : 1;
}
