// A sound of known timing for the sync bench's self-check: plays raw 16-bit
// stereo at 44100 Hz to a PulseAudio sink and says when each part of it is heard,
// by the playing side's own account.
//   pulse_player SINK IN.raw OUT.timing SECONDS
// The server comes from PULSE_SERVER. The stream asks for the buffer the show's
// sound device asks for (8192 frames, the server adjusting the sink's latency to
// it). After each write, one line of the timing file says: frames written so far,
// CLOCK_MONOTONIC in ns, and the stream's latency in microseconds, signed: the
// frame about to be written will be heard at now + latency. The bench records
// the sink's monitor as it does for the show and compares the two accounts.
#include <pulse/pulseaudio.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

constexpr std::uint32_t rate = 44100;
constexpr std::uint8_t channels = 2;
constexpr std::uint32_t frame_bytes = 4;
constexpr std::uint32_t buffer_bytes = 8192 * frame_bytes;

struct Playback {
    const char* sink = nullptr;
    std::vector<char> sound;
    std::size_t written = 0;
    std::FILE* timing = nullptr;
};

std::int64_t monotonic_ns() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

[[noreturn]] void die(const char* what, pa_context* context) {
    std::fprintf(stderr, "pulse_player: %s: %s\n", what, context ? pa_strerror(pa_context_errno(context)) : "");
    std::exit(1);
}

void log_latency(pa_stream* stream, const Playback& p) {
    pa_usec_t latency = 0;
    int negative = 0;
    const std::int64_t now = monotonic_ns();
    if (pa_stream_get_latency(stream, &latency, &negative) != 0) return;
    const std::int64_t signed_us = negative ? -static_cast<std::int64_t>(latency) : static_cast<std::int64_t>(latency);
    std::fprintf(p.timing, "%llu %lld %lld\n", static_cast<unsigned long long>(p.written / frame_bytes),
                 static_cast<long long>(now), static_cast<long long>(signed_us));
}

void on_write(pa_stream* stream, size_t wanted, void* data) {
    auto& p = *static_cast<Playback*>(data);
    // Past the end, silence keeps the stream running until SECONDS are over.
    static const std::vector<char> silence(buffer_bytes);
    while (wanted > 0) {
        const std::size_t left = p.written < p.sound.size() ? p.sound.size() - p.written : 0;
        std::size_t n = wanted < buffer_bytes ? wanted : buffer_bytes;
        const char* bytes = silence.data();
        if (left > 0) {
            n = n < left ? n : left;
            bytes = p.sound.data() + p.written;
        }
        n -= n % frame_bytes;
        if (n == 0) break;
        if (pa_stream_write(stream, bytes, n, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            die("pa_stream_write", pa_stream_get_context(stream));
        p.written += n;
        wanted -= n;
    }
    log_latency(stream, p);
}

void on_context_state(pa_context* context, void* data) {
    auto& p = *static_cast<Playback*>(data);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        const pa_sample_spec sample_format{PA_SAMPLE_S16LE, rate, channels};
        pa_stream* stream = pa_stream_new(context, "sync bench player", &sample_format, nullptr);
        if (!stream) die("pa_stream_new", context);
        pa_stream_set_write_callback(stream, on_write, &p);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = buffer_bytes;
        attr.prebuf = static_cast<std::uint32_t>(-1);
        attr.minreq = static_cast<std::uint32_t>(-1);
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                                          PA_STREAM_ADJUST_LATENCY);
        if (pa_stream_connect_playback(stream, p.sink, &attr, flags, nullptr, nullptr) < 0)
            die("pa_stream_connect_playback", context);
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: die("cannot reach the PulseAudio server", context);
    default: break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: pulse_player SINK IN.raw OUT.timing SECONDS\n");
        return 2;
    }
    Playback p;
    p.sink = argv[1];
    const double seconds = std::atof(argv[4]);
    std::FILE* in = std::fopen(argv[2], "rb");
    p.timing = std::fopen(argv[3], "w");
    if (!in || !p.timing || seconds <= 0) {
        std::fprintf(stderr, "pulse_player: cannot read %s or write %s, or SECONDS is not positive\n", argv[2],
                     argv[3]);
        return 2;
    }
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
        p.sound.insert(p.sound.end(), chunk, chunk + n);
    std::fclose(in);
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "sync bench player");
    pa_context_set_state_callback(context, on_context_state, &p);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) die("pa_context_connect", context);
    const std::int64_t began = monotonic_ns();
    while ((monotonic_ns() - began) / 1e9 < seconds) {
        if (pa_mainloop_iterate(loop, 0, nullptr) < 0) break;
        timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
    std::fclose(p.timing);
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_mainloop_free(loop);
    return 0;
}
