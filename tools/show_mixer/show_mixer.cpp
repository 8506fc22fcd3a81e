// Offline rendering of a module with libmikmod, set up as the show's mixer does.
//
// The show's mixer (SDL_mixer 1.2.12 over libmikmod) sets the player up as done
// below: 16-bit stereo at the device rate, software mixing with surround and the
// high-quality mixer, no interpolation, no reverb, volume 96, module loaded with
// 64 voices, extended speed and panning on, no wrapping, and music volume 128
// once playing. The player itself fixes the timing: a tick at tempo 120 lasts
// floor(44100 * 125 / (120 * 50)) = 918 samples rather than 918.75, so its music
// runs 0.08 % ahead of the clock, exactly as in the show.
//
// Position: the show starts clock and music together and never corrects them, so
// the sound at clock time t is sample floor(t * 44100 / 1000) of one continuous
// stream. A capture renders that stream from its first sample and drops what
// lies before the wanted position, instead of seeking to an order: a seek would
// lose notes ringing over from the previous order and the player's timing within
// the pass. Rendering runs far faster than real time (a whole pass in well under
// a second), so this costs little.
//
// Looping: the mixer checks at the start of each mixing buffer whether the song
// has ended and starts it over; the stream is modelled with the show's buffer of
// audio_buffer_frames frames, the end of a pass being the start of the first
// buffer in which the player is no longer active (7,936 frames after the song's
// last tick). Compared with the mixer's own output (SDL's disk audio driver), the
// stream is identical sample for sample, over the loop too.
//
// Late starts: every restart leaves the player in the same state, so from the
// first restart on the stream repeats with the length of a pass, sample for
// sample. (The first pass differs in its first 128 frames: a restart fades out
// what the previous pass left sounding, and before the first there is nothing.)
// A start many passes in therefore renders the first pass, then jumps over the
// whole passes before the wanted position: any start costs at most two passes
// of rendering.
#include "show_mixer.h"

#include <mikmod.h>

#include <algorithm>
#include <cassert>
#include <climits>
#include <vector>

#include "runtime/sound_format.h"

namespace {

constexpr int player_voices = 64;
constexpr UBYTE mixer_volume = 96;
constexpr UBYTE full_volume = 128;
constexpr UBYTE full_pan_separation = 128;
constexpr SWORD music_volume = 128;
constexpr UWORD mixer_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC | DMODE_HQMIXER | DMODE_SURROUND;
constexpr std::size_t bytes_per_frame = sizeof(std::int16_t) * audio_channels;

MODULE* load_module(const std::uint8_t* bytes, std::size_t size, std::string& error) {
    if (size > INT_MAX) {
        error = "the module is too large for the player";
        return nullptr;
    }
    md_mode = mixer_mode;
    md_mixfreq = audio_rate;
    md_device = 0;
    md_volume = mixer_volume;
    md_musicvolume = full_volume;
    md_sndfxvolume = full_volume;
    md_pansep = full_pan_separation;
    md_reverb = 0;
    MikMod_RegisterDriver(&drv_nos);
    MikMod_RegisterLoader(&load_xm);
    if (MikMod_Init("") != 0) {
        error = std::string("the module player cannot start: ") + MikMod_strerror(MikMod_errno);
        return nullptr;
    }
    MODULE* module = Player_LoadMem(reinterpret_cast<const char*>(bytes), static_cast<int>(size), player_voices, 0);
    if (!module) {
        error = std::string("the module cannot be loaded: ") + MikMod_strerror(MikMod_errno);
        MikMod_Exit();
        return nullptr;
    }
    module->extspd = 1;
    module->panflag = 1;
    module->wrap = 0;
    module->loop = 0;
    return module;
}

// As the mixer (re)starts the music: stop whatever plays (which silences every
// voice and restarts the software mixer's tick count), start, set the volume
// (it takes effect only once playing), then rewind to position 0.
void start_song(MODULE* module) {
    Player_Stop();
    Player_Start(module);
    Player_SetVolume(music_volume);
    Player_SetPosition(0);
}

}  // namespace

bool render_module_stream(const std::uint8_t* bytes, std::size_t size, std::int64_t first, std::int64_t end,
                          const SampleSink& sink, std::string& error, bool (*stop_requested)()) {
    assert(first >= 0 && (end == end_of_pass || end >= first));
    MODULE* module = load_module(bytes, size, error);
    if (!module) return false;
    std::vector<std::int16_t> block(static_cast<std::size_t>(audio_buffer_frames) * audio_channels);
    bool ok = true;
    bool restarted = false;
    start_song(module);
    for (std::int64_t at = 0; end == end_of_pass || at < end; at += audio_buffer_frames) {
        if (stop_requested && stop_requested()) {
            error = "interrupted";
            ok = false;
            break;
        }
        if (!Player_Active()) {
            if (end == end_of_pass && at > first) break;  // the pass holding `first` is over
            if (!restarted && first > at) {
                // At the first restart `at` is the length of a pass, and the stream
                // from here repeats with it: jump over the whole passes before `first`.
                const std::int64_t pass = at;
                at += (first - at) / pass * pass;
            }
            restarted = true;
            start_song(module);
        }
        VC_WriteBytes(reinterpret_cast<SBYTE*>(block.data()), audio_buffer_frames * bytes_per_frame);
        const std::int64_t block_end = at + audio_buffer_frames;
        if (block_end <= first) continue;  // before the wanted position
        const std::int64_t from = std::max(first, at);
        const std::int64_t to = end == end_of_pass ? block_end : std::min(end, block_end);
        if (!sink(block.data() + (from - at) * audio_channels, static_cast<std::size_t>(to - from))) {
            error = "writing the sound stopped";
            ok = false;
            break;
        }
    }
    Player_Stop();
    Player_Free(module);
    MikMod_Exit();
    return ok;
}
