// Records a PulseAudio source (a null sink's monitor) to raw 16-bit stereo and,
// beside it, when each stretch of it was heard, on CLOCK_MONOTONIC.
//   pulse_recorder SOURCE OUT.raw OUT.timing SECONDS
// The server comes from PULSE_SERVER. After each read of the stream, one line of
// the timing file says: frames read so far, CLOCK_MONOTONIC in ns at that moment,
// and the stream's latency in microseconds, signed. For a monitor the latency is
// the transport less the sink's own latency (PulseAudio reports it negative when
// the sink holds more than is on its way), so the next frame to be read was (or
// will be) heard at now - latency. The interpolated timing of the stream keeps
// that exact between the server's timing updates. Ends after SECONDS, or on
// SIGTERM or SIGINT, with the files complete.
#include <pulse/pulseaudio.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr std::uint32_t rate = 44100;
constexpr std::uint8_t channels = 2;
constexpr std::uint32_t frame_bytes = 4;
// Reads arrive in about 20 ms stretches; the stream asks for no latency of its
// own (no PA_STREAM_ADJUST_LATENCY), so the sink keeps the latency its players ask for.
constexpr std::uint32_t fragment_bytes = rate / 50 * frame_bytes;

struct Recording {
    pa_mainloop* loop = nullptr;
    pa_stream* stream = nullptr;
    const char* source = nullptr;
    std::FILE* samples = nullptr;
    std::FILE* timing = nullptr;
    std::uint64_t bytes_read = 0;
    double seconds = 0;
};

volatile std::sig_atomic_t stop_requested = 0;

std::int64_t monotonic_ns() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

[[noreturn]] void die(const char* what, pa_context* context) {
    std::fprintf(stderr, "pulse_recorder: %s: %s\n", what, context ? pa_strerror(pa_context_errno(context)) : "");
    std::exit(1);
}

void on_read(pa_stream* stream, size_t, void* data) {
    auto& r = *static_cast<Recording*>(data);
    const void* bytes = nullptr;
    size_t length = 0;
    while (pa_stream_readable_size(stream) > 0) {
        if (pa_stream_peek(stream, &bytes, &length) < 0) die("pa_stream_peek", pa_stream_get_context(stream));
        if (length == 0) break;
        if (bytes) {
            std::fwrite(bytes, 1, length, r.samples);
        } else {
            // A hole in the source: kept as silence, so frame counts stay true.
            static const char zeros[4096] = {};
            for (size_t left = length; left > 0;) {
                const size_t n = left < sizeof zeros ? left : sizeof zeros;
                std::fwrite(zeros, 1, n, r.samples);
                left -= n;
            }
        }
        r.bytes_read += length;
        pa_stream_drop(stream);
    }
    pa_usec_t latency = 0;
    int negative = 0;
    const std::int64_t now = monotonic_ns();
    if (pa_stream_get_latency(stream, &latency, &negative) == 0) {
        const std::int64_t signed_us =
            negative ? -static_cast<std::int64_t>(latency) : static_cast<std::int64_t>(latency);
        std::fprintf(r.timing, "%llu %lld %lld\n", static_cast<unsigned long long>(r.bytes_read / frame_bytes),
                     static_cast<long long>(now), static_cast<long long>(signed_us));
    }
}

void on_stream_state(pa_stream* stream, void* data) {
    auto& r = *static_cast<Recording*>(data);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_FAILED: die("recording stream failed", pa_stream_get_context(stream));
    case PA_STREAM_READY: std::fprintf(stderr, "pulse_recorder: recording %s\n", r.source); break;
    default: break;
    }
}

void on_context_state(pa_context* context, void* data) {
    auto& r = *static_cast<Recording*>(data);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        const pa_sample_spec sample_format{PA_SAMPLE_S16LE, rate, channels};
        r.stream = pa_stream_new(context, "sync bench recorder", &sample_format, nullptr);
        if (!r.stream) die("pa_stream_new", context);
        pa_stream_set_state_callback(r.stream, on_stream_state, &r);
        pa_stream_set_read_callback(r.stream, on_read, &r);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.fragsize = fragment_bytes;
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                                          PA_STREAM_DONT_MOVE | PA_STREAM_NO_REMIX_CHANNELS);
        if (pa_stream_connect_record(r.stream, r.source, &attr, flags) < 0) die("pa_stream_connect_record", context);
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: die("cannot reach the PulseAudio server", context);
    default: break;
    }
}

void on_signal(int) { stop_requested = 1; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: pulse_recorder SOURCE OUT.raw OUT.timing SECONDS\n");
        return 2;
    }
    Recording r;
    r.source = argv[1];
    r.seconds = std::atof(argv[4]);
    r.samples = std::fopen(argv[2], "wb");
    r.timing = std::fopen(argv[3], "w");
    if (!r.samples || !r.timing || r.seconds <= 0) {
        std::fprintf(stderr, "pulse_recorder: cannot write %s or %s, or SECONDS is not positive\n", argv[2], argv[3]);
        return 2;
    }
    std::signal(SIGTERM, on_signal);
    std::signal(SIGINT, on_signal);
    r.loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(r.loop), "sync bench recorder");
    pa_context_set_state_callback(context, on_context_state, &r);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) die("pa_context_connect", context);
    // Iterates with a short wake-up so a signal or the end of SECONDS is seen.
    const std::int64_t began = monotonic_ns();
    while (!stop_requested) {
        if (pa_mainloop_prepare(r.loop, 50000) < 0 || pa_mainloop_poll(r.loop) < 0 || pa_mainloop_dispatch(r.loop) < 0)
            break;
        if ((monotonic_ns() - began) / 1e9 > r.seconds) break;
    }
    std::fclose(r.samples);
    std::fclose(r.timing);
    if (r.stream) pa_stream_disconnect(r.stream);
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_mainloop_free(r.loop);
    return 0;
}
