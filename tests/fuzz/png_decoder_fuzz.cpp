// libFuzzer harness: the Windows and browser builds' PNG decoder
// (src/platform/png_image) over arbitrary bytes. Every input must give a surface
// or a null with SDL's error set, never a crash, a leak or undefined behaviour.
#include <SDL.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/png_image/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > INT_MAX) return 0;
    SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (!stream) return 0;
    SDL_Surface* surface = decode_png_rw(stream, 1);
    if (!surface) {
        if (std::strlen(SDL_GetError()) == 0) __builtin_trap();  // a failure always says why
        return 0;
    }
    // Every row the decoder claims must be there to read.
    static volatile std::uint8_t last_bytes;
    const auto* pixels = static_cast<const std::uint8_t*>(surface->pixels);
    for (int y = 0; y < surface->h; ++y) last_bytes = last_bytes ^ pixels[y * surface->pitch + surface->pitch - 1];
    SDL_FreeSurface(surface);
    return 0;
}
