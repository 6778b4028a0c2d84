#include "vaskel_texture.h"

#include "vaskel_debug.h"
#include "vaskel_image.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

char deb[] = "VK_TEXTURE.txt";

namespace {

const char kFailLog[] = "VK_SK_ENGINE.TXT";

// SDL surface masks that put a 24-bit pixel's bytes in memory as B, G, R.
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
const Uint32 kBgrRed = 0xFF0000, kBgrGreen = 0x00FF00, kBgrBlue = 0x0000FF;
const Uint8 kBgrRedShift = 16, kBgrBlueShift = 0;
#else
const Uint32 kBgrRed = 0x0000FF, kBgrGreen = 0x00FF00, kBgrBlue = 0xFF0000;
const Uint8 kBgrRedShift = 0, kBgrBlueShift = 16;
#endif

bool isBgr24(const SDL_PixelFormat* f) {
    return f && f->BitsPerPixel == 24 && f->BytesPerPixel == 3 && f->Rmask == kBgrRed &&
           f->Gmask == kBgrGreen && f->Bmask == kBgrBlue;
}

// SDL 1.2 decodes every bitmap it understands to 8 (palette), 15, 16, 24
// or 32 bits per pixel. A header whose bit count it cannot map (2048, 2049)
// comes back as a surface of 0 or 1 bits per pixel at the header's size:
// SDL's own converter crashes on the one and would allocate a full-size
// image of nothing for the other.
bool decodedDepth(const SDL_PixelFormat* f) {
    switch (f->BitsPerPixel) {
        case 8: return f->BytesPerPixel == 1 && f->palette;
        case 15: case 16: return f->BytesPerPixel == 2;
        case 24: return f->BytesPerPixel == 3;
        case 32: return f->BytesPerPixel == 4;
        default: return false;
    }
}

// The upload reads three bytes per pixel as B, G, R. Anything else SDL
// decodes (palettes, 16 and 32 bits, other mask orders) is converted first.
// Takes ownership of surface; returns null if conversion fails.
SDL_Surface* toBgr24(SDL_Surface* surface) {
    if (isBgr24(surface->format)) return surface;
    SDL_PixelFormat bgr;
    std::memset(&bgr, 0, sizeof bgr);
    bgr.BitsPerPixel = 24;
    bgr.BytesPerPixel = 3;
    bgr.Rmask = kBgrRed;
    bgr.Gmask = kBgrGreen;
    bgr.Bmask = kBgrBlue;
    bgr.Rshift = kBgrRedShift;
    bgr.Gshift = 8;
    bgr.Bshift = kBgrBlueShift;
    bgr.Aloss = 8;
    bgr.alpha = 255;
    SDL_Surface* converted = SDL_ConvertSurface(surface, &bgr, SDL_SWSURFACE);
    SDL_FreeSurface(surface);
    return converted;
}

// Rows padded to 4 bytes, as GL_UNPACK_ALIGNMENT 4 expects. SDL pads this
// way already; a surface with another pitch is repacked into packed.
const void* alignedRows(const SDL_Surface* s, std::vector<unsigned char>& packed) {
    size_t row = size_t(s->w) * 3;
    size_t stride = (row + 3) & ~size_t(3);
    if (size_t(s->pitch) == stride || s->h <= 0) return s->pixels;
    packed.assign(stride * size_t(s->h), 0);
    const auto* src = static_cast<const unsigned char*>(s->pixels);
    for (int y = 0; y < s->h; y++) std::memcpy(&packed[stride * size_t(y)], src + size_t(s->pitch) * size_t(y), row);
    return packed.data();
}

// GL refuses an image larger than its limit and leaves the texture name
// without pixels, which draws as plain white; such an image is a failed
// load. Asked before any name is made, so a refusal uploads nothing.
bool fitsGl(uint64_t w, uint64_t h) {
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    return limit > 0 && w <= uint64_t(limit) && h <= uint64_t(limit);
}

// SDL decodes a bitmap only once its header has passed: sdl12-compat
// allocates and clears the claimed picture first (12.5 GB and half a minute
// for a few hundred bytes claiming 65535 x 65535), and reserves gigabytes
// for some headers it cannot decode at all. A size GL would refuse after
// decoding is refused here, before any name is made. What is not a bitmap
// goes to SDL, which reports it.
SDL_Surface* decodeBmp(const char* fileName, const VK_BMP_INFO& info) {
    if (info.verdict == VK_BMP_HEADER_CUT || info.verdict == VK_BMP_PIXELS_MISSING) return nullptr;
    if (info.verdict == VK_BMP_ACCEPTABLE && !fitsGl(info.width, info.rows)) return nullptr;
    SDL_RWops* rw = SDL_RWFromFile(fileName, "rb");
    return rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
}

// The decoded surface as the upload reads it, with the file's own palette;
// null (and freed) when SDL's result is not the picture whose size was
// checked against GL's limit.
SDL_Surface* uploadable(SDL_Surface* surface, const VK_BMP_INFO& info) {
    if (!surface) return nullptr;
    if (!decodedDepth(surface->format) || uint64_t(surface->w) != info.width || uint64_t(surface->h) != info.rows) {
        SDL_FreeSurface(surface);
        return nullptr;
    }
    if (info.colors > 0 && surface->format->palette) {
        SDL_Color colors[256];
        for (int i = 0; i < info.colors; i++)
            colors[i] = SDL_Color{info.palette[i][0], info.palette[i][1], info.palette[i][2], 0};
        SDL_SetColors(surface, colors, 0, info.colors);
    }
    return toBgr24(surface);
}

}  // namespace

