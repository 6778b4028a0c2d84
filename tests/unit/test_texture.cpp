#include "../fake/fake.h"
#include "engine/vaskel_texture.h"
#include "scratch_dir.h"
#include "tga_bytes.h"

namespace {

class Texture : public ScratchDir {
protected:
    void SetUp() override {
        ScratchDir::SetUp();
        fake::reset();
    }
};

const std::vector<std::string> kBmpUpload = {
    "glGenTextures(1)",
    "glPixelStorei(GL_UNPACK_ALIGNMENT, 4)",
    "glBindTexture(GL_TEXTURE_2D, 1)",
    "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST)",
    "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST)",
    "glTexImage2D(GL_TEXTURE_2D, 0, 3, 2, 2, 0, GL_BGR, GL_UNSIGNED_BYTE)",
};

std::vector<std::string> tgaUpload(const std::string& format, unsigned w, unsigned h, bool packed) {
    std::vector<std::string> v = {
        "glGenTextures(1)",
        "glBindTexture(GL_TEXTURE_2D, 1)",
        "glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, " + std::to_string(GL_NEAREST) + ")",
        "glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, " + std::to_string(GL_NEAREST) + ")",
    };
    if (packed) v.push_back("glPixelStorei(GL_UNPACK_ALIGNMENT, 1)");
    v.push_back("glTexImage2D(GL_TEXTURE_2D, 0, " + format + ", " + std::to_string(w) + ", " + std::to_string(h) +
                ", 0, " + format + ", GL_UNSIGNED_BYTE)");
    if (packed) v.push_back("glPixelStorei(GL_UNPACK_ALIGNMENT, 4)");
    return v;
}

std::string imageBytes(const VK_TEXTURE& t) {
    if (!t.imageData) return "";
    return std::string(reinterpret_cast<const char*>(t.imageData), size_t(t.width) * t.height * (t.bpp / 8));
}

}  // namespace

TEST_F(Texture, BitmapUploadsAsBgrWithAlignment4AndLogs) {
    writeFile("stone.bmp", "x");
    VK_TEXTURE t("./stone.bmp", false);
    std::vector<std::string> expected = {"SDL_RWFromFile(./stone.bmp, rb)", "SDL_LoadBMP_RW(1)"};
    expected.insert(expected.end(), kBmpUpload.begin(), kBmpUpload.end());
    expected.push_back("SDL_FreeSurface()");
    EXPECT_EQ(fake::texts(), expected);
    EXPECT_EQ(t.texID, 1u);
    EXPECT_EQ(fake::boundTexture, 1u);
    EXPECT_EQ(t.imageData, nullptr);
    EXPECT_EQ(t.width, 0u);
    EXPECT_EQ(t.height, 0u);
    EXPECT_EQ(t.bpp, 0u);
    EXPECT_FALSE(t.isTGA);
    EXPECT_FALSE(exists("VK_SK_ENGINE.TXT"));
}

TEST_F(Texture, TwoBitmapLoadsContinueTheOkLine) {
    writeFile("stone.bmp", "x");
    writeFile("ob_tile.bmp", "x");
    VK_TEXTURE a("./stone.bmp", false);
    VK_TEXTURE b("./ob_tile.bmp", false);
    EXPECT_EQ(b.texID, 2u);
    EXPECT_EQ(readFile(deb),
              "VK_TEXTURE: Attempting to load Texture ./stone.bmp\n"
              "VK_TEXTURE: OK.VK_TEXTURE: Attempting to load Texture ./ob_tile.bmp\n"
              "VK_TEXTURE: OK.");
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
    for (const VK_TEXTURE* t : {&a, &b, static_cast<VK_TEXTURE*>(&s)}) {
        EXPECT_EQ(t->texID, 0u);
        EXPECT_EQ(t->width, 0u);
        EXPECT_EQ(t->imageData, nullptr);
        EXPECT_FALSE(t->isTGA);
    }
    EXPECT_EQ(readFile(deb),
              "VK_TEXTURE: Loading Blank Texture\nVK_TEXTURE: Loading Blank Texture\n"
              "VK_SPRITE: Loading Blank Texture\n");
}

