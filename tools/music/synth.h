// Small deterministic DSP helpers for synthesizing the module's samples: a noise
// generator, filters, band-limited oscillators and the conversion to 16-bit.
#pragma once
#include <cstdint>
#include <vector>

namespace synth {

constexpr double pi = 3.14159265358979323846;
// XM plays C-4 at 8363 Hz with relative note 0.
constexpr double c4_rate = 8363.0;
// Pitch of C-4 in equal temperament with A-4 = 440 Hz.
constexpr double c4_hz = 261.6255653005986;

// Sampling rate at which C-4 plays the data unchanged for a relative note.
double rate_for_relative_note(int relative_note);

// Deterministic white noise in [-1, 1] (32-bit linear congruential generator), so
// the module comes out byte-identical on every run.
struct Noise {
    std::uint32_t state;
    explicit Noise(std::uint32_t seed) : state(seed) {}
    double next();
};

// RBJ biquad, direct form I.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double run(double x);
};
Biquad lowpass(double rate, double cutoff, double q);
Biquad highpass(double rate, double cutoff, double q);
Biquad bandpass(double rate, double centre, double q);

// Chamberlin state-variable low-pass whose cutoff may change every frame.
struct StateVariable {
    double low = 0, band = 0;
    double run(double x, double rate, double cutoff, double resonance);
};

// Band-limited sawtooth / pulse value at `phase` (cycles) with harmonics below
// `nyquist_harmonics`.
double saw(double phase, int harmonics);
double pulse(double phase, double duty, int harmonics);
int harmonics_below(double rate, double frequency);

// A partial of a looped sample: `cycles` whole cycles per loop.
struct Partial {
    int cycles;
    double amplitude;
};
// A loop of `frames` frames holding `partials` (0 < cycles < frames / 2) with
// phases chosen so that its peaks stay low: the ear does not hear the phases of
// a sustained tone, but a loop of many partials with random phases peaks
// 3-4 dB higher for the same loudness. The phases start from Schroeder's rule
// (each partial delayed by the share of the power below it, so the loop sweeps
// through its spectrum instead of piling the partials up) and are refined by
// clipping the loop and taking the clipped loop's phases, a few dozen times.
std::vector<double> low_crest_loop(int frames, const std::vector<Partial>& partials);

// Envelope helpers on time t (seconds).
double exp_decay(double t, double time_constant);
// Linear ramp from 0 to 1 over `length` seconds, then 1.
double attack(double t, double length);
// Fades the last `length` seconds of a buffer to zero (no click when it ends).
void fade_tail(std::vector<double>& buffer, double rate, double length);

// Soft saturation: scales the buffer to a peak of 1, then bends it through
// tanh(drive * x). Raises the sustained part against the peaks, as tape or a
// driven amplifier would; drive 1 is gentle, 3 is hard.
void saturate(std::vector<double>& buffer, double drive);

// Scales to `peak` of full scale and converts to 16-bit.
std::vector<std::int16_t> to_pcm16(const std::vector<double>& buffer, double peak);

}  // namespace synth
