// Event queue, virtual mouse, key table and bitmap decoder of the browser
// build's SDL 1.2.
#include "sdlcore.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace vkw {

bool EventQueue::push(const SDL_Event& e) {
    if (count_ == kCapacity) return false;
    ring_[(head_ + count_) % kCapacity] = e;
    count_++;
    return true;
}

bool EventQueue::pop(SDL_Event* e) {
    if (count_ == 0) return false;
    if (e) *e = ring_[head_];
    head_ = (head_ + 1) % kCapacity;
    count_--;
    return true;
}

bool VirtualMouse::move(int dx, int dy, SDL_Event* e) {
    return set(x_ + dx, y_ + dy, dx, dy, e);
}

bool VirtualMouse::moveTo(int x, int y, SDL_Event* e) {
    x = std::clamp(x, 0, w_ - 1);
    y = std::clamp(y, 0, h_ - 1);
    return set(x, y, x - x_, y - y_, e);
}

// The position is clamped to the window, as SDL 1.2 keeps its pointer.
bool VirtualMouse::set(int x, int y, int rx, int ry, SDL_Event* e) {
    if (rx == 0 && ry == 0) return false;
    x_ = std::clamp(x, 0, w_ - 1);
    y_ = std::clamp(y, 0, h_ - 1);
    dx_ += rx;
    dy_ += ry;
    std::memset(e, 0, sizeof *e);
    e->motion.type = SDL_MOUSEMOTION;
    e->motion.x = Uint16(x_);
    e->motion.y = Uint16(y_);
    e->motion.xrel = Sint16(std::clamp(rx, -32768, 32767));
    e->motion.yrel = Sint16(std::clamp(ry, -32768, 32767));
    return true;
}

void VirtualMouse::position(int* x, int* y) const {
    if (x) *x = x_;
    if (y) *y = y_;
}

void VirtualMouse::takeRelative(int* dx, int* dy) {
    if (dx) *dx = dx_;
    if (dy) *dy = dy_;
    dx_ = dy_ = 0;
}

SDLKey keyFromDomCode(const char* code) {
    if (!code) return SDLK_UNKNOWN;
    size_t n = std::strlen(code);
    if (n == 4 && std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z')
        return SDLKey(SDLK_a + (code[3] - 'A'));
    if (n == 6 && std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9')
        return SDLKey(SDLK_0 + (code[5] - '0'));
    if ((n == 2 || n == 3) && code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
        int f = n == 2 ? code[1] - '0' : (code[1] - '0') * 10 + (code[2] - '0');
        if (f >= 1 && f <= 12) return SDLKey(SDLK_F1 + f - 1);
    }
    static const struct {
        const char* dom;
        SDLKey key;
    } kNamed[] = {
        {"Escape", SDLK_ESCAPE}, {"Space", SDLK_SPACE}, {"Enter", SDLK_RETURN}, {"Tab", SDLK_TAB},
        {"Backspace", SDLK_BACKSPACE}, {"Delete", SDLK_DELETE}, {"ArrowUp", SDLK_UP}, {"ArrowDown", SDLK_DOWN},
        {"ArrowLeft", SDLK_LEFT}, {"ArrowRight", SDLK_RIGHT}, {"ShiftLeft", SDLK_LSHIFT},
        {"ShiftRight", SDLK_RSHIFT}, {"ControlLeft", SDLK_LCTRL}, {"ControlRight", SDLK_RCTRL},
        {"AltLeft", SDLK_LALT}, {"AltRight", SDLK_RALT},
    };
    for (const auto& k : kNamed)
        if (std::strcmp(code, k.dom) == 0) return k.key;
    return SDLK_UNKNOWN;
}

bool gameTakesKey(SDLKey sym, bool ctrl, bool alt, bool meta) {
    if (ctrl || alt || meta) return false;
    switch (sym) {
        case SDLK_w: case SDLK_a: case SDLK_s: case SDLK_d: case SDLK_SPACE: case SDLK_ESCAPE: return true;
        default: return false;
    }
}

void PageClock::hide(double wall) {
    if (!hidden()) hiddenAt_ = wall;
}

void PageClock::show(double wall) {
    if (!hidden()) return;
    paused_ += std::max(0.0, wall - hiddenAt_);
    hiddenAt_ = -1;
}

double PageClock::ticks(double wall) const { return (hidden() ? hiddenAt_ : wall) - start_ - paused_; }

// A double past 2^32 converted straight to 32 bits is undefined, and in
// wasm may trap: the count is wrapped first.
uint32_t PageClock::ticks32(double wall) const {
    const double wrap = 4294967296.0;
    double t = std::fmod(std::floor(std::max(0.0, ticks(wall))), wrap);
    return uint32_t(t);
}

namespace {

uint32_t le16(const uint8_t* p) { return p[0] | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }

const size_t kFileHeader = 14;
const uint32_t kMaxSide = 16384;

}  // namespace

SDL_Surface* decodeBmp(const uint8_t* data, size_t size) {
    if (!data || size < kFileHeader + 40 || data[0] != 'B' || data[1] != 'M') return nullptr;
    uint32_t pixelsAt = le32(data + 10);
    uint32_t headerSize = le32(data + 14);
    if (headerSize < 40 || headerSize > size - kFileHeader) return nullptr;
    int32_t width = int32_t(le32(data + 18));
    int32_t rawHeight = int32_t(le32(data + 22));
    uint32_t bits = le16(data + 28);
    uint32_t compression = le32(data + 30);
    if (compression != 0 || (bits != 24 && bits != 32)) return nullptr;
    bool topDown = rawHeight < 0;
    uint32_t height = topDown ? 0u - uint32_t(rawHeight) : uint32_t(rawHeight);
    if (width <= 0 || height == 0 || uint32_t(width) > kMaxSide || height > kMaxSide) return nullptr;

    size_t inBpp = bits / 8;
    size_t inStride = (size_t(width) * inBpp + 3) & ~size_t(3);
    if (pixelsAt > size || inStride * height > size - pixelsAt) return nullptr;

    size_t pitch = (size_t(width) * 3 + 3) & ~size_t(3);
    auto* s = new (std::nothrow) SDL_Surface();
    auto* f = new (std::nothrow) SDL_PixelFormat();
    auto* px = new (std::nothrow) uint8_t[pitch * height]();
    if (!s || !f || !px) {
        delete s;
        delete f;
        delete[] px;
        return nullptr;
    }
    f->BitsPerPixel = 24;
    f->BytesPerPixel = 3;
    f->Rmask = 0xFF0000;
    f->Gmask = 0x00FF00;
    f->Bmask = 0x0000FF;
    f->Rshift = 16;
    f->Gshift = 8;
    f->alpha = 255;
    s->format = f;
    s->w = width;
    s->h = int(height);
    s->pitch = Uint16(pitch);
    s->pixels = px;
    for (uint32_t y = 0; y < height; y++) {
        // Files are stored bottom row first unless the height is negative.
        const uint8_t* in = data + pixelsAt + inStride * (topDown ? y : height - 1 - y);
        uint8_t* out = px + pitch * y;
        for (int32_t x = 0; x < width; x++) std::memcpy(out + x * 3, in + x * inBpp, 3);
    }
    return s;
}

void freeSurface(SDL_Surface* s) {
    if (!s) return;
    delete[] static_cast<uint8_t*>(s->pixels);
    delete s->format;
    delete s;
}

}  // namespace vkw
