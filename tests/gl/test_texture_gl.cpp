#include "../unit/tga_bytes.h"
#include "engine/vaskel_texture.h"
#include "gl_env.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// The texture's level 0, rows from t = 0.
std::string readTexture(GLuint id, GLenum format, int& w, int& h) {
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::string bytes(size_t(w) * size_t(h) * (format == GL_RGBA ? 4 : 3), '\0');
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

void writeBytes(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

// A bottom-up Windows bitmap with a 40-byte header. rows: top row first, each
// pixel as the bytes the depth stores (B, G, R for 24 bits; an index for 8).
std::string bmpFile(int w, int h, int depth, const std::vector<std::string>& rows, const std::string& palette = "") {
    const uint32_t stride = (uint32_t(w) * depth / 8 + 3) & ~3u, offset = uint32_t(54 + palette.size());
    std::string f = "BM";
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; i++) f += char(v >> (8 * i));
    };
    for (uint32_t v : {offset + stride * h, 0u, offset, 40u, uint32_t(w), uint32_t(h)}) put(v, 4);
    put(1, 2);
    put(uint32_t(depth), 2);
    for (uint32_t v : {0u, stride * h, 2835u, 2835u, uint32_t(palette.size() / 4), 0u}) put(v, 4);
    f += palette;
    for (int y = h - 1; y >= 0; y--) f += rows[size_t(y)] + std::string(stride - rows[size_t(y)].size(), '\0');
    return f;
}

std::vector<std::string> bmpPaths(const std::string& dir) {
    std::vector<std::string> paths;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        if (e.path().extension() == ".bmp") paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

// An independent decoder: ImageMagick, RGB bytes top row first.
bool convertRgb(const std::string& path, size_t expected, std::string& out) {
    FILE* p = popen(("convert '" + path + "' -depth 8 rgb:- 2>/dev/null").c_str(), "r");
    if (!p) return false;
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    return pclose(p) == 0 && out.size() == expected;
}

class TextureGL : public ::testing::Test {
protected:
    void SetUp() override { gltest::resetState(); }
    // Loads a bitmap and checks the log lines of one load, loaded or refused.
    GLuint loadBmp(const std::string& path) {
        std::string texLog = gltest::readFile(deb), failLog = gltest::readFile("VK_SK_ENGINE.TXT");
        VK_TEXTURE t(path.c_str(), false);
        bool ok = t.texID != 0;
        EXPECT_EQ(gltest::readFile(deb).substr(texLog.size()),
                  "VK_TEXTURE: Attempting to load Texture " + path + "\n" + (ok ? "VK_TEXTURE: OK." : ""));
        EXPECT_EQ(gltest::readFile("VK_SK_ENGINE.TXT").substr(failLog.size()),
                  ok ? "" : "VK_TEXTURE: Couldn't load texture " + path + "\n");
        return t.texID;
    }
};

}  // namespace

TEST_F(TextureGL, BitmapTopRowBecomesTextureRowZeroInItsRealColours) {
    // 24 bits at odd and even widths; each pixel's colour distinct.
    for (int w : {1, 3, 4, 5}) {
        const int h = 3;
        std::vector<std::string> rows(h);
        std::string rgb;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                for (int c = 0; c < 3; c++) {
                    rgb += char(x * 37 + y * 91 + c * 67 + 5);
                    rows[size_t(y)] += char(x * 37 + y * 91 + (2 - c) * 67 + 5);  // B, G, R
                }
        writeBytes("b24.bmp", bmpFile(w, h, 24, rows));
        GLuint id = loadBmp("./b24.bmp");
        ASSERT_NE(id, 0u);
        int tw = 0, th = 0;
        EXPECT_EQ(readTexture(id, GL_RGB, tw, th), rgb) << "width " << w;
        EXPECT_EQ(std::make_pair(tw, th), std::make_pair(w, h));
    }
    // 8 bits through a palette of B, G, R, 0 entries.
    std::string palette, rgb;
    for (int i = 0; i < 4; i++) palette += std::string{char(10 + i), char(100 + i), char(200 + i), 0};
    const std::vector<std::string> rows = {{0, 1, 2, 3, 0}, {3, 3, 1, 0, 2}};
    for (const std::string& row : rows)
        for (char i : row) rgb += std::string{char(200 + i), char(100 + i), char(10 + i)};
    writeBytes("p8.bmp", bmpFile(5, 2, 8, rows, palette));
    GLuint id = loadBmp("./p8.bmp");
    ASSERT_NE(id, 0u);
    int tw = 0, th = 0;
    EXPECT_EQ(readTexture(id, GL_RGB, tw, th), rgb);
}