VK_TEXTURE::VK_TEXTURE() = default;

VK_TEXTURE::VK_TEXTURE(const char* fileName, bool tga) {
    if (std::strcmp(fileName, "NONE") == 0) {
        vkLog("VK_TEXTURE: Loading Blank Texture\n", deb);
        return;
    }
    if (tga)
        LoadTGA(fileName);
    else
        LoadBMP(fileName);
}

// The GL name is left alone: the context may already be gone.
VK_TEXTURE::~VK_TEXTURE() { delete[] imageData; }

void VK_TEXTURE::LoadBMP(const char* fileName) {
    VK_BMP_INFO info = vkInspectBmpFile(fileName);
    SDL_Surface* surface = decodeBmp(fileName, info);
    vkLog("VK_TEXTURE: Attempting to load Texture ", deb);
    vkLog(fileName, deb);
    vkLog("\n", deb);
    surface = uploadable(surface, info);
    if (!surface) {
        std::string message = std::string("VK_TEXTURE: Couldn't load texture ") + fileName + "\n";
        vkLog(message.c_str(), kFailLog);
        return;
    }

    std::vector<unsigned char> packed;
    const void* pixels = alignedRows(surface, packed);
    glGenTextures(1, &texID);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, texID);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // The surface's first row (the top of the picture) becomes t = 0.
    glTexImage2D(GL_TEXTURE_2D, 0, 3, surface->w, surface->h, 0, GL_BGR, GL_UNSIGNED_BYTE, pixels);
    vkLog("VK_TEXTURE: OK.", deb);
    SDL_FreeSurface(surface);
}

bool VK_TEXTURE::LoadTGA(const char* fileName) {
    isTGA = true;
    delete[] imageData;
    imageData = nullptr;

    FILE* file = std::fopen(fileName, "rb");
    if (!file) return false;
    VK_TGA_IMAGE image;
    image.width = width;
    image.height = height;
    image.bpp = bpp;
    bool ok = vkReadTGA(file, &image);
    std::fclose(file);
    width = image.width;
    height = image.height;
    bpp = image.bpp;
    if (!ok) return false;
    if (!fitsGl(width, height)) {
        delete[] image.pixels;
        return false;
    }
    imageData = image.pixels;

    glGenTextures(1, &texID);
    glBindTexture(GL_TEXTURE_2D, texID);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLfloat>(GL_NEAREST));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLfloat>(GL_NEAREST));
    GLenum format = bpp == 24 ? GL_RGB : GL_RGBA;
    // Targa rows are packed; GL would otherwise read each row padded to 4.
    bool packedRows = (width * (bpp / 8)) % 4 != 0;
    if (packedRows) glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), GLsizei(width), GLsizei(height), 0, format, GL_UNSIGNED_BYTE,
                 imageData);
    if (packedRows) glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    return true;
}

VK_SPRITE::VK_SPRITE() = default;

VK_SPRITE::VK_SPRITE(const char* fileName, bool tga) {
    if (std::strcmp(fileName, "NONE") == 0) {
        vkLog("VK_SPRITE: Loading Blank Texture\n", deb);
        return;
    }
    if (!tga) {
        LoadBMP(fileName);
        return;
    }
    // A refused Targa still leaves its header's size behind; a sprite
    // drawn at that size would cover the screen with untextured white.
    if (!LoadTGA(fileName)) width = height = 0;
}

VK_SPRITE::~VK_SPRITE() = default;

void VK_SPRITE::Draw(int x, int y) {
    aresize(640.0f, 480.0f, RES_ORTHO);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, texID);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);

    // Signed sums: a sprite left of or above the window stays off screen.
    float left = float(x);
    float top = float(y);
    float right = float(int64_t(x) + width);
    float bottom = float(int64_t(y) + height);
    // t = 0 (the first texture row) runs along the bottom edge.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(left, bottom);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(right, bottom);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(right, top);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(left, top);
    glEnd();

    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    aresize(640.0f, 480.0f, RES_PERSPECTIVE);
}

void aresize(float width, float height, res_mode mode) {
    if (height == 0.0f) height = 1.0f;
    glViewport(0, 0, GLsizei(width), GLsizei(height));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (mode == RES_PERSPECTIVE)
        gluPerspective(45.0, double(width / height), 0.1, 100.0);  // float quotient, as sresize
    else if (mode == RES_ORTHO)
        glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
