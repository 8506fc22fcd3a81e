// music-render MODULE OUTPUT.wav: renders one full pass of a module through
// libxmp (44.1 kHz, 16-bit stereo) into a WAV file, for the spectrogram and for
// checking levels by analysis.
#include <xmp.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr int rate = 44100;

void put32(std::ofstream& out, std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); }
void put16(std::ofstream& out, std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); }

void write_wav(const char* path, const std::vector<std::int16_t>& pcm) {
    std::ofstream out(path, std::ios::binary);
    const auto bytes = static_cast<std::uint32_t>(pcm.size() * 2);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 2);
    put32(out, rate);
    put32(out, rate * 4);
    put16(out, 4);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    out.write(reinterpret_cast<const char*>(pcm.data()), bytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: music-render MODULE OUTPUT.wav\n");
        return 2;
    }
    xmp_context ctx = xmp_create_context();
    if (xmp_load_module(ctx, argv[1]) != 0) {
        std::fprintf(stderr, "music-render: libxmp cannot load %s\n", argv[1]);
        return 1;
    }
    xmp_start_player(ctx, rate, 0);
    xmp_set_player(ctx, XMP_PLAYER_MIX, 100);
    std::vector<std::int16_t> pcm;
    xmp_frame_info fi;
    int peak = 0, clipped = 0;
    while (xmp_play_frame(ctx) == 0) {
        xmp_get_frame_info(ctx, &fi);
        if (fi.loop_count > 0) break;
        const auto* s = static_cast<const std::int16_t*>(fi.buffer);
        for (int i = 0; i < fi.buffer_size / 2; ++i) {
            const int v = s[i] < 0 ? -s[i] : s[i];
            if (v > peak) peak = v;
            if (v >= 32767) ++clipped;
            pcm.push_back(s[i]);
        }
    }
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    write_wav(argv[2], pcm);
    std::printf("%s: %.3f s, peak %d, %d clipped samples\n", argv[2], pcm.size() / 2.0 / rate, peak, clipped);
    return 0;
}
