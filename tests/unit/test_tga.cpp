#include "engine/vaskel_image.h"
#include "tga_bytes.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <vector>

namespace {

unsigned u8(const std::string& b, size_t i) { return static_cast<unsigned char>(b[i]); }

// "WxHxD" and the pixels as the reader should hand them out, from the header.
std::string wanted(const std::string& file) {
    unsigned w = u8(file, 12) | u8(file, 13) << 8, h = u8(file, 14) | u8(file, 15) << 8, d = u8(file, 16);
    return std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(d) + " " +
           tgaSwapped(file.substr(18, size_t(w) * h * d / 8), d);
}

// Reads through a seekable temporary file, or through a pipe, where the
// reader cannot learn the length first. Returns wanted()'s form or "refused".
std::string read(const std::string& bytes, bool pipe) {
    FILE* f = nullptr;
    int fds[2];
    if (pipe && ::pipe(fds) == 0) {
        EXPECT_EQ(write(fds[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
        close(fds[1]);
        f = fdopen(fds[0], "rb");
    } else if (!pipe && (f = std::tmpfile())) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::rewind(f);
    }
    if (!f) return "no stream";
    VK_TGA_IMAGE image;
    bool ok = vkReadTGA(f, &image);
    std::fclose(f);
    if (!ok) return image.pixels ? "refused but pixels left" : "refused";
    std::string got = std::to_string(image.width) + "x" + std::to_string(image.height) + "x" +
                      std::to_string(image.bpp) + " " +
                      std::string(reinterpret_cast<char*>(image.pixels), size_t(image.width) * image.height * image.bpp / 8);
    delete[] image.pixels;
    return got;
}

}  // namespace

TEST(TgaReader, AcceptsOnlyUncompressedTrueColourWithAllItsPixels) {
    struct Case {
        std::string what, bytes;
        bool ok;
    };
    std::vector<Case> cases = {
        {"24-bit, trailer not read", tgaFile(3, 2, 24) + "TRUEVISION-XFILE.", true},
        {"32-bit keeps alpha", tgaFile(2, 3, 32), true},
        {"descriptor ignored", tgaHeader(2, 2, 32, 0x28) + tgaPixels(2, 2, 32), true},
    };
    for (unsigned w : {1u, 5u, 7u}) cases.push_back({"odd width " + std::to_string(w), tgaFile(w, 3, 24), true});

    // Each refused by its header alone: the file holds plenty of bytes.
    const std::string good = tgaFile(4, 4, 24) + std::string(64, '\x55');
    const struct {
        const char* what;
        size_t at;
        char value;
    } header[] = {
        {"image ID", 0, 4},       {"colour map present", 1, 1}, {"colour-mapped", 2, 1}, {"grey", 2, 3},
        {"RLE", 2, 10},           {"map first entry", 3, 1},    {"map length", 5, 1},    {"map entry size", 7, 24},
        {"x origin", 8, 1},       {"x origin high", 9, 1},      {"y origin", 10, 32},    {"y origin high", 11, 1},
        {"8-bit", 16, 8},         {"15-bit", 16, 15},           {"16-bit", 16, 16},      {"width 0", 12, 0},
        {"height 0", 14, 0},
    };
    for (const auto& h : header) {
        std::string f = good;
        f[h.at] = h.value;
        cases.push_back({h.what, f, false});
    }
    for (size_t n = 0; n < 18; n++) cases.push_back({"header cut to " + std::to_string(n), good.substr(0, n), false});
    for (unsigned d : {24u, 32u}) {
        std::string f = tgaFile(5, 3, d);
        for (size_t cut : {size_t(1), size_t(d / 8), f.size() - 18})
            cases.push_back({std::to_string(d) + "-bit short by " + std::to_string(cut), f.substr(0, f.size() - cut), false});
    }
    // 2^32 bytes and more.
    for (auto [w, h, d] : {std::tuple{65535u, 65535u, 32u}, {65535u, 65535u, 24u}, {32768u, 32768u, 32u}})
        cases.push_back({"overflows 32 bits", tgaHeader(w, h, d) + std::string(1024, '\x11'), false});

    for (const Case& c : cases)
        for (bool pipe : {false, true})
            EXPECT_EQ(read(c.bytes, pipe), c.ok ? wanted(c.bytes) : "refused") << c.what << (pipe ? " (pipe)" : "");

    // Fits 32 bits but not the file: refused before gigabytes are allocated
    // (slow, or fatal under ASan, otherwise).
    EXPECT_EQ(read(tgaHeader(40000, 20000, 32) + std::string(1024, '\x11'), false), "refused");
    VK_TGA_IMAGE image;
    EXPECT_FALSE(vkReadTGA(nullptr, &image));
}

// The public Targa samples: whatever the file name says, only headers of
// the accepted kind load, and their pixels come out byte-swapped.
TEST(TgaReader, PublicSamples) {
    std::filesystem::path dir = std::filesystem::path(CORPUS_DIR) / "tga";
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no Targa corpus at " << dir;
    int accepted = 0, refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".tga") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GE(b.size(), 18u) << entry.path();
        unsigned w = u8(b, 12) | u8(b, 13) << 8, h = u8(b, 14) | u8(b, 15) << 8, d = u8(b, 16);
        bool ok = b.compare(0, 12, std::string("\0\0\2\0\0\0\0\0\0\0\0\0", 12)) == 0 && w && h &&
                  (d == 24 || d == 32) && b.size() >= 18 + size_t(w) * h * d / 8;
        EXPECT_EQ(read(b, false), ok ? wanted(b) : "refused") << entry.path();
        (ok ? accepted : refused)++;
    }
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}
