// The show's own music wiring (open_show_sound, start_clock_and_music, the S key)
// played by SDL_mixer into SDL's disk audio driver, which renders faster than
// real time with SDL_DISKAUDIODELAY=0. Kicks are located in the captured audio
// with a matched filter built from the kick sample itself.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "assets/embedded_data.h"
#include "instruments.h"
#include "runtime/main_loop.h"
#include "runtime/show.h"
#include "runtime/sound.h"
#include "runtime/sound_format.h"
#include "synth.h"

namespace {

constexpr long frames_per_tick = 918;  // both players truncate 918.75 at 44.1 kHz, tempo 120
constexpr long frames_per_beat = 24 * frames_per_tick;
constexpr long nominal_frames_per_beat = audio_rate / 2;  // 500 ms
constexpr long frames_per_order = 16 * frames_per_beat;
constexpr int decimation = 4;  // matched filtering at 11025 Hz
constexpr double ms = audio_rate / 1000.0;

// Captures the show's audio device into a file through SDL's disk driver.
struct DiskCapture {
    std::string path;
    long start_frame = 0;  // frames in the file when the music was started

    DiskCapture() {
        char name[] = "/tmp/music_capture_XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) close(fd);
        path = name;
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
    }
    ~DiskCapture() { std::remove(path.c_str()); }

    long frames() const {
        struct stat st;
        return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size / 4) : 0;
    }
    void mark_start() { start_frame = frames(); }
    // Waits until `count` frames past the start are written (bounded in wall time).
    bool wait_past_start(long count) const {
        for (int i = 0; i < 30000 && frames() < start_frame + count; ++i) SDL_Delay(1);
        return frames() >= start_frame + count;
    }
    // Mono samples from one buffer before the start on; `offset` is the first frame's index.
    std::vector<float> read(long& offset) const {
        offset = std::max(0L, start_frame - audio_buffer_frames);
        std::ifstream in(path, std::ios::binary);
        in.seekg(offset * 4);
        std::vector<std::int16_t> pcm;
        std::int16_t pair[2];
        while (in.read(reinterpret_cast<char*>(pair), sizeof pair)) pcm.insert(pcm.end(), pair, pair + 2);
        std::vector<float> mono(pcm.size() / 2);
        for (std::size_t i = 0; i < mono.size(); ++i) mono[i] = 0.5f * (pcm[2 * i] + pcm[2 * i + 1]);
        return mono;
    }
};

void stop_audio() {
    Mix_HaltMusic();
    if (music_handle) Mix_FreeMusic(music_handle);
    music_handle = nullptr;
    Mix_CloseAudio();
    SDL_Quit();
}

long first_sound(const std::vector<float>& x) {
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] != 0.0f) return static_cast<long>(i);
    }
    return -1;
}

double rms(const std::vector<float>& x, long from, long count) {
    double sum = 0;
    for (long i = from; i < from + count; ++i)
        sum += static_cast<double>(x[static_cast<std::size_t>(i)]) * x[static_cast<std::size_t>(i)];
    return std::sqrt(sum / static_cast<double>(count));
}

std::vector<float> decimate(const std::vector<float>& x) {
    std::vector<float> out(x.size() / decimation);
    for (std::size_t i = 0; i < out.size(); ++i) {
        float s = 0;
        for (int k = 0; k < decimation; ++k) s += x[i * decimation + static_cast<std::size_t>(k)];
        out[i] = s / decimation;
    }
    return out;
}

// The first 30 ms of the kick as the mixer plays it at C-4, decimated.
std::vector<float> kick_template() {
    const auto kick = song::make_instruments()[song::ins_kick - 1].sample;
    const double step = synth::rate_for_relative_note(kick.relative_note) / audio_rate;
    std::vector<float> at_rate(static_cast<std::size_t>(30 * ms));
    for (std::size_t i = 0; i < at_rate.size(); ++i) {
        const double pos = static_cast<double>(i) * step;
        const auto j = static_cast<std::size_t>(pos);
        const double f = pos - static_cast<double>(j);
        at_rate[i] = static_cast<float>(kick.frames[j] * (1 - f) + kick.frames[j + 1] * f);
    }
    return decimate(at_rate);
}

