// The loudness meter: K-weighting (a +4 dB shelf above 1.5 kHz and a low cut at
// 38 Hz, whose coefficients are derived for any rate the way the published
// 48 kHz table was), mean squares per 100 ms segment, then the gates:
// - integrated: 400 ms blocks every 100 ms, above -70 LUFS and above the mean
//   of those minus 10 LU;
// - range: 3 s windows every 100 ms, above -70 LUFS and above their mean minus
//   20 LU; the spread from the 10th to the 95th percentile.
// Every channel weighs 1 (left and right; the surround weights do not arise).
#include "loudness_meter.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace loudness {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int segments_per_block = 4;    // 400 ms
constexpr int segments_per_window = 30;  // 3 s
constexpr double absolute_gate = -70;
constexpr double block_relative_gate = -10;
constexpr double window_relative_gate = -20;
constexpr double full_scale = 32768;

double run(Biquad& f, double x) {
    const double y = f.b0 * x + f.b1 * f.x1 + f.b2 * f.x2 - f.a1 * f.y1 - f.a2 * f.y2;
    f.x2 = f.x1;
    f.x1 = x;
    f.y2 = f.y1;
    f.y1 = y;
    return y;
}

double lufs(double mean_square) {
    return mean_square > 0 ? -0.691 + 10 * std::log10(mean_square) : -std::numeric_limits<double>::infinity();
}

double decibels(double magnitude) {
    return magnitude > 0 ? 20 * std::log10(magnitude) : -std::numeric_limits<double>::infinity();
}

// Mean squares of every run of `length` segments, one segment apart.
std::vector<double> sliding_means(const std::vector<double>& segments, int length, int segment_frames) {
    std::vector<double> means;
    double sum = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        sum += segments[i];
        if (i >= static_cast<std::size_t>(length)) sum -= segments[i - static_cast<std::size_t>(length)];
        if (i + 1 >= static_cast<std::size_t>(length))
            means.push_back(std::max(0.0, sum) / (static_cast<double>(length) * segment_frames));
    }
    return means;
}

// The mean square of the values whose loudness lies above the absolute gate
// and above the mean of those plus `relative_gate`; those values in `kept`.
double gated_mean(const std::vector<double>& values, double relative_gate, std::vector<double>* kept = nullptr) {
    double sum = 0;
    int count = 0;
    for (double v : values) {
        if (lufs(v) > absolute_gate) sum += v, ++count;
    }
    if (count == 0) return 0;
    const double gate = lufs(sum / count) + relative_gate;
    double gated_sum = 0;
    int gated_count = 0;
    for (double v : values) {
        if (lufs(v) > absolute_gate && lufs(v) > gate) {
            gated_sum += v, ++gated_count;
            if (kept) kept->push_back(v);
        }
    }
    return gated_count ? gated_sum / gated_count : 0;
}

double loudness_range(const std::vector<double>& windows) {
    std::vector<double> kept;
    gated_mean(windows, window_relative_gate, &kept);
    if (kept.empty()) return 0;
    std::sort(kept.begin(), kept.end());
    const auto at = [&](double fraction) {
        return kept[static_cast<std::size_t>(static_cast<double>(kept.size() - 1) * fraction + 0.5)];
    };
    return lufs(at(0.95)) - lufs(at(0.10));
}

}  // namespace

Biquad k_weighting_shelf(int rate) {
    const double f0 = 1681.974450955533, gain_db = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(pi * f0 / rate);
    const double vh = std::pow(10.0, gain_db / 20), vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1 + k / q + k * k;
    Biquad f;
    f.b0 = (vh + vb * k / q + k * k) / a0;
    f.b1 = 2 * (k * k - vh) / a0;
    f.b2 = (vh - vb * k / q + k * k) / a0;
    f.a1 = 2 * (k * k - 1) / a0;
    f.a2 = (1 - k / q + k * k) / a0;
    return f;
}

Biquad k_weighting_high_pass(int rate) {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(pi * f0 / rate);
    const double a0 = 1 + k / q + k * k;
    Biquad f;
    f.b0 = 1;
    f.b1 = -2;
    f.b2 = 1;
    f.a1 = 2 * (k * k - 1) / a0;
    f.a2 = (1 - k / q + k * k) / a0;
    return f;
}

LoudnessMeter make_loudness_meter(int rate, int channels) {
    assert(rate >= lowest_meter_rate && channels >= 1);
    LoudnessMeter m;
    m.rate = rate;
    m.channels = channels;
    m.shelf.assign(static_cast<std::size_t>(channels), k_weighting_shelf(rate));
    m.high_pass.assign(static_cast<std::size_t>(channels), k_weighting_high_pass(rate));
    m.true_peak = make_true_peak_detector(channels);
    m.segment_frames = (rate + 5) / 10;
    return m;
}

void add_frames(LoudnessMeter& m, const std::int16_t* frames, std::size_t frame_count) {
    std::vector<double> frame(static_cast<std::size_t>(m.channels));
    for (std::size_t i = 0; i < frame_count; ++i) {
        for (std::size_t ch = 0; ch < frame.size(); ++ch) {
            const std::int16_t s = frames[i * frame.size() + ch];
            if (s == INT16_MAX || s == INT16_MIN) ++m.clipped;
            m.largest_sample = std::max(m.largest_sample, std::abs(static_cast<std::int32_t>(s)));
            frame[ch] = s / full_scale;
            const double y = run(m.high_pass[ch], run(m.shelf[ch], frame[ch]));
            m.current_energy += y * y;
        }
        add_true_peak_frame(m.true_peak, frame.data());
        if (++m.current_frames == m.segment_frames) {
            m.segment_energy.push_back(m.current_energy);
            m.current_energy = 0;
            m.current_frames = 0;
        }
    }
    m.frames += static_cast<std::int64_t>(frame_count);
}

LoudnessFigures finish_loudness(LoudnessMeter& m) {
    LoudnessFigures f;
    f.frames = m.frames;
    f.clipped_samples = m.clipped;
    f.sample_peak_dbfs = decibels(m.largest_sample / full_scale);
    f.true_peak_dbtp = decibels(finish_true_peak(m.true_peak));
    // A partial last segment is left out, as a meter leaves out a partial block.
    f.integrated_lufs =
        lufs(gated_mean(sliding_means(m.segment_energy, segments_per_block, m.segment_frames), block_relative_gate));
    f.range_lu = loudness_range(sliding_means(m.segment_energy, segments_per_window, m.segment_frames));
    return f;
}

}  // namespace loudness
