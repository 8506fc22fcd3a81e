// libFuzzer harness: the music-loudness tool's WAV reader on arbitrary bytes,
// and the loudness meter on whatever it reads. Besides crashes, leaks and
// undefined behaviour it stops when a refusal is not one line, when what it
// read is not whole frames in range, or when the figures are not numbers that
// hold together (true peak under the sample peak, more clipped samples than samples).
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "loudness_meter.h"
#include "wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    loudness::PcmSound sound;
    std::string error;
    if (!loudness::read_wav(data, size, sound, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) __builtin_trap();
        return 0;
    }
    if (sound.channels < 1 || sound.channels > loudness::max_wav_channels) __builtin_trap();
    if (sound.rate < loudness::min_wav_rate || sound.rate > loudness::max_wav_rate) __builtin_trap();
    const auto channels = static_cast<std::size_t>(sound.channels);
    if (sound.samples.size() % channels != 0 || 2 * sound.samples.size() > size) __builtin_trap();

    auto meter = loudness::make_loudness_meter(sound.rate, sound.channels);
    loudness::add_frames(meter, sound.samples.data(), sound.samples.size() / channels);
    const auto f = loudness::finish_loudness(meter);
    if (std::isnan(f.integrated_lufs) || std::isnan(f.range_lu) || f.range_lu < 0) __builtin_trap();
    if (f.integrated_lufs > 10 || f.true_peak_dbtp < f.sample_peak_dbfs - 1e-9) __builtin_trap();
    if (f.clipped_samples > static_cast<std::int64_t>(sound.samples.size())) __builtin_trap();
    return 0;
}
