#include "vaskel_texture.h"

#include "vaskel_debug.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

char deb[] = "VK_TEXTURE.txt";

namespace {

const char kFailLog[] = "VK_SK_ENGINE.TXT";

// ID length 0, no colour map, image type 2, empty colour map fields, origin 0,0.
const unsigned char kTgaHeader[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Bytes between the stream position and its end, or -1 when the stream
// cannot tell (a pipe). Lets a short file be refused before a header that
// claims gigabytes makes us allocate them.
long long bytesLeft(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0) return -1;
    return end < here ? -1 : end - here;
}

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

uint32_t le16(const unsigned char* p) { return p[0] | uint32_t(p[1]) << 8; }
uint32_t le32(const unsigned char* p) { return le16(p) | le16(p + 2) << 16; }

// Puts the file's own palette into a surface decoded from a long-header
// bitmap; with an SDL that got it right this changes nothing.
void fixLongHeaderPalette(const char* fileName, SDL_Surface* surface) {
    if (!surface->format->palette) return;
    FILE* file = std::fopen(fileName, "rb");
    if (!file) return;
    unsigned char rgb[256][3];
    int n = vkReadBmpPalette(file, rgb);
    std::fclose(file);
    SDL_Color colors[256];
    for (int i = 0; i < n; i++) colors[i] = SDL_Color{rgb[i][0], rgb[i][1], rgb[i][2], 0};
    if (n > 0) SDL_SetColors(surface, colors, 0, n);
}

// Checks made on the header, before SDL decodes: sdl12-compat allocates and
// clears the claimed picture first (12.5 GB and half a minute for a few
// hundred bytes claiming 65535 x 65535), and reserves gigabytes for some
// headers it cannot decode at all. Refused: a bitmap whose header is cut
// short (its pixels would follow the header, so it holds no picture), one
// that claims more pixel bytes than the file holds, and a size GL would
// refuse after decoding anyway; sizeChecked tells whether the size was
// checked. A file that cannot be opened, or is no bitmap, is left to SDL
// to report.
bool bmpHeaderAcceptable(const char* fileName, bool* sizeChecked) {
    *sizeChecked = false;
    FILE* file = std::fopen(fileName, "rb");
    if (!file) return true;
    unsigned char magic[2];
    bool bitmap = std::fread(magic, 1, sizeof magic, file) == sizeof magic && magic[0] == 'B' && magic[1] == 'M';
    VK_BMP_HEADER header;
    bool read = vkReadBmpHeader(file, &header);
    bool fits = vkBmpPixelsFit(file);
    std::fclose(file);
    if (!bitmap) return true;
    if (!read || !fits) return false;
    *sizeChecked = true;
    return fitsGl(header.width, header.rows);
}

}  // namespace

int vkReadBmpPalette(FILE* file, unsigned char rgb[256][3]) {
    if (!file) return 0;
    // The 14-byte file header and the info header up to its colours-used field.
    unsigned char h[50];
    if (std::fread(h, 1, sizeof h, file) != sizeof h || h[0] != 'B' || h[1] != 'M') return 0;
    uint32_t pixelsAt = le32(h + 10);
    uint32_t headerSize = le32(h + 14);
    uint32_t bits = le16(h + 28);
    uint32_t used = le32(h + 46);
    if (headerSize <= 40 || bits == 0 || bits > 8) return 0;

    uint64_t start = 14 + uint64_t(headerSize);
    if (pixelsAt <= start) return 0;
    uint64_t count = used ? used : (1u << bits);
    count = std::min<uint64_t>({count, 256, (pixelsAt - start) / 4});
    if (std::fseek(file, long(start), SEEK_SET) != 0) return 0;
    int n = 0;
    unsigned char entry[4];  // B, G, R, reserved
    while (uint64_t(n) < count && std::fread(entry, 1, sizeof entry, file) == sizeof entry) {
        rgb[n][0] = entry[2];
        rgb[n][1] = entry[1];
        rgb[n][2] = entry[0];
        n++;
    }
    return n;
}

