// The composer's means of loudness: loops whose partials are phased so that
// they do not pile up (the same spectrum, lower peaks), the channel levels
// applied to volumes and fades, and fades that step around the rows a glide
// already uses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "mix.h"
#include "score.h"
#include "synth.h"
#include "tracks.h"

namespace {

// Amplitude of the loop at `cycles` cycles per loop.
double amplitude_at(const std::vector<double>& loop, int cycles) {
    double re = 0, im = 0;
    const double n = static_cast<double>(loop.size());
    for (std::size_t i = 0; i < loop.size(); ++i) {
        re += loop[i] * std::cos(2 * synth::pi * cycles * static_cast<double>(i) / n);
        im += loop[i] * std::sin(2 * synth::pi * cycles * static_cast<double>(i) / n);
    }
    return 2 * std::hypot(re, im) / n;
}

double crest(const std::vector<double>& loop) {
    double peak = 0, power = 0;
    for (double v : loop) peak = std::max(peak, std::fabs(v)), power += v * v;
    return peak / std::sqrt(power / static_cast<double>(loop.size()));
}

}  // namespace

TEST(MusicLoops, LowCrestLoopKeepsEveryPartialAndPeaksLow) {
    // Root, fifth and octave of three detuned saws each, as the pad is made of.
    constexpr int frames = 6000;
    std::vector<synth::Partial> partials;
    for (const auto& [root, gain] : {std::pair{100, 1.0}, {150, 0.6}, {200, 0.35}})
        for (int detune = -1; detune <= 1; ++detune)
            for (int k = 1; k * (root + detune) < frames * 0.45; ++k)
                partials.push_back({k * (root + detune), gain / k});
    const auto loop = synth::low_crest_loop(frames, partials);
    ASSERT_EQ(static_cast<std::size_t>(frames), loop.size());
    std::map<int, double> spectrum;  // some partials share a cycle count
    for (const auto& p : partials) spectrum[p.cycles] += p.amplitude;
    for (const auto& [cycles, a] : spectrum) EXPECT_NEAR(a, amplitude_at(loop, cycles), 1e-6) << cycles;
    EXPECT_NEAR(0.0, amplitude_at(loop, 125), 1e-6) << "nothing between the partials";

    // With random phases the same partials peak higher: the spread loop gains
    // at least 2.5 dB of loudness under the same peak.
    synth::Noise noise(5);
    std::vector<double> random(frames, 0.0);
    for (const auto& p : partials) {
        const double phase = synth::pi * noise.next();
        for (int i = 0; i < frames; ++i)
            random[i] += p.amplitude * std::sin(2 * synth::pi * p.cycles * i / frames + phase);
    }
    std::printf("crest: random phases %.2f, spread %.2f\n", crest(random), crest(loop));
    EXPECT_LT(crest(loop) * std::pow(10.0, 2.5 / 20), crest(random));
}

TEST(MusicLoops, PartialsOfTheSameCycleCountAddUp) {
    const auto loop = synth::low_crest_loop(1000, {{10, 0.25}, {10, 0.5}, {37, 0.1}});
    EXPECT_NEAR(0.75, amplitude_at(loop, 10), 1e-9);
    EXPECT_NEAR(0.1, amplitude_at(loop, 37), 1e-9);
}

TEST(MusicMix, ChannelLevelsScaleVolumesAndFadesAndStopAt64) {
    // The bass's loudest note (56) reaches the top, no further.
    EXPECT_EQ(64, song::mixed_volume(song::ch_bass, 56));
    EXPECT_EQ(song::mixed_change(song::ch_bass, 56), song::mixed_volume(song::ch_bass, 56));
    EXPECT_THROW(song::mixed_volume(song::ch_bass, 60), std::logic_error);
    EXPECT_EQ(64, song::mixed_volume(song::ch_kick, 64));
    EXPECT_EQ(0, song::mixed_volume(song::ch_pad, 0));
}

TEST(MusicMix, FadeStepsAroundTheRowsOfAGlide) {
    xm::Pattern pattern = xm::make_pattern(128, song::channel_count);
    const song::Section s{&pattern, 1};
    // A glide on bar 1 holds the effect column for four rows.
    song::hit(s, 0, song::ch_pad, 8, 49, 30);
    for (int unit = 32; unit < 36; ++unit) s.effect(unit, song::ch_pad, xm::fx_tone_porta, 0x20);
    song::fade(s, song::ch_pad, 28, 44, -16);

    const int slides_needed = std::abs(song::mixed_change(song::ch_pad, -16)) / 2;  // two ticks a row at speed 3
    int slides = 0;
    for (int row = 0; row < 128; ++row) {
        const auto& c = pattern.at(row, song::ch_pad);
        if (c.effect == xm::fx_volume_slide) {
            EXPECT_EQ(0x01, c.param);
            EXPECT_TRUE(row >= 28 && row < 44) << row;
            ++slides;
        }
        if (row >= 32 && row < 36) EXPECT_EQ(xm::fx_tone_porta, c.effect) << row;
    }
    EXPECT_EQ(slides_needed, slides);
    // More slides than free rows: refused, not squeezed.
    EXPECT_THROW(song::fade(s, song::ch_pad, 30, 44, -30), std::invalid_argument);
}
