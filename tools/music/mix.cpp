// The channels' levels, and why they are where they are.
//
// How the show's mixer (libmikmod's high-quality software mixer, as SDL_mixer
// 1.2 sets it up: mixer volume 96 of 128, music volume 128) turns a note into
// output: the voice's volume is note volume/64 x envelope/64 x global volume/64
// x fade, times 192 of 256 for the mixer volume; the pan splits it as
// (255 - pan)/256 to the left and pan/256 to the right; each side is the sum of
// sample x its share / 512 over all voices, clipped at the 16-bit limits. So a
// full-scale sample at volume 64 in the centre plays at 95/512 (-14.6 dBFS) on
// each side, and hard panned at 191/512 (-8.6 dBFS) on one. Nothing is divided
// by the number of channels or voices, and the global volume starts at its top
// (64): Gxx can only lower it. The loudest a part can be is therefore its
// sample's density at volume 64; the mix reaches -14 LUFS only with the parts
// near the top of their range, the kick, bass and lead at or near it.
//
// Each channel soloed (every other channel's notes taken out) and measured over
// one pass through the show's mixer: kick -19.6 LUFS, lead -19.7, bass -20.5,
// snare -23.8, pad -23.9, choir -25.9, crash and sweep -29.0, pluck -29.1, hats
// -32.3, chord -32.6. The kick and the bass carry the most energy (RMS -20.4 and
// -20.5 dBFS against the lead's -25.4, the pad's -26.2 and the choir's -30.4);
// the pad and the choir stay beneath the lead.
#include "mix.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "tracks.h"

namespace song {

namespace {

// Multiplies the volumes the song writes; a level above 1 must keep the
// channel's loudest note at or below 64.
constexpr double levels[channel_count] = {
    1.0,   // kick: at the top
    0.9,   // snare: its backbeats land on the kick; a little under it
    1.0,   // hats
    1.14,  // bass: its loudest notes (56) at 64
    1.26,  // lead: clear, just under the kick
    1.3,   // chord stabs
    1.2,   // pad
    1.3,   // choir
    1.2,   // pluck
    1.27,  // crash and sweep
};

}  // namespace

int mixed_volume(int channel, int volume) {
    const int v = static_cast<int>(std::lround(volume * levels[channel]));
    if (v > 64)
        throw std::logic_error("channel " + std::to_string(channel) + ": volume " + std::to_string(volume) +
                               " at its level is " + std::to_string(v) + ", above 64");
    return v;
}

int mixed_change(int channel, int change) { return static_cast<int>(std::lround(change * levels[channel])); }

}  // namespace song