TEST_F(TextureGL, TargaFirstFileRowBecomesTextureRowZero) {
    const unsigned cases[][3] = {{4, 2, 24}, {5, 3, 24}, {1, 4, 24}, {7, 2, 24}, {3, 3, 32}, {2, 1, 32}};
    for (const auto& c : cases) {
        writeBytes("t.tga", tgaFile(c[0], c[1], c[2]));
        VK_TEXTURE t("./t.tga", true);
        ASSERT_NE(t.texID, 0u);
        int w = 0, h = 0;
        EXPECT_EQ(readTexture(t.texID, c[2] == 32 ? GL_RGBA : GL_RGB, w, h), tgaSwapped(tgaPixels(c[0], c[1], c[2]), c[2]))
            << c[0] << "x" << c[1] << "x" << c[2];
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(int(c[0]), int(c[1])));
    }
}

// bmpsuite's valid files: each loads with the colours ImageMagick decodes,
// unless the SDL in use cannot decode it (classic SDL 1.2 has no RLE), in
// which case it is refused with the failure lines.
TEST_F(TextureGL, BmpSuiteGoodFilesShowTheirColours) {
    std::vector<std::string> paths = bmpPaths(std::string(CORPUS_DIR) + "/bmp/g");
    if (paths.empty()) GTEST_SKIP() << "no bitmap corpus at " << CORPUS_DIR;
    int compared = 0;
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        SDL_Surface* ref = SDL_LoadBMP(path.c_str());
        int w = ref ? ref->w : 0, h = ref ? ref->h : 0, bytes = ref ? ref->format->BytesPerPixel : 0;
        if (ref) SDL_FreeSurface(ref);
        GLuint id = loadBmp(path);
        ASSERT_EQ(id != 0, w != 0);
        if (!id) continue;
        int tw = 0, th = 0;
        std::string got = readTexture(id, GL_RGB, tw, th), want;
        ASSERT_EQ(std::make_pair(tw, th), std::make_pair(w, h));
        if (!convertRgb(path, got.size(), want)) {
            std::printf("  %s: ImageMagick cannot decode it; colours not compared\n", path.c_str());
            continue;
        }
        // 5- and 6-bit channels are widened by shifting in one library and by
        // scaling in another.
        const int tolerance = bytes == 2 ? 8 : 0;
        int worst = 0;
        for (size_t i = 0; i < want.size(); i++)
            worst = std::max(worst, std::abs(int(uint8_t(got[i])) - int(uint8_t(want[i]))));
        EXPECT_LE(worst, tolerance) << "channel bytes differ";
        compared++;
    }
    EXPECT_GT(compared, 0);
}

// bmpsuite's corrupt files: each is loaded or refused, with its log lines,
// and never brings the process down.
TEST_F(TextureGL, BmpSuiteBadFilesAreSurvived) {
    std::vector<std::string> paths = bmpPaths(std::string(CORPUS_DIR) + "/bmp/b");
    if (paths.empty()) GTEST_SKIP() << "no bitmap corpus at " << CORPUS_DIR;
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        if (GLuint id = loadBmp(path)) {
            int w = 0, h = 0;
            readTexture(id, GL_RGB, w, h);
            EXPECT_GT(w, 0);
        }
    }
}
