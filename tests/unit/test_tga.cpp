#include "engine/vaskel_texture.h"
#include "tga_bytes.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// Reads bytes through a seekable temporary file, as the loader does.
struct ReadResult {
    bool ok;
    VK_TGA_IMAGE image;
    std::string pixels;
};

ReadResult readBytes(const std::string& bytes) {
    ReadResult r{false, {}, {}};
    FILE* f = std::tmpfile();
    if (!f) return r;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    r.ok = vkReadTGA(f, &r.image);
    std::fclose(f);
    if (r.image.pixels) {
        size_t n = size_t(r.image.width) * r.image.height * (r.image.bpp / 8);
        r.pixels.assign(reinterpret_cast<char*>(r.image.pixels), n);
        delete[] r.image.pixels;
    }
    return r;
}

// Same through a pipe, where the reader cannot learn the file's length first.
ReadResult readPipe(const std::string& bytes) {
    ReadResult r{false, {}, {}};
    int fds[2];
    if (pipe(fds) != 0) return r;
    EXPECT_EQ(write(fds[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
    close(fds[1]);
    FILE* f = fdopen(fds[0], "rb");
    r.ok = vkReadTGA(f, &r.image);
    std::fclose(f);
    if (r.image.pixels) {
        r.pixels.assign(reinterpret_cast<char*>(r.image.pixels), r.image.width * r.image.height * (r.image.bpp / 8));
        delete[] r.image.pixels;
    }
    return r;
}

}  // namespace

TEST(TgaReader, AcceptsTrueColourAndSwapsToRgbKeepingAlpha) {
    for (unsigned depth : {24u, 32u}) {
        std::string pixels = tgaPixels(3, 2, depth);
        // Anything after the pixel data (footer, extension) is not read.
        ReadResult r = readBytes(tgaHeader(3, 2, depth) + pixels + "TRUEVISION-XFILE.");
        ASSERT_TRUE(r.ok) << depth;
        EXPECT_EQ(r.image.width, 3u);
        EXPECT_EQ(r.image.height, 2u);
        EXPECT_EQ(r.image.bpp, depth);
        EXPECT_EQ(r.pixels, tgaSwapped(pixels, depth));
        if (depth == 32) {
            EXPECT_EQ(r.pixels[3], pixels[3]);
        }
    }
}

TEST(TgaReader, IgnoresTheImageDescriptor) {
    std::string pixels = tgaPixels(2, 2, 32);
    ReadResult plain = readBytes(tgaHeader(2, 2, 32, 0x00) + pixels);
    ReadResult topDown = readBytes(tgaHeader(2, 2, 32, 0x28) + pixels);
    ASSERT_TRUE(plain.ok);
    ASSERT_TRUE(topDown.ok);
    EXPECT_EQ(plain.pixels, topDown.pixels);
}

TEST(TgaReader, RefusesEveryHeaderOutsideTheSubset) {
    struct Case {
        const char* what;
        size_t offset;
        char value;
    } cases[] = {
        {"image ID present", 0, 4},   {"colour map present", 1, 1}, {"colour-mapped", 2, 1},
        {"grey", 2, 3},               {"run-length true colour", 2, 10},
        {"colour map first entry", 3, 1}, {"colour map length", 5, 1}, {"colour map entry size", 7, 24},
        {"x origin", 8, 1},           {"x origin high byte", 9, 1}, {"y origin", 10, 32},
        {"y origin high byte", 11, 1}, {"8-bit", 16, 8},            {"16-bit", 16, 16},
        {"15-bit", 16, 15},           {"width 0", 12, 0},           {"height 0", 14, 0},
    };
    for (const Case& c : cases) {
        std::string file = tgaFile(4, 4, 24) + std::string(64, '\x55');
        file[c.offset] = c.value;
        ReadResult r = readBytes(file);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.image.pixels, nullptr) << c.what;
    }
}

TEST(TgaReader, RefusedSizeOrDepthStillReportsTheHeaderSize) {
    ReadResult r = readBytes(tgaFile(5, 7, 16));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.image.width, 5u);
    EXPECT_EQ(r.image.height, 7u);

    r = readBytes(tgaHeader(0, 9, 24));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.image.height, 9u);
}

TEST(TgaReader, RefusesEveryTruncatedHeader) {
    std::string header = tgaHeader(1, 1, 24);
    for (size_t n = 0; n < header.size(); n++) {
        ReadResult r = readBytes(header.substr(0, n));
        EXPECT_FALSE(r.ok) << n << " bytes";
        EXPECT_EQ(r.image.pixels, nullptr);
    }
}

