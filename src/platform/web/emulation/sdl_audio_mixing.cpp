// SDL_MixAudio for the browser build, which emscripten's SDL emulation lacks. The
// mixer library links it for sound effects on its channels; the show plays none,
// but a mixer that could be asked to must mix correctly. As in SDL 1.2 for the
// one device format the show opens (signed 16-bit little-endian): the source is
// scaled by volume / 128 and added with clipping.
#include <SDL.h>

#include <algorithm>

namespace {

constexpr int min_sample = -32768;
constexpr int max_sample = 32767;
constexpr int bytes_per_sample = 2;

}  // namespace

extern "C" void SDL_MixAudio(Uint8* destination, const Uint8* source, Uint32 length, int volume) {
    if (volume == 0) return;
    for (Uint32 i = 0; i + 1 < length; i += bytes_per_sample) {
        const int from = static_cast<Sint16>(source[i] | source[i + 1] << 8) * volume / SDL_MIX_MAXVOLUME;
        const int to = static_cast<Sint16>(destination[i] | destination[i + 1] << 8);
        const int mixed = std::clamp(from + to, min_sample, max_sample);
        destination[i] = static_cast<Uint8>(mixed & 0xFF);
        destination[i + 1] = static_cast<Uint8>((mixed >> 8) & 0xFF);
    }
}
