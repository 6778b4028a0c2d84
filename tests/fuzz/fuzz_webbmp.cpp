// libFuzzer target for the browser layer's own bitmap decoder, built
// natively: every surface it hands out must hold the rows its size claims.
#include "sdlcore.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SDL_Surface* s = vkw::decodeBmp(data, size);
    if (!s) return 0;
    if (s->w <= 0 || s->h <= 0 || s->format->BytesPerPixel != 3 || size_t(s->pitch) < size_t(s->w) * 3)
        __builtin_trap();
    const auto* px = static_cast<const uint8_t*>(s->pixels);
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < size_t(s->pitch) * size_t(s->h); i++) sum = uint8_t(sum + px[i]);
    (void)sum;
    vkw::freeSurface(s);
    return 0;
}
