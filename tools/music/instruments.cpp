// Synthesis of the twelve instruments. Each tonal sample is rendered at
// 8363 * 2^(relnote/12) Hz with the pitch it must have at C-4 and finetune 0, so
// every note is equal-tempered in every player. Drums play at C-4 at their own
// rate. Only the pad and the choir loop; their loops hold whole cycles of every
// partial, so they loop without a click.
//
// Every sample peaks at full scale, and the parts are balanced by the volumes
// of their notes (mix.cpp). A voice in the show's mixer cannot play louder than
// its sample at volume 64, so the parts that carry the mix (kick, snare, bass,
// lead) are made dense: a long, driven body rather than a lone spike, and the
// loops' partials phased so that they do not pile up into peaks.
#include "instruments.h"

#include <cmath>
#include <functional>

#include "synth.h"

namespace song {

using synth::pi;

namespace {

struct Render {
    int relative_note;
    double seconds;
};

std::vector<double> render(const Render& r, const std::function<double(double t, double rate)>& voice) {
    const double rate = synth::rate_for_relative_note(r.relative_note);
    std::vector<double> out(static_cast<std::size_t>(r.seconds * rate));
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = voice(static_cast<double>(i) / rate, rate);
    return out;
}

xm::Instrument make(const char* name, int relative_note, std::vector<double> data, std::uint8_t volume,
                    std::uint8_t panning) {
    xm::Instrument ins;
    ins.name = name;
    ins.sample.name = name;
    ins.sample.relative_note = static_cast<std::int8_t>(relative_note);
    ins.sample.frames = synth::to_pcm16(data, 1.0);  // full scale
    ins.sample.volume = volume;
    ins.sample.panning = panning;
    return ins;
}

// Sustain at the second point; a key-off releases through the fadeout.
xm::Envelope sustained(std::uint16_t attack_ticks, std::uint16_t start_value) {
    xm::Envelope e;
    e.points = {{0, start_value}, {attack_ticks, 64}};
    e.sustain_point = 1;
    return e;
}

// --- drums ---------------------------------------------------------------

// A sine falling from 194 Hz to 44 Hz with a short click, driven into tanh: the
// body holds 60 % of its start for a tenth of a second, which is what makes it
// heard against the rest of the mix.
xm::Instrument make_kick() {
    const Render r{17, 0.34};
    synth::Noise noise(11);
    synth::Biquad click_filter = synth::lowpass(synth::rate_for_relative_note(r.relative_note), 3500, 0.7);
    double phase = 0;
    auto data = render(r, [&](double t, double rate) {
        const double hz = 44 + 120 * std::exp(-t / 0.028) + 30 * std::exp(-t / 0.12);
        phase += hz / rate;
        const double body =
            std::sin(2 * pi * phase) * (0.6 + 0.4 * synth::exp_decay(t, 0.12)) * synth::exp_decay(t, 0.6);
        const double click = click_filter.run(noise.next()) * synth::exp_decay(t, 0.004) * 0.35;
        return std::tanh(3.0 * (body + click));
    });
    synth::fade_tail(data, synth::rate_for_relative_note(r.relative_note), 0.06);
    return make("kick", r.relative_note, data, 64, 128);
}

xm::Instrument make_snare() {
    const Render r{17, 0.26};
    const double rate = synth::rate_for_relative_note(r.relative_note);
    synth::Noise noise(23);
    synth::Biquad body_filter = synth::bandpass(rate, 1800, 0.6);
    synth::Biquad air = synth::highpass(rate, 4500, 0.7);
    double p1 = 0, p2 = 0;
    auto data = render(r, [&](double t, double rt) {
        p1 += (185 + 40 * std::exp(-t / 0.01)) / rt;
        p2 += 330 / rt;
        const double tone = (std::sin(2 * pi * p1) + 0.5 * std::sin(2 * pi * p2)) * synth::exp_decay(t, 0.045);
        const double n = noise.next();
        const double rattle = (body_filter.run(n) * 1.4 + air.run(n) * 0.6) * synth::exp_decay(t, 0.1);
        // Upside down: the snare lands on the kick on every backbeat, and its
        // first swing against the kick's keeps the two from piling up.
        return -std::tanh(2.0 * (0.55 * tone + rattle));
    });
    synth::fade_tail(data, rate, 0.05);
    return make("snare", r.relative_note, data, 64, 120);
}

// Metallic hat source: noise plus six detuned square partials, high-passed.
std::vector<double> metal(const Render& r, std::uint32_t seed, double cutoff, double decay) {
    const double rate = synth::rate_for_relative_note(r.relative_note);
    synth::Noise noise(seed);
    synth::Biquad hp1 = synth::highpass(rate, cutoff, 0.7), hp2 = synth::highpass(rate, cutoff, 0.7);
    static constexpr double partials[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    auto data = render(r, [&](double t, double) {
        double square = 0;
        for (double f : partials) square += std::sin(2 * pi * f * 1.7 * t) > 0 ? 1.0 : -1.0;
        const double x = 0.6 * noise.next() + 0.12 * square;
        return hp2.run(hp1.run(x)) * synth::exp_decay(t, decay) * synth::attack(t, 0.0005);
    });
    synth::fade_tail(data, rate, 0.02);
    return data;
}

xm::Instrument make_closed_hat() {
    const Render r{29, 0.07};
    return make("closed hat", r.relative_note, metal(r, 31, 7000, 0.018), 64, 168);
}

xm::Instrument make_open_hat() {
    const Render r{24, 0.34};
    return make("open hat", r.relative_note, metal(r, 37, 6000, 0.11), 52, 160);
}

xm::Instrument make_crash() {
    const Render r{21, 1.3};
    const double rate = synth::rate_for_relative_note(r.relative_note);
    synth::Noise noise(41);
    synth::Biquad hp = synth::highpass(rate, 3000, 0.6), shimmer = synth::bandpass(rate, 6500, 1.2);
    auto data = render(r, [&](double t, double) {
        double square = 0;
        static constexpr double partials[] = {283.0, 397.0, 451.0, 613.0, 787.0, 1019.0};
        for (double f : partials) square += std::sin(2 * pi * f * 2.3 * t) > 0 ? 1.0 : -1.0;
        const double x = noise.next() + 0.08 * square;
        const double tone = hp.run(x) + 0.8 * shimmer.run(x);
        return tone * (0.3 * synth::exp_decay(t, 0.06) + 0.7 * synth::exp_decay(t, 0.42));
    });
    synth::fade_tail(data, rate, 0.3);
    return make("crash", r.relative_note, data, 48, 140);
}

// Band-passed noise whose centre climbs from 250 Hz to 7 kHz while it swells.
xm::Instrument make_sweep() {
    const Render r{12, 2.0};
    const double rate = synth::rate_for_relative_note(r.relative_note);
    synth::Noise noise(53);
    double low = 0, band = 0;
    auto data = render(r, [&](double t, double rt) {
        const double k = t / r.seconds;
        const double centre = 250 * std::pow(7000.0 / 250.0, k);
        const double f = 2 * std::sin(pi * std::min(centre, rt / 4) / rt);
        const double high = noise.next() - low - 0.35 * band;
        band += f * high;
        low += f * band;
        return band * (0.15 + 0.85 * k * k);
    });
    synth::fade_tail(data, rate, 0.05);
    return make("sweep", r.relative_note, data, 40, 128);
}

// --- tonal instruments ------------------------------------------------------

// Plucky saw-and-square bass through a resonant low-pass that closes after the
// attack, then driven (tanh at 2.5) so that its sustain stands nearly as tall
// as its attack. Rendered at C-4; it plays two to three octaves lower, where the
// filter sits between 300 Hz and 1.2 kHz.
xm::Instrument make_bass() {
    const Render r{17, 0.5};
    const double rate = synth::rate_for_relative_note(r.relative_note);
    const int h = synth::harmonics_below(rate, synth::c4_hz);
    synth::StateVariable filter;
    double phase = 0;
    auto data = render(r, [&](double t, double rt) {
        phase += synth::c4_hz / rt;
        const double osc = synth::saw(phase, h) + 0.6 * synth::pulse(phase * 0.5, 0.5, h / 2);
        const double cutoff = 1400 + 5200 * synth::exp_decay(t, 0.05);
        const double amp =
            synth::attack(t, 0.002) * (0.72 + 0.28 * synth::exp_decay(t, 0.06)) * synth::exp_decay(t, 0.9);
        return filter.run(osc, rt, cutoff, 0.55) * amp;
    });
    synth::saturate(data, 2.5);
    synth::fade_tail(data, rate, 0.06);
    auto ins = make("bass", r.relative_note, data, 56, 128);
    ins.volume_envelope = sustained(2, 64);
    ins.fadeout = 0x0800;
    return ins;
}

// Two detuned saws and a square an octave down, slightly low-passed and gently
// driven; long enough to hold a note of nearly a second at A-5.
xm::Instrument make_lead() {
    const Render r{5, 3.0};
    const double rate = synth::rate_for_relative_note(r.relative_note);
    const int h = synth::harmonics_below(rate, synth::c4_hz * 1.005);
    synth::Biquad tone = synth::lowpass(rate, 3800, 0.8);
    double p1 = 0, p2 = 0, p3 = 0;
    const double detune = std::pow(2.0, 8.0 / 1200.0);
    auto data = render(r, [&](double t, double rt) {
        p1 += synth::c4_hz * detune / rt;
        p2 += synth::c4_hz / detune / rt;
        p3 += synth::c4_hz * 0.5 / rt;
        const double osc = synth::saw(p1, h) + synth::saw(p2 + 0.3, h) + 0.5 * synth::pulse(p3, 0.5, h * 2);
        const double amp = synth::attack(t, 0.004) * (0.82 + 0.18 * synth::exp_decay(t, 0.12));
        return tone.run(osc) * amp;
    });
    synth::saturate(data, 1.5);
    synth::fade_tail(data, rate, 0.4);
    auto ins = make("lead", r.relative_note, data, 44, 128);
    ins.volume_envelope = sustained(3, 48);
    ins.fadeout = 0x0600;
    return ins;
}

// A bright 25 % pulse with a quick decay: the chip-style chord stab that the
// arpeggio effect turns into triads.
xm::Instrument make_chord() {
    const Render r{12, 0.36};
    const double rate = synth::rate_for_relative_note(r.relative_note);
    const int h = synth::harmonics_below(rate, synth::c4_hz);
    double phase = 0;
    auto data = render(r, [&](double t, double rt) {
        phase += synth::c4_hz / rt;
        return synth::pulse(phase, 0.25, h) * synth::attack(t, 0.002) * synth::exp_decay(t, 0.14);
    });
    synth::fade_tail(data, rate, 0.05);
    return make("chord", r.relative_note, data, 36, 88);
}

// Harmonics of every voice decay faster the higher they are, like a plucked string.
xm::Instrument make_pluck() {
    const Render r{12, 0.85};
    const double rate = synth::rate_for_relative_note(r.relative_note);
    const int h = synth::harmonics_below(rate, synth::c4_hz);
    auto data = render(r, [&](double t, double) {
        double v = 0;
        for (int k = 1; k <= h; ++k) {
            const double a = (k % 2 ? 1.0 : 0.6) / k * std::exp(-t * (2.5 + 1.6 * k));
            v += a * std::sin(2 * pi * k * synth::c4_hz * t + 0.3 * k);
        }
        return v * synth::attack(t, 0.001);
    });
    synth::fade_tail(data, rate, 0.1);
    return make("pluck", r.relative_note, data, 40, 176);
}

// A loop of `frames` frames in which the cycle count `cycles` sounds C-4: every
// partial gets a whole number of cycles per loop, so the loop is seamless.
struct LoopPlan {
    int relative_note;
    int cycles;
    double rate;
    int frames;
};
LoopPlan plan_loop(int relative_note, int cycles) {
    const double rate = synth::rate_for_relative_note(relative_note);
    return {relative_note, cycles, rate, static_cast<int>(std::lround(cycles * rate / synth::c4_hz))};
}

xm::Instrument finish_loop(const char* name, const LoopPlan& plan, std::vector<double> data, std::uint8_t volume,
                           std::uint8_t panning, std::uint16_t attack_ticks, std::uint16_t fadeout) {
    auto ins = make(name, plan.relative_note, std::move(data), volume, panning);
    ins.sample.loop = xm::Loop::forward;
    ins.sample.loop_start = 0;
    ins.sample.loop_length = static_cast<std::uint32_t>(ins.sample.frames.size());
    ins.volume_envelope = sustained(attack_ticks, 10);
    ins.fadeout = fadeout;
    return ins;
}

// Root, fifth and octave, three detuned saws each (one cycle per loop apart),
// softly low-passed: an open chord that fits both major and minor.
xm::Instrument make_pad() {
    const LoopPlan plan = plan_loop(12, 262);
    std::vector<synth::Partial> partials;
    const double nyquist_cycles = 0.45 * plan.frames;
    struct Voice {
        int cycles;
        double gain;
    };
    const Voice voices[] = {{plan.cycles, 1.0}, {plan.cycles * 3 / 2, 0.6}, {plan.cycles * 2, 0.35}};
    for (const Voice& v : voices) {
        for (int detune = -1; detune <= 1; ++detune) {
            const int base = v.cycles + detune * (v.cycles / plan.cycles);
            for (int k = 1; k * base < nyquist_cycles; ++k) {
                const double hz = k * base * plan.rate / plan.frames;
                const double rolloff = 1.0 / (1.0 + std::pow(hz / 1300.0, 2.0));
                partials.push_back({k * base, v.gain * rolloff / k});
            }
        }
    }
    return finish_loop("pad", plan, synth::low_crest_loop(plan.frames, partials), 40, 112, 40, 0x00C0);
}

// Five detuned voices whose harmonics are shaped by the formants of an open
// "aah" (800, 1150, 2900 Hz at C-4).
xm::Instrument make_choir() {
    const LoopPlan plan = plan_loop(17, 262);
    std::vector<synth::Partial> partials;
    struct Formant {
        double hz, width, gain;
    };
    const Formant formants[] = {{800, 130, 1.0}, {1150, 150, 0.55}, {2900, 250, 0.12}, {3900, 300, 0.05}};
    const double nyquist_cycles = 0.45 * plan.frames;
    for (int detune = -2; detune <= 2; ++detune) {
        const int base = plan.cycles + detune;
        for (int k = 1; k * base < nyquist_cycles; ++k) {
            const double hz = k * base * plan.rate / plan.frames;
            double shape = 0.08;
            for (const Formant& f : formants) shape += f.gain / (1.0 + std::pow((hz - f.hz) / f.width, 2.0));
            partials.push_back({k * base, shape / std::sqrt(k)});
        }
    }
    return finish_loop("choir", plan, synth::low_crest_loop(plan.frames, partials), 36, 150, 64, 0x00A0);
}

}  // namespace

std::vector<xm::Instrument> make_instruments() {
    return {make_kick(),  make_snare(), make_closed_hat(), make_open_hat(), make_bass(),  make_lead(),
            make_chord(), make_pad(),   make_choir(),      make_pluck(),    make_crash(), make_sweep()};
}

}  // namespace song
