#include "../unit/tga_bytes.h"
#include "engine/vaskel_texture.h"
#include "gl_env.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

struct TexImage {
    int w = 0, h = 0;
    std::vector<unsigned char> bytes;  // row 0 = texture row t = 0
};

TexImage readTexture(GLuint id, GLenum format) {
    TexImage t;
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.h);
    t.bytes.assign(size_t(t.w) * size_t(t.h) * (format == GL_RGBA ? 4 : 3), 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, t.bytes.data());
    return t;
}

void writeBytes(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

void put16(std::string& s, unsigned v) {
    s += char(v & 0xFF);
    s += char(v >> 8 & 0xFF);
}
void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// A bottom-up Windows bitmap. rows: top row first, each pixel as the
// bytes the depth stores (B, G, R for 24 bits; a palette index for 8).
std::string bmpFile(int w, int h, int depth, const std::vector<std::string>& rows, const std::string& palette = "") {
    size_t stride = (size_t(w) * depth / 8 + 3) & ~size_t(3);
    uint32_t offset = uint32_t(54 + palette.size());
    std::string f = "BM";
    put32(f, uint32_t(offset + stride * h));
    put32(f, 0);
    put32(f, offset);
    put32(f, 40);
    put32(f, uint32_t(w));
    put32(f, uint32_t(h));
    put16(f, 1);
    put16(f, unsigned(depth));
    put32(f, 0);
    put32(f, uint32_t(stride * h));
    put32(f, 2835);
    put32(f, 2835);
    put32(f, uint32_t(palette.size() / 4));
    put32(f, 0);
    f += palette;
    for (int y = h - 1; y >= 0; y--) {
        std::string row = rows[size_t(y)];
        row.resize(stride, '\0');
        f += row;
    }
    return f;
}

// Distinct colour for every pixel, as R, G, B.
unsigned char channel(int x, int y, int c) { return static_cast<unsigned char>(x * 37 + y * 91 + c * 67 + 5); }

std::string readAll(const std::string& path) { return gltest::readFile(path); }

// The part of a log written since `before` was read.
std::string appended(const std::string& path, const std::string& before) {
    std::string now = readAll(path);
    return now.size() >= before.size() ? now.substr(before.size()) : now;
}

std::vector<std::string> bmpNames(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.size() > 4 && n.substr(n.size() - 4) == ".bmp") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// An independent decoder: ImageMagick, RGB bytes top row first.
bool convertRgb(const std::string& path, size_t expected, std::string& out) {
    std::string cmd = "convert '" + path + "' -depth 8 rgb:- 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    return pclose(p) == 0 && out.size() == expected;
}

class TextureGL : public ::testing::Test {
protected:
    void SetUp() override {
        gltest::resetState();
        texLog = readAll(deb);
        failLog = readAll("VK_SK_ENGINE.TXT");
    }
    // Checks the log lines of one bitmap load, loaded or refused.
    void expectBmpLog(const std::string& name, bool loaded) {
        EXPECT_EQ(appended(deb, texLog),
                  "VK_TEXTURE: Attempting to load Texture " + name + "\n" + (loaded ? "VK_TEXTURE: OK." : ""));
        EXPECT_EQ(appended("VK_SK_ENGINE.TXT", failLog),
                  loaded ? "" : "VK_TEXTURE: Couldn't load texture " + name + "\n");
        texLog = readAll(deb);
        failLog = readAll("VK_SK_ENGINE.TXT");
    }
    std::string texLog, failLog;
};

GLint unpackAlignment() {
    GLint a = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &a);
    return a;
}

}  // namespace

TEST_F(TextureGL, Bitmap24TopRowBecomesTextureRowZero) {
    for (int w : {1, 3, 4, 5}) {
        const int h = 3;
        std::vector<std::string> rows;
        std::vector<unsigned char> rgb;
        for (int y = 0; y < h; y++) {
            std::string row;
            for (int x = 0; x < w; x++) {
                for (int c = 2; c >= 0; c--) row += char(channel(x, y, c));
                for (int c = 0; c < 3; c++) rgb.push_back(channel(x, y, c));
            }
            rows.push_back(row);
        }
        writeBytes("b24.bmp", bmpFile(w, h, 24, rows));
        VK_TEXTURE t("./b24.bmp", false);
        ASSERT_NE(t.texID, 0u) << w;
        expectBmpLog("./b24.bmp", true);
        EXPECT_EQ(unpackAlignment(), 4);
        TexImage img = readTexture(t.texID, GL_RGB);
        EXPECT_EQ(img.w, w);
        EXPECT_EQ(img.h, h);
        EXPECT_EQ(img.bytes, rgb) << "width " << w;
    }
}

