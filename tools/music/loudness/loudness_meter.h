// Loudness of 16-bit PCM as broadcasters, video sites and their meters measure
// it (ITU-R BS.1770-4 with EBU Tech 3341 and 3342): K-weighted, gated integrated
// loudness, loudness range, true peak, sample peak, and the samples that sit at
// the ends of the 16-bit range, where a mix that ran over was clipped.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "true_peak.h"

namespace loudness {

// The K-weighting's shelf sits at 1.7 kHz: below 8 kHz there is no room for it
// under the Nyquist frequency.
constexpr int lowest_meter_rate = 8000;

struct LoudnessFigures {
    double integrated_lufs = 0;  // -infinity: nothing above the -70 LUFS gate
    double range_lu = 0;
    double true_peak_dbtp = 0;    // -infinity for digital silence
    double sample_peak_dbfs = 0;  // likewise
    std::int64_t clipped_samples = 0;
    std::int64_t frames = 0;
};

// One second-order section of the K-weighting filter, direct form I.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};
// The two sections at `rate` (at least lowest_meter_rate): the head's high
// shelf, then the low cut.
Biquad k_weighting_shelf(int rate);
Biquad k_weighting_high_pass(int rate);

struct LoudnessMeter {
    int rate = 0;
    int channels = 0;
    std::vector<Biquad> shelf, high_pass;  // one per channel
    TruePeakDetector true_peak;
    // Sums of the K-weighted channels' squares, one per 100 ms segment.
    std::vector<double> segment_energy;
    double current_energy = 0;
    int current_frames = 0;
    int segment_frames = 0;
    std::int32_t largest_sample = 0;  // magnitude, 32768 = full scale
    std::int64_t clipped = 0;
    std::int64_t frames = 0;
};

LoudnessMeter make_loudness_meter(int rate, int channels);
// Interleaved frames of the meter's channel count.
void add_frames(LoudnessMeter& meter, const std::int16_t* frames, std::size_t frame_count);
// The figures of everything added; the meter is spent afterwards.
LoudnessFigures finish_loudness(LoudnessMeter& meter);

}  // namespace loudness
