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
    return {"glGetIntegerv(GL_MAX_TEXTURE_SIZE)",
            "SDL_RWFromFile(" + file + ", rb)",
            "SDL_LoadBMP_RW(1)",
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
    writeFile("stone.bmp", tinyBmp());
    writeFile("ob_tile.bmp", tinyBmp());
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

}

// Refused before SDL decodes: sdl12-compat reserves the whole picture a
// header claims (4 GB for a 33-byte one cut short, 1 GB for run-length
// codes that put down fewer pixels than claimed).
TEST_F(Texture, BitmapsRefusedOnTheirHeaderNeverReachSdl) {
    const struct {
        const char* name;
        std::string bytes;
        bool asksGl;  // the header passed: only the size limit refuses it
    } cases[] = {
        {"./huge.bmp", bmpClaiming(65535, 65535, 24, 0, 300), false},
        {"./cut.bmp", bmpClaiming(65536, 65536, 1, 0, 0).substr(0, 33), false},
        {"./tall.bmp", bmpClaiming(127, 50331712, 1, 1, 49), false},
        {"./wide.bmp", bmpClaiming(4, 1, 24, 0, 12), true},
    };
    std::string attempts, failures;
    for (const auto& c : cases) {
        fake::reset();
        fake::maxTextureSize = 3;
        writeFile(c.name, c.bytes);
        VK_TEXTURE t(c.name, false);
        EXPECT_EQ(t.texID, 0u);
        EXPECT_EQ(fake::texts(), c.asksGl ? Texts{"glGetIntegerv(GL_MAX_TEXTURE_SIZE)"} : Texts{}) << c.name;
        attempts += std::string("VK_TEXTURE: Attempting to load Texture ") + c.name + "\n";
        failures += std::string("VK_TEXTURE: Couldn't load texture ") + c.name + "\n";
    }
    EXPECT_EQ(readFile(deb), attempts);
    EXPECT_EQ(readFile("VK_SK_ENGINE.TXT"), failures);
}
