#include "engine/vaskel_image.h"
#include "tga_bytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

namespace {

VK_BMP_INFO inspect(const std::string& bytes) {
    FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fseek(f, 7, SEEK_SET);  // wherever the stream stands
    VK_BMP_INFO info = vkInspectBmp(f);
    std::fclose(f);
    return info;
}

// A paletted bitmap's first bytes: file header, info header of headerSize
// bytes, then the palette (B, G, R, 0 per entry) and 4 bytes of pixels.
std::string bmpStart(uint32_t headerSize, unsigned bits, uint32_t used, const std::string& palette) {
    std::string f(14 + headerSize, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) f[at + i] = char(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(10, uint32_t(14 + headerSize + palette.size()));
    put32(14, headerSize);
    f[28] = char(bits);
    if (headerSize >= 36) put32(46, used);
    return f + palette + std::string(4, '\0');
}

}  // namespace

TEST(BmpInspect, VerdictOnHeaderAndPixelsTheFileHolds) {
    std::string offsetPastEnd = bmpClaiming(2, 2, 24, 0, 16);
    offsetPastEnd[10] = char(200);
    const VK_BMP_VERDICT ok = VK_BMP_ACCEPTABLE, missing = VK_BMP_PIXELS_MISSING, cut = VK_BMP_HEADER_CUT;
    const struct {
        const char* what;
        std::string bytes;
        VK_BMP_VERDICT verdict;
    } cases[] = {
        {"65535 x 65535 in 300 bytes", bmpClaiming(65535, 65535, 24, 0, 300), missing},
        {"OS/2 header, 65535 x 65535", bmpClaiming(65535, 65535, 24, 0, 300, 12), missing},
        {"unknown compression read as rows", bmpClaiming(4000, 4000, 24, 4, 300), missing},
        {"height INT_MIN, top row first", bmpClaiming(1, INT32_MIN, 24, 0, 300), missing},
        {"offset past the end", offsetPastEnd, missing},
        {"3 x 2, last row unpadded", bmpClaiming(3, 2, 24, 0, 21), ok},
        {"3 x 2, last row cut", bmpClaiming(3, 2, 24, 0, 20), missing},
        {"1 bit, last row unpadded", bmpClaiming(8, 2, 1, 0, 5), ok},
        {"1 bit, short", bmpClaiming(8, 2, 1, 0, 4), missing},
        {"top row first", bmpClaiming(3, -2, 24, 0, 21), ok},
        {"run-length, ends at once", bmpClaiming(65535, 65535, 8, 1, 2), missing},
        {"run-length 4, no end code", bmpClaiming(16, 16, 4, 2, 1), missing},
        {"run-length, 255 pixels to every 2 bytes", bmpClaiming(255, 2, 8, 1, 4), ok},
        {"run-length, a pixel more", bmpClaiming(511, 1, 8, 1, 4), missing},
        {"run-length 4, 255 pixels to every 2 bytes", bmpClaiming(51, 10, 4, 2, 4), ok},
        {"bit count 0", bmpClaiming(65535, 65535, 0, 0, 0), ok},
        {"header cut before its compression", bmpClaiming(65535, 65535, 24, 0, 0).substr(0, 33), cut},
        {"OS/2 header cut before its bit count", bmpClaiming(9, 9, 24, 0, 0, 12).substr(0, 25), cut},
        {"magic alone", "BM", cut},
        {"not a bitmap", "x", VK_BMP_NOT_BITMAP},
        {"empty", "", VK_BMP_NOT_BITMAP},
    };
    for (const auto& c : cases) EXPECT_EQ(inspect(c.bytes).verdict, c.verdict) << c.what;
    VK_BMP_INFO top = inspect(bmpClaiming(3, -2, 24, 0, 21));
    EXPECT_EQ(std::make_pair(top.width, top.rows), std::make_pair(uint64_t(3), uint64_t(2)));
    EXPECT_EQ(vkInspectBmp(nullptr).verdict, VK_BMP_NOT_BITMAP);
    EXPECT_EQ(vkInspectBmpFile("/nonexistent/x.bmp").verdict, VK_BMP_NOT_BITMAP);

    // Every bitmap SDL decodes is acceptable, the run-length ones included.
    const std::string good = std::string(CORPUS_DIR) + "/bmp/g";
    if (!std::filesystem::is_directory(good)) GTEST_SKIP() << "no bitmap corpus at " << good;
    for (const auto& entry : std::filesystem::directory_iterator(good))
        EXPECT_EQ(vkInspectBmpFile(entry.path().c_str()).verdict, ok) << entry.path();
}

// Classic SDL reads palettes after a 40-byte header whatever the header's size.
TEST(BmpInspect, ReadsThePaletteAfterALongHeaderOnly) {
    const std::string pal = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
    std::string notBmp = bmpStart(108, 8, 1, pal);
    notBmp[0] = 'X';
    const struct {
        const char* what;
        std::string bytes;
        int colors;
    } cases[] = {
        {"64-byte header", bmpStart(64, 8, 3, pal), 3},
        {"V4 header", bmpStart(108, 8, 3, pal), 3},
        {"V5 header", bmpStart(124, 8, 3, pal), 3},
        {"none used means 1 << bits", bmpStart(108, 1, 0, pal), 2},
        {"no more than lie before the pixels", bmpStart(108, 8, 1000, pal), 3},
        {"palette cut short", bmpStart(108, 8, 3, pal).substr(0, 14 + 108 + 9), 2},
        {"40-byte header", bmpStart(40, 8, 1, pal), 0},
        {"no palette in use", bmpStart(108, 24, 1, pal), 0},
        {"not a bitmap", notBmp, 0},
        {"header cut", bmpStart(108, 8, 1, pal).substr(0, 49), 0},
    };
    for (const auto& c : cases) {
        VK_BMP_INFO info = inspect(c.bytes);
        EXPECT_EQ(info.colors, c.colors) << c.what;
        if (c.colors == 3) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(info.palette), 9), std::string({3, 2, 1, 6, 5, 4, 9, 8, 7}));
        }
    }
}
