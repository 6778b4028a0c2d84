#pragma once

#include <cstdint>
#include <cstdio>

// Name of the texture log.
extern char deb[];

// A Targa image read without GL: pixels in R, G, B(, A) order, first file
// row first. pixels is allocated with new[] and owned by the caller.
struct VK_TGA_IMAGE {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bpp = 0;
    unsigned char* pixels = nullptr;
};

// Reads the uncompressed true-colour Targa subset from an open stream.
// On failure returns false with pixels null; width, height and bpp keep
// whatever of the header was read.
bool vkReadTGA(FILE* file, VK_TGA_IMAGE* image);

// Classic SDL 1.2 reads a paletted bitmap's colours straight after a 40-byte
// info header, so files with a longer one (BITMAPV4/V5, OS/2 2.x) come out
// in wrong colours. This reads such a file's palette from where its header
// really ends: returns the number of entries put in rgb (at most 256), or 0
// when the file is not a paletted bitmap with a long header.
int vkReadBmpPalette(FILE* file, unsigned char rgb[256][3]);

// What SDL reads of a bitmap's header: sizes (a negative height made
// positive), bits per pixel, compression (0 for the OS/2 core header) and
// where the pixels start.
struct VK_BMP_HEADER {
    uint64_t width = 0, rows = 0, bits = 0, compression = 0, offset = 0;
};

// Reads the header from the start of the stream; false when it is too short
// or not a bitmap.
bool vkReadBmpHeader(FILE* file, VK_BMP_HEADER* header);

// False when the stream holds a bitmap whose complete header claims more
// pixel bytes than follow its pixel offset; true for anything else (a file
// too short or not a bitmap is SDL's to judge). Run-length encoded bitmaps
// only need their two-byte end code. Reads from the start of the stream.
bool vkBmpPixelsFit(FILE* file);

// One image file as one OpenGL texture; texID 0 when loading failed.
// Bitmaps go through SDL and are converted to 24-bit B, G, R when SDL hands
// out another layout. Destroying a texture frees its pixel buffer but not its
// GL name (the context may be gone by then).
class VK_TEXTURE {
public:
    VK_TEXTURE();
    VK_TEXTURE(const char* fileName, bool tga);
    virtual ~VK_TEXTURE();

    VK_TEXTURE(const VK_TEXTURE&) = delete;
    VK_TEXTURE& operator=(const VK_TEXTURE&) = delete;

    void LoadBMP(const char* fileName);
    bool LoadTGA(const char* fileName);

    uint32_t texID = 0;
    unsigned char* imageData = nullptr;  // Targa pixels (R, G, B(, A)), kept after upload
    uint32_t bpp = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    bool isTGA = false;
};

// A texture drawn as a blended rectangle in 640x480 screen space.
class VK_SPRITE : public VK_TEXTURE {
public:
    VK_SPRITE();
    VK_SPRITE(const char* fileName, bool tga);
    ~VK_SPRITE() override;

    void Draw(int x, int y);
};

// A fixed underlying type: callers may pass values outside the two named.
enum res_mode : int { RES_PERSPECTIVE = 0, RES_ORTHO = 1 };

// Sets the viewport and projection; leaves the modelview current at identity.
void aresize(float width, float height, res_mode mode);
