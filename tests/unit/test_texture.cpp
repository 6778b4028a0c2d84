#include "expected_calls.h"
#include "../fake/fake.h"
#include "engine/vaskel_texture.h"
#include "scratch_dir.h"
#include "tga_bytes.h"

namespace {

class Texture : public ScratchDir {
protected:
    void SetUp() override { fake::reset(); }
};

Texts bmpCalls(const std::string& file, int name) {
    std::string bind = "glBindTexture(GL_TEXTURE_2D, " + std::to_string(name) + ")";
    return {"SDL_RWFromFile(" + file + ", rb)",
            "SDL_LoadBMP_RW(1)",
            "glGetIntegerv(GL_MAX_TEXTURE_SIZE)",
            "glGenTextures(1)",
            "glPixelStorei(GL_UNPACK_ALIGNMENT, 4)",
            bind,
            "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST)",
            "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST)",
            "glTexImage2D(GL_TEXTURE_2D, 0, 3, 2, 2, 0, GL_BGR, GL_UNSIGNED_BYTE)",
            "SDL_FreeSurface()"};
}

Texts tgaCalls(const std::string& format, unsigned w, unsigned h, bool packed) {
    const std::string nearest = std::to_string(GL_NEAREST) + ")";
    Texts v = {"glGetIntegerv(GL_MAX_TEXTURE_SIZE)", "glGenTextures(1)", "glBindTexture(GL_TEXTURE_2D, 1)",
               "glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, " + nearest,
               "glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, " + nearest};
    if (packed) v.push_back("glPixelStorei(GL_UNPACK_ALIGNMENT, 1)");
    v.push_back("glTexImage2D(GL_TEXTURE_2D, 0, " + format + ", " + std::to_string(w) + ", " + std::to_string(h) +
                ", 0, " + format + ", GL_UNSIGNED_BYTE)");
    if (packed) v.push_back("glPixelStorei(GL_UNPACK_ALIGNMENT, 4)");
    return v;
}

}  // namespace

TEST_F(Texture, BitmapsUploadAsBgrWithAlignment4AndContinueTheOkLine) {
    writeFile("stone.bmp", "x");
    writeFile("ob_tile.bmp", "x");
    VK_TEXTURE a("./stone.bmp", false);
    EXPECT_EQ(fake::texts(), bmpCalls("./stone.bmp", 1));
    fake::clearCalls();
    VK_TEXTURE b("./ob_tile.bmp", false);
    EXPECT_EQ(fake::texts(), bmpCalls("./ob_tile.bmp", 2));
    EXPECT_EQ(a.texID, 1u);
    EXPECT_EQ(b.texID, 2u);
    EXPECT_EQ(readFile(deb),
              "VK_TEXTURE: Attempting to load Texture ./stone.bmp\n"
              "VK_TEXTURE: OK.VK_TEXTURE: Attempting to load Texture ./ob_tile.bmp\n"
              "VK_TEXTURE: OK.");
    EXPECT_FALSE(exists("VK_SK_ENGINE.TXT"));
}

TEST_F(Texture, MissingBitmapWritesBothLogsAndUploadsNothing) {
    writeFile(deb, "earlier run\n");  // the texture log is never cleared
    // Long enough to overflow any fixed message buffer; "%s" stays text.
    std::string name = "./missing_%s_" + std::string(3000, 'n') + ".bmp";
    VK_TEXTURE t(name.c_str(), false);
    EXPECT_EQ(t.texID, 0u);
    EXPECT_EQ(fake::count("glGenTextures") + fake::count("glTexImage2D"), 0u);
    EXPECT_EQ(readFile(deb), "earlier run\nVK_TEXTURE: Attempting to load Texture " + name + "\n");
    EXPECT_EQ(readFile("VK_SK_ENGINE.TXT"), "VK_TEXTURE: Couldn't load texture " + name + "\n");
}

TEST_F(Texture, NoneGivesABlankTextureWithoutOpeningAFile) {
    writeFile("NONE", tgaFile(2, 2, 24));  // would load if it were opened
    VK_TEXTURE a("NONE", false);
    VK_TEXTURE b("NONE", true);
    VK_SPRITE s("NONE", true);
    EXPECT_TRUE(fake::calls().empty());
    EXPECT_EQ(a.texID + b.texID + s.texID + s.width, 0u);
    EXPECT_EQ(readFile(deb),
              "VK_TEXTURE: Loading Blank Texture\nVK_TEXTURE: Loading Blank Texture\n"
              "VK_SPRITE: Loading Blank Texture\n");
}

