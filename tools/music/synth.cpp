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

namespace {

constexpr int crest_rounds = 20;
constexpr double crest_clip = 1.6;  // times the loop's RMS

// Partials of the same cycle count become one: their phases would end up equal.
std::vector<Partial> merged(std::vector<Partial> partials) {
    std::stable_sort(partials.begin(), partials.end(),
                     [](const Partial& a, const Partial& b) { return a.cycles < b.cycles; });
    std::vector<Partial> out;
    for (const Partial& p : partials) {
        if (!out.empty() && out.back().cycles == p.cycles) {
            out.back().amplitude += p.amplitude;
        } else {
            out.push_back(p);
        }
    }
    return out;
}

// Schroeder's phases, for partials sorted by cycle count.
std::vector<double> schroeder_phases(const std::vector<Partial>& partials) {
    double total = 0;
    for (const Partial& p : partials) total += p.amplitude * p.amplitude;
    std::vector<double> phases(partials.size(), 0.0);
    double below = 0, phase = 0;
    for (std::size_t i = 1; i < partials.size() && total > 0; ++i) {
        below += partials[i - 1].amplitude * partials[i - 1].amplitude / total;
        phase -= 2 * pi * (partials[i].cycles - partials[i - 1].cycles) * below;
        phases[i] = std::remainder(phase, 2 * pi);
    }
    return phases;
}

// One pass over the loop: every sample is the sum of the partials, clipped at
// `limit` when `limit` > 0; returns the loop and, for each partial, the phase
// of the loop so made at its frequency. The partials turn by complex
// rotation, all of them at each sample, which vectorises.
std::vector<double> run_loop(int frames, const std::vector<Partial>& partials, const std::vector<double>& phases,
                             double limit, std::vector<double>& new_phases) {
    const std::size_t count = partials.size();
    std::vector<double> ca(count), sa(count), zr(count, 1.0), zi(count, 0.0), rr(count), ri(count);
    std::vector<double> sum_r(count, 0.0), sum_i(count, 0.0);
    for (std::size_t p = 0; p < count; ++p) {
        ca[p] = partials[p].amplitude * std::cos(phases[p]);
        sa[p] = partials[p].amplitude * std::sin(phases[p]);
        const double w = 2 * pi * partials[p].cycles / frames;
        rr[p] = std::cos(w);
        ri[p] = std::sin(w);
    }
    std::vector<double> out(static_cast<std::size_t>(frames));
    for (std::size_t i = 0; i < out.size(); ++i) {
        double y = 0;
        for (std::size_t p = 0; p < count; ++p) y += ca[p] * zi[p] + sa[p] * zr[p];
        if (limit > 0) y = std::clamp(y, -limit, limit);
        out[i] = y;
        for (std::size_t p = 0; p < count; ++p) {
            sum_r[p] += y * zr[p];
            sum_i[p] += y * zi[p];
            const double r = zr[p] * rr[p] - zi[p] * ri[p];
            zi[p] = zr[p] * ri[p] + zi[p] * rr[p];
            zr[p] = r;
        }
    }
    new_phases.resize(count);
    for (std::size_t p = 0; p < count; ++p) new_phases[p] = std::atan2(sum_r[p], sum_i[p]);
    return out;
}

}  // namespace

std::vector<double> low_crest_loop(int frames, const std::vector<Partial>& all) {
    const std::vector<Partial> partials = merged(all);
    double power = 0;
    for (const Partial& p : partials) {
        assert(p.cycles > 0 && 2 * p.cycles < frames);
        power += p.amplitude * p.amplitude / 2;
    }
    std::vector<double> phases = schroeder_phases(partials), next;
    for (int round = 0; round < crest_rounds; ++round) {
        run_loop(frames, partials, phases, crest_clip * std::sqrt(power), next);
        phases.swap(next);
    }
    return run_loop(frames, partials, phases, 0, next);
}

double exp_decay(double t, double time_constant) { return std::exp(-t / time_constant); }

double attack(double t, double length) { return t >= length ? 1.0 : t / length; }

void fade_tail(std::vector<double>& buffer, double rate, double length) {
    const std::size_t n = std::min(buffer.size(), static_cast<std::size_t>(length * rate));
    for (std::size_t i = 0; i < n; ++i) {
        const double g = static_cast<double>(i) / static_cast<double>(n);
        buffer[buffer.size() - 1 - i] *= g * g;
    }
}

void saturate(std::vector<double>& buffer, double drive) {
    assert(drive > 0);
    double largest = 0;
    for (double v : buffer) largest = std::max(largest, std::fabs(v));
    if (largest == 0) return;
    for (double& v : buffer) v = std::tanh(drive * v / largest);
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