// Normalised cross-correlation of the template with the signal at `at`.
double match(const std::vector<float>& x, long at, const std::vector<float>& t) {
    double dot = 0, energy = 0, norm = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const double v = x[static_cast<std::size_t>(at) + i];
        dot += v * t[i];
        energy += v * v;
        norm += static_cast<double>(t[i]) * t[i];
    }
    return energy > 0 ? dot / std::sqrt(energy * norm) : 0;
}

// The best kick match within `radius` frames of `frame` (full-rate frames).
long best_kick(const std::vector<float>& low, long frame, long radius, const std::vector<float>& t, double& score) {
    long best = frame;
    score = -1;
    for (long i = (frame - radius) / decimation; i <= (frame + radius) / decimation; ++i) {
        const double s = match(low, i, t);
        if (s > score) {
            score = s;
            best = i * decimation;
        }
    }
    return best;
}

// Every kick from `from` on: matches above the threshold, at least 200 ms apart.
std::vector<long> kicks_after(const std::vector<float>& low, long from, const std::vector<float>& t) {
    std::vector<long> found;
    const long end = static_cast<long>(low.size() - t.size());
    for (long i = from / decimation; i < end; ++i) {
        if (match(low, i, t) < 0.6) continue;
        long peak = i;  // climb to the local maximum
        while (peak + 1 < end && match(low, peak + 1, t) >= match(low, peak, t)) ++peak;
        found.push_back(peak * decimation);
        i = peak + static_cast<long>(200 * ms) / decimation;
    }
    return found;
}

}  // namespace

TEST(MusicPlayback, ShowStartsTheModuleFromMemoryWithKicksOnTheAudioBeatGrid) {
    DiskCapture capture;
    ASSERT_EQ(0, SDL_Init(SDL_INIT_AUDIO)) << SDL_GetError();
    open_show_sound(ShowSound::playing);
    ASSERT_NE(nullptr, music_handle) << Mix_GetError();
    // With the device locked no buffer is mixed between the mark and the start, so a
    // loaded machine cannot push the start later in the file.
    SDL_LockAudio();
    capture.mark_start();
    start_clock_and_music();
    SDL_UnlockAudio();
    EXPECT_TRUE(Mix_PlayingMusic());
    const bool rendered = capture.wait_past_start(31L * audio_rate);
    stop_audio();
    ASSERT_TRUE(rendered) << "the disk driver did not render 31 s";

    long offset = 0;
    const auto audio = capture.read(offset);
    const long start = first_sound(audio);
    ASSERT_GE(start, 0) << "the capture is silent";
    EXPECT_LT(start + offset - capture.start_frame, 2L * audio_buffer_frames) << "the music starts at once";
    EXPECT_GT(rms(audio, start, audio_rate), 100.0) << "the opening is audible";
    EXPECT_GT(rms(audio, start + 2 * frames_per_order, frames_per_order), 2000.0) << "drums and bass from order 2";

    // Orders 2 and 3 (beats 32-61): a kick on every beat of the 918-frame grid,
    // which by beat 48 is more than 19 ms ahead of the 500 ms grid.
    const auto low = decimate(audio);
    const auto kick = kick_template();
    for (long beat = 32; beat < 62; ++beat) {
        const long expected = start + beat * frames_per_beat;
        double score = 0;
        const long found = best_kick(low, expected, static_cast<long>(12 * ms), kick, score);
        EXPECT_GT(score, 0.6) << "beat " << beat;
        EXPECT_NEAR(expected, found, 1.0 * ms) << "beat " << beat;
        if (beat >= 48) {
            EXPECT_GT(start + beat * nominal_frames_per_beat - found, 15 * ms) << "beat " << beat;
        }
    }
}

// Presses S from the mixer's post-mix hook once `press_after` frames of music have
// been mixed: the disk driver renders far faster than real time, so a press from
// the test's own thread could land long after the opening. SDL's audio lock is
// recursive, so the skip's Mix_SetMusicPosition works from the hook.
struct SkipPress {
    long press_after = 0;
    long mixed = -1;       // frames of music mixed so far, -1 before the first sound
    long pressed_at = -1;  // frames of music mixed when S was pressed
};

