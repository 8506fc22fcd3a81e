// Deterministic DSP helpers for the composer's instruments.
#include "synth.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace synth {

double rate_for_relative_note(int relative_note) { return c4_rate * std::pow(2.0, relative_note / 12.0); }

double Noise::next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 8388607.5 - 1.0;
}

double Biquad::run(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}

static Biquad normalised(double b0, double b1, double b2, double a0, double a1, double a2) {
    Biquad f;
    f.b0 = b0 / a0;
    f.b1 = b1 / a0;
    f.b2 = b2 / a0;
    f.a1 = a1 / a0;
    f.a2 = a2 / a0;
    return f;
}

Biquad lowpass(double rate, double cutoff, double q) {
    const double w = 2 * pi * cutoff / rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    return normalised((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad highpass(double rate, double cutoff, double q) {
    const double w = 2 * pi * cutoff / rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    return normalised((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad bandpass(double rate, double centre, double q) {
    const double w = 2 * pi * centre / rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    return normalised(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

double StateVariable::run(double x, double rate, double cutoff, double resonance) {
    // Two passes per frame keep the filter stable up to a quarter of the rate.
    const double f = 2 * std::sin(pi * std::min(cutoff, rate / 4) / (2 * rate));
    for (int pass = 0; pass < 2; ++pass) {
        low += f * band;
        const double high = x - low - resonance * band;
        band += f * high;
    }
    return low;
}

double saw(double phase, int harmonics) {
    double v = 0;
    for (int h = 1; h <= harmonics; ++h) v += std::sin(2 * pi * h * phase) / h;
    return v * (2 / pi);
}

double pulse(double phase, double duty, int harmonics) {
    // A pulse is the difference of two sawtooths shifted by the duty cycle.
    return (saw(phase, harmonics) - saw(phase - duty, harmonics)) * 0.5;
}

int harmonics_below(double rate, double frequency) { return std::max(1, static_cast<int>(0.45 * rate / frequency)); }

double exp_decay(double t, double time_constant) { return std::exp(-t / time_constant); }

double attack(double t, double length) { return t >= length ? 1.0 : t / length; }

void fade_tail(std::vector<double>& buffer, double rate, double length) {
    const std::size_t n = std::min(buffer.size(), static_cast<std::size_t>(length * rate));
    for (std::size_t i = 0; i < n; ++i) {
        const double g = static_cast<double>(i) / static_cast<double>(n);
        buffer[buffer.size() - 1 - i] *= g * g;
    }
}

std::vector<std::int16_t> to_pcm16(const std::vector<double>& buffer, double peak) {
    assert(peak > 0 && peak <= 1);
    double largest = 0;
    for (double v : buffer) largest = std::max(largest, std::fabs(v));
    const double scale = largest > 0 ? peak * 32767.0 / largest : 0.0;
    std::vector<std::int16_t> out(buffer.size());
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(buffer[i] * scale, -32767.0, 32767.0)));
    }
    return out;
}

}  // namespace synth
