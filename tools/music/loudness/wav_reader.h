// Reading the sound of a 16-bit PCM WAV file, as players, the capture program
// and converters write it, for measuring. The bytes come from outside: every
// size is checked against the file, and anything else is refused with a reason.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "loudness_meter.h"

namespace loudness {

constexpr int max_wav_channels = 8;
constexpr int min_wav_rate = lowest_meter_rate;
constexpr int max_wav_rate = 768000;

struct PcmSound {
    int rate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;  // interleaved, whole frames
};

// False with a one-line reason when the bytes are not a WAV file of whole
// 16-bit PCM frames at 1..8 channels and 8 to 768 kHz.
bool read_wav(const std::uint8_t* bytes, std::size_t size, PcmSound& sound, std::string& error);

}  // namespace loudness