void press_skip_in_mix(void* data, Uint8* stream, int length) {
    auto* press = static_cast<SkipPress*>(data);
    const auto* samples = reinterpret_cast<const std::int16_t*>(stream);
    const long frames = length / 4;
    if (press->mixed < 0) {
        for (long i = 0; i < frames; ++i) {
            if (samples[2 * i] || samples[2 * i + 1]) {
                press->mixed = frames - i;
                break;
            }
        }
    } else {
        press->mixed += frames;
    }
    if (press->pressed_at < 0 && press->mixed >= press->press_after) {
        press->pressed_at = press->mixed;
        SDL_Event key{};
        key.type = SDL_KEYDOWN;
        key.key.keysym.sym = SDLK_s;
        handle_event(key);
    }
}

// The S key during the speed-6 opening: the music jumps to order 10, which sets
// speed 3 itself, so its half-time kicks come every two beats (999 ms), not
// every four (the 1998 ms they would take at the opening's speed).
TEST(MusicPlayback, SkipKeyDuringTheOpeningLandsOnOrder10AtSpeed3) {
    DiskCapture capture;
    ASSERT_EQ(0, SDL_Init(SDL_INIT_AUDIO)) << SDL_GetError();
    open_show_sound(ShowSound::playing);
    ASSERT_NE(nullptr, music_handle) << Mix_GetError();
    SkipPress press;
    press.press_after = 2L * audio_rate;
    Mix_SetPostMix(press_skip_in_mix, &press);
    capture.mark_start();
    start_clock_and_music();
    const bool rendered = capture.wait_past_start(2L * audio_rate + 7L * audio_rate);
    Mix_SetPostMix(nullptr, nullptr);
    stop_audio();
    ASSERT_TRUE(rendered);
    ASSERT_GE(press.pressed_at, press.press_after);

    long offset = 0;
    const auto audio = capture.read(offset);
    const long start = first_sound(audio);
    ASSERT_GE(start, 0);
    const long skip_frame = start + press.pressed_at;
    const auto kicks = kicks_after(decimate(audio), start, kick_template());
    ASSERT_GE(kicks.size(), 5u) << "order 10's kicks after the jump";
    // The jump lands on the first tick of the next buffer, on order 10's first kick.
    EXPECT_GE(kicks[0], skip_frame - static_cast<long>(1 * ms)) << "no kick before the skip";
    EXPECT_LT(kicks[0], skip_frame + 2 * frames_per_tick);
    for (std::size_t i = 1; i < 5; ++i) {
        EXPECT_NEAR(2 * frames_per_beat, kicks[i] - kicks[i - 1], 1.0 * ms) << "kick " << i;
    }
}

// At the end of the pass SDL_mixer starts the module again at order 0 at the
// next mixing buffer: 7936 frames (180 ms) late, while the last order's pad
// still sounds, so the loop has no dropout.
TEST(MusicPlayback, LastOrderLoopsBackToTheOpeningWithinOneBuffer) {
    DiskCapture capture;
    ASSERT_EQ(0, SDL_Init(SDL_INIT_AUDIO)) << SDL_GetError();
    open_show_sound(ShowSound::playing);
    ASSERT_NE(nullptr, music_handle) << Mix_GetError();
    SDL_LockAudio();  // no tick is mixed before the jump
    capture.mark_start();
    Mix_PlayMusic(music_handle, -1);
    Mix_SetMusicPosition(32.0);
    SDL_UnlockAudio();
    const bool rendered = capture.wait_past_start(frames_per_order + 2L * audio_rate);
    stop_audio();
    ASSERT_TRUE(rendered);

    long offset = 0;
    const auto audio = capture.read(offset);
    const long start = first_sound(audio);
    ASSERT_GE(start, 0);
    const long end = start + frames_per_order;
    // Order 0 begins with a bell note over the pad: the first sharp rise after the end.
    const long block = static_cast<long>(5 * ms);
    long restart = -1;
    for (long at = end - 20 * block; at + block < static_cast<long>(audio.size()); at += block / 5) {
        if (rms(audio, at, block) > 2.5 * rms(audio, at - 4 * block, block) + 50) {
            restart = at;
            break;
        }
    }
    ASSERT_GT(restart, end);
    const long delay = restart - end;
    EXPECT_NEAR(audio_buffer_frames - frames_per_order % audio_buffer_frames, delay, 6 * ms);
    std::printf("loop restart %ld frames (%.1f ms) after the pass ends\n", delay, delay / ms);
    double quietest = 1e9;
    for (long at = end - 20 * block; at < restart + 20 * block; at += block)
        quietest = std::min(quietest, rms(audio, at, block));
    EXPECT_GT(quietest, 30.0) << "the loop drops out to silence";
}