TEST_F(Texture, TargaUploadsWithFloatNearestFilterAndOwnFormat) {
    struct Case {
        unsigned w, h, depth;
        const char* format;
        bool packed;  // row bytes not a multiple of 4
    } cases[] = {
        {4, 2, 24, "GL_RGB", false},
        {3, 2, 24, "GL_RGB", true},
        {1, 5, 24, "GL_RGB", true},
        {3, 1, 32, "GL_RGBA", false},
    };
    for (const Case& c : cases) {
        fake::reset();
        writeFile("t.tga", tgaFile(c.w, c.h, c.depth));
        VK_TEXTURE t("./t.tga", true);
        EXPECT_EQ(fake::texts(), tgaUpload(c.format, c.w, c.h, c.packed)) << c.w << "x" << c.h << "x" << c.depth;
        EXPECT_EQ(t.texID, 1u);
        EXPECT_TRUE(t.isTGA);
        EXPECT_EQ(t.width, c.w);
        EXPECT_EQ(t.height, c.h);
        EXPECT_EQ(t.bpp, c.depth);
        EXPECT_EQ(imageBytes(t), tgaSwapped(tgaPixels(c.w, c.h, c.depth), c.depth));
    }
    EXPECT_FALSE(exists(deb));  // the Targa path logs nothing
}

TEST_F(Texture, FailedTargaLeavesNameZeroAndNoPixelBuffer) {
    std::string cut = tgaFile(4, 4, 32);
    writeFile("short.tga", cut.substr(0, cut.size() - 1));
    std::string rle = tgaFile(4, 4, 24);
    rle[2] = 10;
    writeFile("rle.tga", rle);
    writeFile("grey.tga", tgaFile(6, 3, 8));

    VK_TEXTURE missing;
    EXPECT_FALSE(missing.LoadTGA("./absent.tga"));
    EXPECT_TRUE(missing.isTGA);
    for (const char* name : {"./short.tga", "./rle.tga", "./grey.tga"}) {
        VK_TEXTURE t;
        EXPECT_FALSE(t.LoadTGA(name)) << name;
        EXPECT_EQ(t.texID, 0u) << name;
        EXPECT_EQ(t.imageData, nullptr) << name;
        EXPECT_TRUE(t.isTGA);
    }
    VK_TEXTURE grey;
    grey.LoadTGA("./grey.tga");
    EXPECT_EQ(grey.width, 6u);
    EXPECT_EQ(grey.height, 3u);
    EXPECT_TRUE(fake::calls().empty());
    EXPECT_FALSE(exists(deb));
    EXPECT_FALSE(exists("VK_SK_ENGINE.TXT"));
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

int readPalette(const std::string& bytes, unsigned char rgb[256][3]) {
    FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    int n = vkReadBmpPalette(f, rgb);
    std::fclose(f);
    return n;
}

}  // namespace

TEST(BmpPalette, ReadsColoursAfterALongHeader) {
    const std::string palette = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
    unsigned char rgb[256][3];
    for (uint32_t size : {108u, 124u, 64u}) {
        ASSERT_EQ(readPalette(bmpStart(size, 8, 3, palette), rgb), 3) << size;
        EXPECT_EQ(rgb[0][0], 3);
        EXPECT_EQ(rgb[0][2], 1);
        EXPECT_EQ(rgb[2][0], 9);
    }
    // Colours-used 0 means 1 << bits; never more than lie before the pixels.
    EXPECT_EQ(readPalette(bmpStart(108, 1, 0, palette), rgb), 2);
    EXPECT_EQ(readPalette(bmpStart(108, 8, 0, palette), rgb), 3);
    EXPECT_EQ(readPalette(bmpStart(108, 8, 1000, palette), rgb), 3);
}

TEST(BmpPalette, LeavesOtherFilesAlone) {
    const std::string palette = {1, 2, 3, 0};
    unsigned char rgb[256][3];
    EXPECT_EQ(readPalette(bmpStart(40, 8, 1, palette), rgb), 0);   // SDL reads these right
    EXPECT_EQ(readPalette(bmpStart(108, 24, 1, palette), rgb), 0);  // no palette in use
    std::string notBmp = bmpStart(108, 8, 1, palette);
    notBmp[0] = 'X';
    EXPECT_EQ(readPalette(notBmp, rgb), 0);
    for (size_t n : {0, 13, 49}) EXPECT_EQ(readPalette(bmpStart(108, 8, 1, palette).substr(0, n), rgb), 0) << n;
    // A palette cut short yields the entries that are there.
    std::string cut = bmpStart(108, 8, 3, std::string(12, '\x40'));
    EXPECT_EQ(readPalette(cut.substr(0, 14 + 108 + 9), rgb), 2);
    EXPECT_EQ(vkReadBmpPalette(nullptr, rgb), 0);
}
