// music-loudness [--check] FILE: the loudness of one pass of a module as the
// show plays it (FILE.xm, rendered through the show's mixer), or of any 16-bit
// WAV (what another player made of it): integrated loudness, loudness range,
// true peak, sample peak and the clipped samples. With --check, each figure off
// the show's targets is a line on standard error and the status is 1.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "input_file.h"
#include "level_targets.h"
#include "loudness_meter.h"
#include "runtime/sound_format.h"
#include "show_mixer.h"
#include "wav_reader.h"

namespace {

constexpr char xm_id[] = "Extended Module: ";

bool is_module(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= sizeof xm_id - 1 && std::memcmp(bytes.data(), xm_id, sizeof xm_id - 1) == 0;
}

bool measure_module(const std::vector<std::uint8_t>& bytes, loudness::LoudnessFigures& figures, std::string& error) {
    auto meter = loudness::make_loudness_meter(audio_rate, audio_channels);
    const auto sink = [&](const std::int16_t* frames, std::size_t count) {
        loudness::add_frames(meter, frames, count);
        return true;
    };
    if (!render_module_stream(bytes.data(), bytes.size(), 0, end_of_pass, sink, error)) return false;
    figures = loudness::finish_loudness(meter);
    return true;
}

bool measure_wav(const std::vector<std::uint8_t>& bytes, loudness::LoudnessFigures& figures, int& rate,
                 std::string& error) {
    loudness::PcmSound sound;
    if (!loudness::read_wav(bytes.data(), bytes.size(), sound, error)) return false;
    auto meter = loudness::make_loudness_meter(sound.rate, sound.channels);
    loudness::add_frames(meter, sound.samples.data(), sound.samples.size() / static_cast<std::size_t>(sound.channels));
    figures = loudness::finish_loudness(meter);
    rate = sound.rate;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 + check) {
        std::fprintf(stderr, "usage: music-loudness [--check] FILE.xm|FILE.wav\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!read_input_file(path, bytes, error)) {
        std::fprintf(stderr, "%s: fault: %s\n", path, error.c_str());
        return 1;
    }
    loudness::LoudnessFigures f;
    int rate = audio_rate;
    const bool module = is_module(bytes);
    if (!(module ? measure_module(bytes, f, error) : measure_wav(bytes, f, rate, error))) {
        std::fprintf(stderr, "%s: fault: %s\n", path, error.c_str());
        return 1;
    }
    std::printf("%s: %s, %.3f s\n", path, module ? "one pass through the show's mixer" : "as recorded",
                static_cast<double>(f.frames) / rate);
    std::printf("integrated loudness  %7.2f LUFS\n", f.integrated_lufs);
    std::printf("loudness range       %7.2f LU\n", f.range_lu);
    std::printf("true peak            %7.2f dBTP\n", f.true_peak_dbtp);
    std::printf("sample peak          %7.2f dBFS\n", f.sample_peak_dbfs);
    std::printf("clipped samples      %7lld\n", static_cast<long long>(f.clipped_samples));
    if (!check) return 0;
    const auto faults = loudness::level_faults(f);
    for (const std::string& line : faults) std::fprintf(stderr, "%s: fault: %s\n", path, line.c_str());
    if (!faults.empty()) return 1;
    std::printf("%s: level ok (%.0f..%.0f LUFS, true peak at or below %.1f dBTP, nothing clipped)\n", path,
                loudness::quietest_lufs, loudness::loudest_lufs, loudness::highest_true_peak_dbtp);
    return 0;
}