TEST(TgaReader, RefusesPixelDataCutShort) {
    for (unsigned depth : {24u, 32u}) {
        std::string file = tgaFile(5, 3, depth);
        for (size_t cut : {size_t(1), size_t(depth / 8), file.size() - 18}) {
            ReadResult r = readBytes(file.substr(0, file.size() - cut));
            EXPECT_FALSE(r.ok) << depth << " cut " << cut;
            EXPECT_EQ(r.image.pixels, nullptr);
            // The buffer must be freed on a stream whose length is unknown too.
            r = readPipe(file.substr(0, file.size() - cut));
            EXPECT_FALSE(r.ok) << "pipe " << depth << " cut " << cut;
        }
        ReadResult whole = readPipe(file);
        EXPECT_TRUE(whole.ok);
        EXPECT_EQ(whole.pixels, tgaSwapped(file.substr(18), depth));
    }
}

TEST(TgaReader, OddWidthsAreReadWithoutRowPadding) {
    for (unsigned width : {1u, 3u, 5u, 7u}) {
        std::string pixels = tgaPixels(width, 3, 24);
        ReadResult r = readBytes(tgaHeader(width, 3, 24) + pixels);
        ASSERT_TRUE(r.ok) << width;
        EXPECT_EQ(r.pixels, tgaSwapped(pixels, 24)) << width;
    }
}

TEST(TgaReader, RefusesSizesWhoseByteCountExceeds32Bits) {
    // 65535 x 65535 x 4 and x 3 bytes, 32768 x 32768 x 4 = exactly 2^32.
    for (auto [w, h, d] : {std::tuple{65535u, 65535u, 32u}, {65535u, 65535u, 24u}, {32768u, 32768u, 32u}}) {
        ReadResult r = readBytes(tgaHeader(w, h, d) + std::string(1024, '\x11'));
        EXPECT_FALSE(r.ok) << w << "x" << h << "x" << d;
        EXPECT_EQ(r.image.pixels, nullptr);
    }
    // Fits 32 bits but the file holds a few bytes: refused, and not by
    // allocating gigabytes first (this would be slow or fail under ASan).
    ReadResult r = readBytes(tgaHeader(40000, 20000, 32) + std::string(1024, '\x11'));
    EXPECT_FALSE(r.ok);
}

TEST(TgaReader, NullStreamIsRefused) {
    VK_TGA_IMAGE image;
    EXPECT_FALSE(vkReadTGA(nullptr, &image));
    EXPECT_EQ(image.pixels, nullptr);
}

// The public Targa samples: whatever the file name says, only headers of
// the accepted kind load, and their pixels come out byte-swapped.
TEST(TgaReader, PublicSamples) {
    std::string dir = std::string(CORPUS_DIR) + "/tga";
    DIR* d = opendir(dir.c_str());
    if (!d) GTEST_SKIP() << "no Targa corpus at " << dir;
    std::vector<std::string> names;
    while (dirent* e = readdir(d))
        if (std::string(e->d_name).size() > 4 && std::string(e->d_name).substr(std::string(e->d_name).size() - 4) == ".tga")
            names.push_back(e->d_name);
    closedir(d);
    std::sort(names.begin(), names.end());
    ASSERT_FALSE(names.empty());

    int accepted = 0, refused = 0;
    for (const std::string& name : names) {
        std::ifstream in(dir + "/" + name, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GE(bytes.size(), 18u) << name;
        auto u8 = [&](size_t i) { return unsigned(static_cast<unsigned char>(bytes[i])); };
        unsigned w = u8(12) | u8(13) << 8, h = u8(14) | u8(15) << 8, depth = u8(16);
        bool zeroPrefix = true;
        for (size_t i : {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11}) zeroPrefix = zeroPrefix && u8(i) == 0;
        bool wanted = zeroPrefix && u8(2) == 2 && w && h && (depth == 24 || depth == 32) &&
                      bytes.size() >= 18 + size_t(w) * h * depth / 8;

        ReadResult r = readBytes(bytes);
        EXPECT_EQ(r.ok, wanted) << name;
        if (r.ok) {
            accepted++;
            EXPECT_EQ(r.pixels, tgaSwapped(bytes.substr(18, size_t(w) * h * depth / 8), depth)) << name;
        } else {
            refused++;
        }
    }
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}