TEST_F(TextureGL, PalettedBitmapIsConvertedToItsRealColours) {
    std::string palette;
    for (int i = 0; i < 4; i++) palette += std::string{char(10 + i), char(100 + i), char(200 + i), 0};  // B, G, R, 0
    const int w = 5, h = 2;
    std::vector<std::string> rows = {std::string{0, 1, 2, 3, 0}, std::string{3, 3, 1, 0, 2}};
    writeBytes("p8.bmp", bmpFile(w, h, 8, rows, palette));
    VK_TEXTURE t("./p8.bmp", false);
    ASSERT_NE(t.texID, 0u);
    expectBmpLog("./p8.bmp", true);
    TexImage img = readTexture(t.texID, GL_RGB);
    std::vector<unsigned char> rgb;
    for (const std::string& row : rows)
        for (char i : row) {
            rgb.push_back(static_cast<unsigned char>(200 + i));
            rgb.push_back(static_cast<unsigned char>(100 + i));
            rgb.push_back(static_cast<unsigned char>(10 + i));
        }
    EXPECT_EQ(img.bytes, rgb);
}

TEST_F(TextureGL, TargaFirstFileRowBecomesTextureRowZero) {
    struct Case {
        unsigned w, h, depth;
    } cases[] = {{4, 2, 24}, {5, 3, 24}, {1, 4, 24}, {7, 2, 24}, {3, 3, 32}, {2, 1, 32}};
    for (const Case& c : cases) {
        writeBytes("t.tga", tgaFile(c.w, c.h, c.depth));
        VK_TEXTURE t("./t.tga", true);
        ASSERT_NE(t.texID, 0u);
        EXPECT_EQ(unpackAlignment(), 4) << "alignment not restored";
        GLenum format = c.depth == 32 ? GL_RGBA : GL_RGB;
        GLint internal = 0;
        glBindTexture(GL_TEXTURE_2D, t.texID);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
        EXPECT_EQ(GLenum(internal), format);
        TexImage img = readTexture(t.texID, format);
        EXPECT_EQ(img.w, int(c.w));
        EXPECT_EQ(img.h, int(c.h));
        std::string expected = tgaSwapped(tgaPixels(c.w, c.h, c.depth), c.depth);
        EXPECT_EQ(std::string(img.bytes.begin(), img.bytes.end()), expected) << c.w << "x" << c.h << "x" << c.depth;
    }
    EXPECT_EQ(appended(deb, texLog), "");
}

// bmpsuite's valid files: each loads with the colours ImageMagick decodes,
// unless the SDL in use cannot decode it (classic SDL 1.2 has no RLE), in
// which case it is refused with the failure lines.
TEST_F(TextureGL, BmpSuiteGoodFilesShowTheirColours) {
    std::string dir = std::string(CORPUS_DIR) + "/bmp/g";
    std::vector<std::string> names = bmpNames(dir);
    if (names.empty()) GTEST_SKIP() << "no bitmap corpus at " << dir;
    int compared = 0;
    for (const std::string& name : names) {
        std::string path = dir + "/" + name;
        SDL_Surface* ref = SDL_LoadBMP(path.c_str());
        int w = ref ? ref->w : 0, h = ref ? ref->h : 0, bytes = ref ? ref->format->BytesPerPixel : 0;
        if (ref) SDL_FreeSurface(ref);

        VK_TEXTURE t(path.c_str(), false);
        expectBmpLog(path, ref != nullptr);
        if (!ref) {
            EXPECT_EQ(t.texID, 0u) << name;
            continue;
        }
        ASSERT_NE(t.texID, 0u) << name;
        TexImage img = readTexture(t.texID, GL_RGB);
        ASSERT_EQ(img.w, w) << name;
        ASSERT_EQ(img.h, h) << name;

        std::string want;
        if (!convertRgb(path, img.bytes.size(), want)) {
            std::printf("  %s: ImageMagick cannot decode it; colours not compared\n", name.c_str());
            continue;
        }
        // 5- and 6-bit channels are widened by shifting in one library and by
        // scaling in another.
        int tolerance = bytes == 2 ? 8 : 0;
        int worst = 0;
        size_t bad = 0;
        for (size_t i = 0; i < want.size(); i++) {
            int d = std::abs(int(img.bytes[i]) - int(static_cast<unsigned char>(want[i])));
            worst = std::max(worst, d);
            bad += d > tolerance;
        }
        EXPECT_EQ(bad, 0u) << name << ": " << bad << " channel bytes differ, worst by " << worst;
        compared++;
    }
    EXPECT_GT(compared, 0);
}

// bmpsuite's corrupt files: each is loaded or refused, with its log lines,
// and never brings the process down.
TEST_F(TextureGL, BmpSuiteBadFilesAreSurvived) {
    std::string dir = std::string(CORPUS_DIR) + "/bmp/b";
    std::vector<std::string> names = bmpNames(dir);
    if (names.empty()) GTEST_SKIP() << "no bitmap corpus at " << dir;
    for (const std::string& name : names) {
        std::string path = dir + "/" + name;
        VK_TEXTURE t(path.c_str(), false);
        SCOPED_TRACE(name);
        expectBmpLog(path, t.texID != 0);
        if (t.texID) {
            TexImage img = readTexture(t.texID, GL_RGB);
            EXPECT_GT(img.w, 0);
        }
    }
}
