// The true peak of a sampled signal: the largest magnitude of the waveform the
// samples stand for, between the samples as well as on them, estimated by 4x
// oversampling as ITU-R BS.1770 describes. A sound whose samples stay below full
// scale can still swing above it once a player or a converter rebuilds it.
#pragma once
#include <array>
#include <vector>

namespace loudness {

constexpr int true_peak_oversampling = 4;
constexpr int true_peak_taps = 24;  // per phase: 12 samples either side

// Per channel the last `true_peak_taps` samples, written twice (at `next` and
// `next + true_peak_taps`) so that they always lie in one run, oldest first.
struct TruePeakDetector {
    std::vector<std::array<double, 2 * true_peak_taps>> history;
    int next = 0;
    double peak = 0;  // largest magnitude so far, 1.0 = full scale
};

TruePeakDetector make_true_peak_detector(int channels);
// One frame of `channels` samples, 1.0 = full scale.
void add_true_peak_frame(TruePeakDetector& detector, const double* frame);
// Flushes the samples still waiting for their right-hand neighbours and gives
// the true peak (1.0 = full scale). The detector is spent afterwards.
double finish_true_peak(TruePeakDetector& detector);

}  // namespace loudness
