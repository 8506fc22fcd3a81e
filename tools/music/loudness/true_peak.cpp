// True peak by 4x oversampling: each phase of a Kaiser-windowed sinc
// interpolator (24 taps) gives one of the points between two samples. Phase 0
// is the sample itself, so the true peak is never below the sample peak.
#include "true_peak.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace loudness {

namespace {

constexpr double kaiser_beta = 8.0;
constexpr int half = true_peak_taps / 2;

double bessel_i0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

using Phase = std::array<double, true_peak_taps>;

// phases[p][j] weighs the j-th oldest of the last 24 samples for the point p/4
// of a sample after the 12th newest. Each phase sums to 1, so a constant stays
// constant.
std::array<Phase, true_peak_oversampling> make_phases() {
    constexpr double pi = 3.14159265358979323846;
    std::array<Phase, true_peak_oversampling> phases{};
    for (int p = 0; p < true_peak_oversampling; ++p) {
        Phase& phase = phases[static_cast<std::size_t>(p)];
        double sum = 0;
        for (int j = 0; j < true_peak_taps; ++j) {
            const int back = true_peak_taps - 1 - j;  // 0 = the newest sample
            const double t = back - half + static_cast<double>(p) / true_peak_oversampling;
            const double sinc = t == 0 ? 1.0 : std::sin(pi * t) / (pi * t);
            const double r = t / (half + 1);
            const double window = bessel_i0(kaiser_beta * std::sqrt(1 - r * r)) / bessel_i0(kaiser_beta);
            phase[static_cast<std::size_t>(j)] = sinc * window;
            sum += sinc * window;
        }
        for (double& v : phase) v /= sum;
    }
    return phases;
}

const std::array<Phase, true_peak_oversampling>& phases() {
    static const auto p = make_phases();
    return p;
}

}  // namespace

TruePeakDetector make_true_peak_detector(int channels) {
    assert(channels > 0);
    TruePeakDetector d;
    d.history.assign(static_cast<std::size_t>(channels), {});
    return d;
}

void add_true_peak_frame(TruePeakDetector& d, const double* frame) {
    const auto n = static_cast<std::size_t>(d.next);
    for (std::size_t ch = 0; ch < d.history.size(); ++ch) {
        auto& h = d.history[ch];
        h[n] = h[n + true_peak_taps] = frame[ch];
        const double* window = h.data() + n + 1;  // the last 24 samples, oldest first
        for (const Phase& phase : phases()) {
            double v = 0;
            for (int j = 0; j < true_peak_taps; ++j) v += phase[static_cast<std::size_t>(j)] * window[j];
            d.peak = std::max(d.peak, std::fabs(v));
        }
    }
    d.next = (d.next + 1) % true_peak_taps;
}

double finish_true_peak(TruePeakDetector& d) {
    const std::vector<double> silence(d.history.size(), 0.0);
    for (int i = 0; i <= half; ++i) add_true_peak_frame(d, silence.data());
    return d.peak;
}

}  // namespace loudness
