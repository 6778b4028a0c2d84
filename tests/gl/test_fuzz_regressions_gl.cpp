// Inputs found by fuzzing the image loaders (tools/fuzz), kept as
// regression cases on the real SDL decoder and a real GL context.
#include "engine/vaskel_texture.h"
#include "gl_env.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {

void put16(std::string& s, unsigned v) {
    s += char(v & 0xFF);
    s += char(v >> 8 & 0xFF);
}
void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// A bitmap with a 40-byte info header and an arbitrary bit count.
std::string bitmap(int32_t w, int32_t h, unsigned bitCount, size_t dataBytes) {
    std::string f = "BM";
    put32(f, uint32_t(54 + dataBytes));
    put32(f, 0);
    put32(f, 54);
    put32(f, 40);
    put32(f, uint32_t(w));
    put32(f, uint32_t(h));
    put16(f, 1);
    put16(f, bitCount);
    for (uint32_t v : {0u, uint32_t(dataBytes), 2835u, 2835u, 0u, 0u}) put32(f, v);
    return f + std::string(dataBytes, '\xaa');
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Loads bytes as a bitmap texture; it must fail the way a bad file fails.
void expectRefused(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
    VK_TEXTURE texture(name.c_str(), false);
    EXPECT_EQ(texture.texID, 0u) << name;
    EXPECT_TRUE(endsWith(gltest::readFile("VK_SK_ENGINE.TXT"), "VK_TEXTURE: Couldn't load texture " + name + "\n"))
        << name;
    EXPECT_FALSE(endsWith(gltest::readFile("VK_TEXTURE.txt"), "VK_TEXTURE: OK.")) << name;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << name;
}

}  // namespace

// Classic SDL 1.2 turns a bit count it cannot map into a surface of
// (count mod 256) bits per pixel at the header's size. With 2049 that is a
// 1-bit surface, on which SDL_ConvertSurface dereferences a null pointer:
// loading such a file crashed the program.
TEST(FuzzRegression, BitmapDecodedToOneBitIsRefusedNotConverted) {
    expectRefused("fuzz_bits2049.bmp", bitmap(8, 2, 2049, 64));
}

// With 2048 it is a surface of 0 bits per pixel, which converted "fine" to
// a blank image of the header's size: 34 bytes claiming 10240 x 49920
// pixels made a 1.5 GB allocation and an upload GL refused, logged "OK.".
TEST(FuzzRegression, BitmapDecodedToZeroBitsIsRefused) {
    const unsigned char found[] = {0x42, 0x4d, 0x26, 0x23, 0x00, 0x00, 0x94, 0x00, 0x00, 0x00, 0x00, 0x3d,
                                   0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x3d,
                                   0xff, 0xff, 0xff, 0x01, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00};
    expectRefused("fuzz_bits2048_found.bmp", std::string(reinterpret_cast<const char*>(found), sizeof found));
    expectRefused("fuzz_bits2048.bmp", bitmap(8, 2, 2048, 64));
}

// sdl12-compat reserved 6 GB for this 111-byte file (127 x 50,331,712 at
// 1 bit, run-length coded) before failing; it is now refused on its header.
// And 4 GB for this 33-byte one, whose header is cut before its compression.
// And decoded 1 GB (16384 x 16384, run-length) from 1,080 bytes whose only
// code ends the picture, and said "OK.".
TEST(FuzzRegression, BitmapsSdl12CompatReservedGigabytesForAreRefused) {
    for (const char* name : {"bmp-tall-1bit-rle.bmp", "bmp-cut-header-huge.bmp", "bmp-rle-claims-16384.bmp"}) {
        std::ifstream in(std::string(FUZZ_DATA_DIR) + "/" + name, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << name;
        expectRefused(std::string("fuzz_") + name, bytes);
    }
}

// A size whose surface allocation wraps to an absurd request: SDL's calloc
// fails and the load fails with it, no crash.
TEST(FuzzRegression, BitmapWhoseSurfaceCannotBeAllocatedIsRefused) {
    const unsigned char bytes[] = {0x42, 0x4d, 0x26, 0x23, 0x00, 0x00, 0x94, 0x00, 0x00, 0x00, 0x00, 0x3d,
                                   0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x3d,
                                   0xff, 0xff, 0xff, 0x01, 0x23, 0x00, 0x00, 0x00, 0x00, 0x00};
    expectRefused("fuzz_wrapped_size.bmp", std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
}
