#pragma once

#include <cstdint>

// Name of the texture log.
extern char deb[];

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