TEST_F(Texture, TargaUploadsInItsOwnFormatWithPackedRowsWhenOdd) {
    const struct {
        unsigned w, h, depth;
        const char* format;
        bool packed;  // row bytes not a multiple of 4
    } cases[] = {
        {4, 2, 24, "GL_RGB", false}, {3, 2, 24, "GL_RGB", true}, {1, 5, 24, "GL_RGB", true}, {3, 1, 32, "GL_RGBA", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + "x" + std::to_string(c.depth));
        fake::reset();
        writeFile("t.tga", tgaFile(c.w, c.h, c.depth));
        VK_TEXTURE t("./t.tga", true);
        EXPECT_EQ(fake::texts(), tgaCalls(c.format, c.w, c.h, c.packed));
        EXPECT_EQ(t.texID, 1u);
        EXPECT_EQ(t.width, c.w);
        EXPECT_EQ(t.height, c.h);
        ASSERT_NE(t.imageData, nullptr);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.imageData), c.w * c.h * c.depth / 8),
                  tgaSwapped(tgaPixels(c.w, c.h, c.depth), c.depth));
    }
    EXPECT_FALSE(exists(deb));  // the Targa path logs nothing
}

TEST_F(Texture, FailedTargaLeavesNameZeroAndNoPixelBuffer) {
    std::string cut = tgaFile(4, 4, 32);
    writeFile("short.tga", cut.substr(0, cut.size() - 1));
    writeFile("grey.tga", tgaFile(6, 3, 8));
    for (const char* name : {"./absent.tga", "./short.tga", "./grey.tga"}) {
        VK_TEXTURE t;
        EXPECT_FALSE(t.LoadTGA(name)) << name;
        EXPECT_EQ(t.texID, 0u) << name;
        EXPECT_EQ(t.imageData, nullptr) << name;
    }
    VK_TEXTURE grey;  // a refused depth still reports the header's size
    grey.LoadTGA("./grey.tga");
    EXPECT_EQ(std::make_pair(grey.width, grey.height), std::make_pair(6u, 3u));
    EXPECT_TRUE(fake::calls().empty());
    EXPECT_FALSE(exists(deb) || exists("VK_SK_ENGINE.TXT"));
}

// GL would refuse the upload and the name would draw as plain white.
TEST_F(Texture, ImagesOverGlsSizeLimitAreFailedLoads) {
    fake::maxTextureSize = 3;
    writeFile("wide.tga", tgaFile(4, 1, 32));
    writeFile("tall.tga", tgaFile(1, 4, 24));
    writeFile("fits.tga", tgaFile(3, 3, 32));
    for (const char* name : {"./wide.tga", "./tall.tga"}) {
        VK_TEXTURE t;
        EXPECT_FALSE(t.LoadTGA(name)) << name;
        EXPECT_EQ(t.texID, 0u) << name;
        EXPECT_EQ(t.imageData, nullptr) << name;
    }
    VK_SPRITE logo("./wide.tga", true);
    EXPECT_EQ(logo.width + logo.height, 0u);
    EXPECT_EQ(fake::count("glGenTextures") + fake::count("glTexImage2D"), 0u);
    VK_TEXTURE fits;
    EXPECT_TRUE(fits.LoadTGA("./fits.tga"));

    fake::reset();
    fake::maxTextureSize = 1;  // the stand-in decodes every bitmap as 2x2
    writeFile("stone.bmp", "x");
    VK_TEXTURE bmp("./stone.bmp", false);
    EXPECT_EQ(bmp.texID, 0u);
    EXPECT_EQ(fake::count("glGenTextures") + fake::count("glTexImage2D"), 0u);
    EXPECT_EQ(readFile(deb), "VK_TEXTURE: Attempting to load Texture ./stone.bmp\n");
    EXPECT_EQ(readFile("VK_SK_ENGINE.TXT"), "VK_TEXTURE: Couldn't load texture ./stone.bmp\n");
}

namespace {

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

// Classic SDL reads palettes after a 40-byte header whatever the header's size.
TEST(BmpPalette, ReadsTheColoursAfterALongHeaderOnly) {
    const std::string pal = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
    std::string notBmp = bmpStart(108, 8, 1, pal);
    notBmp[0] = 'X';
    const struct {
        const char* what;
        std::string bytes;
        int entries;
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
        {"empty", "", 0},
        {"header cut", bmpStart(108, 8, 1, pal).substr(0, 49), 0},
    };
    for (const auto& c : cases) {
        unsigned char rgb[256][3] = {};
        FILE* f = std::tmpfile();
        std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
        std::rewind(f);
        EXPECT_EQ(vkReadBmpPalette(f, rgb), c.entries) << c.what;
        std::fclose(f);
        if (c.entries == 3) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(rgb), 9), std::string({3, 2, 1, 6, 5, 4, 9, 8, 7}));
        }
    }
    unsigned char rgb[256][3];
    EXPECT_EQ(vkReadBmpPalette(nullptr, rgb), 0);
}