bool vkReadBmpHeader(FILE* file, VK_BMP_HEADER* header) {
    unsigned char h[34];  // file header and the info header through its compression field
    if (!file || !header || std::fseek(file, 0, SEEK_SET) != 0) return false;
    size_t got = std::fread(h, 1, sizeof h, file);
    if (got < 18 || h[0] != 'B' || h[1] != 'M') return false;
    VK_BMP_HEADER& b = *header;
    b.compression = 0;
    if (le32(h + 14) == 12) {  // OS/2 core header: unsigned 16-bit sizes
        if (got < 26) return false;
        b.width = le16(h + 18);
        b.rows = le16(h + 20);
        b.bits = le16(h + 24);
    } else {  // every other size is read with the Windows layout, as SDL does
        if (got < sizeof h) return false;
        b.width = uint64_t(std::llabs(int32_t(le32(h + 18))));
        b.rows = uint64_t(std::llabs(int32_t(le32(h + 22))));  // negative: top row first
        b.bits = le16(h + 28);
        b.compression = le32(h + 30);
    }
    b.offset = le32(h + 10);  // SDL reads the pixels from here
    return true;
}

bool vkBmpPixelsFit(FILE* file) {
    VK_BMP_HEADER b;
    if (!vkReadBmpHeader(file, &b) || std::fseek(file, 0, SEEK_SET) != 0) return true;
    long long size = bytesLeft(file);
    if (size < 0) return true;
    uint64_t held = uint64_t(size) > b.offset ? uint64_t(size) - b.offset : 0;

    // Run-length codes can end the picture at once (the rest stays index
    // 0), so two bytes may legitimately stand for any size.
    const uint32_t kRle8 = 1, kRle4 = 2;
    if (b.compression == kRle8 || b.compression == kRle4) return held >= 2;

    // Rows are padded to 4 bytes, except that SDL does not insist on the
    // last row's padding.
    uint64_t lastRow = (b.width * b.bits + 7) / 8;
    if (lastRow == 0 || b.rows == 0) return true;
    uint64_t row = (lastRow + 3) & ~uint64_t(3);
    return lastRow <= held && b.rows - 1 <= (held - lastRow) / row;
}

bool vkReadTGA(FILE* file, VK_TGA_IMAGE* image) {
    if (!image) return false;
    image->pixels = nullptr;
    if (!file) return false;

    unsigned char head[12];
    if (std::fread(head, 1, sizeof head, file) != sizeof head) return false;
    if (std::memcmp(head, kTgaHeader, sizeof head) != 0) return false;

    unsigned char info[6];
    if (std::fread(info, 1, sizeof info, file) != sizeof info) return false;
    image->width = info[0] + 256u * info[1];
    image->height = info[2] + 256u * info[3];
    unsigned depth = info[4];  // info[5], the descriptor, is ignored
    if (image->width == 0 || image->height == 0 || (depth != 24 && depth != 32)) return false;

    // A count that does not fit 32 bits is refused like a bad header.
    uint64_t count = uint64_t(image->width) * image->height * (depth / 8);
    if (count > 0xFFFFFFFFull) return false;
    image->bpp = depth;

    long long left = bytesLeft(file);
    if (left >= 0 && uint64_t(left) < count) return false;
    auto* pixels = new (std::nothrow) unsigned char[count];
    if (!pixels) return false;
    if (std::fread(pixels, 1, count, file) != count) {
        delete[] pixels;
        return false;
    }
    size_t step = depth / 8;
    for (size_t i = 0; i + 2 < count; i += step) {
        unsigned char b = pixels[i];
        pixels[i] = pixels[i + 2];
        pixels[i + 2] = b;
    }
    image->pixels = pixels;
    return true;
}

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
    bool sizeChecked = false;
    SDL_RWops* rw = bmpHeaderAcceptable(fileName, &sizeChecked) ? SDL_RWFromFile(fileName, "rb") : nullptr;
    SDL_Surface* surface = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;

    vkLog("VK_TEXTURE: Attempting to load Texture ", deb);
    vkLog(fileName, deb);
    vkLog("\n", deb);

    // Refused before conversion: neither check depends on the pixel layout.
    if (surface && (!decodedDepth(surface->format) || (!sizeChecked && !fitsGl(surface->w, surface->h)))) {
        SDL_FreeSurface(surface);
        surface = nullptr;
    }
    if (surface) {
        fixLongHeaderPalette(fileName, surface);
        surface = toBgr24(surface);
    }
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
