// libFuzzer target for the bitmap path: SDL's decoder on a memory stream,
// then the whole loader (decode, conversion to 24-bit B, G, R, row packing,
// upload) on a file with the checking GL stand-in, which reads every byte
// the upload claims.
#include "engine/vaskel_texture.h"
#include "fuzz_file.h"

#include <SDL/SDL.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (SDL_RWops* rw = SDL_RWFromConstMem(data, int(size))) {
        if (SDL_Surface* surface = SDL_LoadBMP_RW(rw, 1)) SDL_FreeSurface(surface);
    }

    VK_TEXTURE texture(fuzz::writeInput(data, size, ".bmp"), false);
    return 0;
}