namespace {

// A bitmap with a Windows info header (40 bytes) or, for w and h below
// 65536 and headerSize 12, an OS/2 one; pixel data of dataBytes bytes.
std::string bmpClaiming(int32_t w, int32_t h, unsigned bits, uint32_t compression, size_t dataBytes,
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

bool fits(const std::string& bytes) {
    FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fseek(f, 7, SEEK_SET);  // wherever the stream stands
    bool ok = vkBmpPixelsFit(f);
    std::fclose(f);
    return ok;
}

}  // namespace

TEST(BmpClaim, RefusesOnlyPixelsTheFileCannotHold) {
    std::string offsetPastEnd = bmpClaiming(2, 2, 24, 0, 16);
    offsetPastEnd[10] = char(200);
    const struct {
        const char* what;
        std::string bytes;
        bool fits;
    } cases[] = {
        {"65535 x 65535 in 300 bytes", bmpClaiming(65535, 65535, 24, 0, 300), false},
        {"OS/2 header, 65535 x 65535", bmpClaiming(65535, 65535, 24, 0, 300, 12), false},
        {"unknown compression read as rows", bmpClaiming(4000, 4000, 24, 4, 300), false},
        {"height INT_MIN, top row first", bmpClaiming(1, INT32_MIN, 24, 0, 300), false},
        {"offset past the end", offsetPastEnd, false},
        {"3 x 2, last row unpadded", bmpClaiming(3, 2, 24, 0, 21), true},
        {"3 x 2, last row cut", bmpClaiming(3, 2, 24, 0, 20), false},
        {"1 bit, last row unpadded", bmpClaiming(8, 2, 1, 0, 5), true},
        {"1 bit, short", bmpClaiming(8, 2, 1, 0, 4), false},
        {"top row first", bmpClaiming(3, -2, 24, 0, 21), true},
        {"run-length, ends at once", bmpClaiming(65535, 65535, 8, 1, 2), true},
        {"run-length 4, no end code", bmpClaiming(16, 16, 4, 2, 1), false},
        {"bit count 0", bmpClaiming(65535, 65535, 0, 0, 0), true},
        {"header cut before its compression", bmpClaiming(65535, 65535, 24, 0, 0).substr(0, 33), true},
        {"not a bitmap", "x", true},
    };
    for (const auto& c : cases) EXPECT_EQ(fits(c.bytes), c.fits) << c.what;
    EXPECT_TRUE(vkBmpPixelsFit(nullptr));

    // Every bitmap SDL decodes passes, the run-length ones included.
    const std::string good = std::string(CORPUS_DIR) + "/bmp/g";
    if (!std::filesystem::is_directory(good)) GTEST_SKIP() << "no bitmap corpus at " << good;
    for (const auto& entry : std::filesystem::directory_iterator(good)) {
        FILE* f = std::fopen(entry.path().c_str(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(vkBmpPixelsFit(f)) << entry.path();
        std::fclose(f);
    }
}

TEST_F(Texture, BitmapClaimingMorePixelsThanItHoldsNeverReachesSdl) {
    writeFile("huge.bmp", bmpClaiming(65535, 65535, 24, 0, 300));
    VK_TEXTURE t("./huge.bmp", false);
    EXPECT_EQ(t.texID, 0u);
    EXPECT_TRUE(fake::calls().empty());
    EXPECT_EQ(readFile(deb), "VK_TEXTURE: Attempting to load Texture ./huge.bmp\n");
    EXPECT_EQ(readFile("VK_SK_ENGINE.TXT"), "VK_TEXTURE: Couldn't load texture ./huge.bmp\n");
}

// Checked on the header, before SDL decodes: a run-length code may stand
// for any size, and sdl12-compat reserves the whole picture up front.
// A header cut short holds no picture, yet sdl12-compat reserves what it
// claims (4 GB for 33 bytes).
TEST_F(Texture, BitmapOverGlsLimitOrCutShortIsRefusedBeforeSdlDecodes) {
    writeFile("tall.bmp", bmpClaiming(127, 50331712, 1, 1, 49));
    writeFile("wide.bmp", bmpClaiming(4, 1, 24, 0, 12));
    writeFile("cut.bmp", bmpClaiming(65536, 65536, 1, 0, 0).substr(0, 33));
    for (const char* name : {"./tall.bmp", "./wide.bmp", "./cut.bmp"}) {
        fake::reset();
        fake::maxTextureSize = 3;
        VK_TEXTURE t(name, false);
        EXPECT_EQ(t.texID, 0u);
        std::vector<std::string> glOnly;
        if (std::string(name) != "./cut.bmp") glOnly.push_back("glGetIntegerv(GL_MAX_TEXTURE_SIZE)");
        EXPECT_EQ(fake::texts(), glOnly) << name;
    }
    EXPECT_EQ(readFile("VK_SK_ENGINE.TXT"),
              "VK_TEXTURE: Couldn't load texture ./tall.bmp\nVK_TEXTURE: Couldn't load texture ./wide.bmp\n"
              "VK_TEXTURE: Couldn't load texture ./cut.bmp\n");
}
