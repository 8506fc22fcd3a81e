// When the desktop's listener hears the music begin. SDL 1.2 reports no latency,
// so it is worked out from when the mixer is asked for buffers. The device asks
// for a buffer when it has room for one, keeps one more queued ahead of it
// (through the compatibility layer, SDL2 and PulseAudio: the device does not
// start playing the buffer mixed at opening until the next one comes), and
// plays them back to back at its rate; the output adds its own latency, as
// measured on a PulseAudio sink. So the buffer mixed at a prompt request is
// heard one buffer and the output's latency later. A request that comes late
// finds less queued, so of the first few buffers of music the earliest
// estimate stands: each later buffer counts back by the buffers between.
#include <SDL.h>

#include <atomic>
#include <cstdint>

#include "platform/sdl_desktop/desktop_sound_clock.h"
#include "runtime/platform.h"
#include "runtime/sound_format.h"

namespace {

constexpr double buffer_ms = 1000.0 * audio_buffer_frames / audio_rate;  // 185.8 ms
constexpr double queued_buffers = 1.0;    // queued ahead of the buffer just asked for
constexpr double output_latency_ms = 24;  // the sink's own, measured with bench/sync
constexpr int refining_buffers = 8;       // music buffers whose requests refine the estimate

// Written on the mixer's thread, read by the main loop.
std::atomic<int> music_buffers{0};  // buffers mixed since the music began, 0 before
std::atomic<std::uint32_t> music_heard_ticks{0};

}  // namespace

void reset_desktop_sound_clock() { music_buffers = 0; }

void platform_sound_mixed(int, bool music_begins) {
    if (music_begins) music_buffers = 0;
    else if (music_buffers == 0 || music_buffers > refining_buffers) return;
    const int index = music_buffers;  // this buffer's place from the music's first
    const double lead_ms = (queued_buffers - index) * buffer_ms + output_latency_ms;
    const std::uint32_t heard = SDL_GetTicks() + static_cast<std::uint32_t>(static_cast<std::int32_t>(lead_ms + 0.5));
    const bool earlier = index == 0 || static_cast<std::int32_t>(heard - music_heard_ticks) < 0;
    if (earlier) music_heard_ticks = heard;
    music_buffers = index + 1;
}

bool platform_music_heard_at(std::uint32_t& ticks) {
    if (music_buffers == 0) return false;
    ticks = music_heard_ticks;
    return true;
}
