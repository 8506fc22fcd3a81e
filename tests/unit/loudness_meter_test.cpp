// The loudness meter against the reference signals of EBU Tech 3341 and 3342
// (stereo sines at known levels, gated sequences, inter-sample peaks) and the
// published 48 kHz K-weighting coefficients; how it counts clipped samples and
// that feeding it in pieces changes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "level_targets.h"
#include "loudness_meter.h"

namespace {

constexpr int rate = 44100;
constexpr double pi = 3.14159265358979323846;

// Appends `seconds` of a stereo sine at `dbfs` peak level (both channels alike).
void add_sine(std::vector<std::int16_t>& pcm, double seconds, double dbfs, double hz = 997, double phase = 0) {
    const double amplitude = 32768 * std::pow(10, dbfs / 20);
    const auto frames = static_cast<long>(seconds * rate);
    for (long i = 0; i < frames; ++i) {
        const auto s = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * pi * hz * i / rate + phase)));
        pcm.push_back(s);
        pcm.push_back(s);
    }
}

loudness::LoudnessFigures measure(const std::vector<std::int16_t>& pcm, std::size_t piece = 0) {
    auto meter = loudness::make_loudness_meter(rate, 2);
    const std::size_t frames = pcm.size() / 2;
    if (piece == 0) piece = frames;
    for (std::size_t at = 0; at < frames; at += piece)
        loudness::add_frames(meter, pcm.data() + 2 * at, std::min(piece, frames - at));
    return loudness::finish_loudness(meter);
}

}  // namespace

TEST(LoudnessMeter, KWeightingAt48kHzIsThePublishedFilter) {
    const auto shelf = loudness::k_weighting_shelf(48000);
    EXPECT_NEAR(1.53512485958697, shelf.b0, 1e-8);
    EXPECT_NEAR(-2.69169618940638, shelf.b1, 1e-8);
    EXPECT_NEAR(1.19839281085285, shelf.b2, 1e-8);
    EXPECT_NEAR(-1.69065929318241, shelf.a1, 1e-8);
    EXPECT_NEAR(0.73248077421585, shelf.a2, 1e-8);
    const auto high_pass = loudness::k_weighting_high_pass(48000);
    EXPECT_EQ(1.0, high_pass.b0);
    EXPECT_EQ(-2.0, high_pass.b1);
    EXPECT_EQ(1.0, high_pass.b2);
    EXPECT_NEAR(-1.99004745483398, high_pass.a1, 1e-8);
    EXPECT_NEAR(0.99007225036621, high_pass.a2, 1e-8);
}

TEST(LoudnessMeter, StereoSinesReadTheirLevelAndGatesLeaveOutTheQuietParts) {
    std::vector<std::int16_t> steady;
    add_sine(steady, 20, -20);
    EXPECT_NEAR(-20.0, measure(steady).integrated_lufs, 0.05);

    // Tech 3341 case 3: -36, -23, -36 dBFS; the relative gate drops the -36 parts.
    std::vector<std::int16_t> relative;
    add_sine(relative, 10, -36);
    add_sine(relative, 30, -23);
    add_sine(relative, 10, -36);
    EXPECT_NEAR(-23.0, measure(relative).integrated_lufs, 0.1);

    // Case 4 in short: silence and -72 dBFS lie under the absolute gate.
    std::vector<std::int16_t> absolute(2 * 5 * rate, 0);
    add_sine(absolute, 5, -72);
    add_sine(absolute, 20, -26);
    add_sine(absolute, 5, -72);
    EXPECT_NEAR(-26.0, measure(absolute).integrated_lufs, 0.1);

    // Two levels 3 dB apart both count: the mean of their powers.
    std::vector<std::int16_t> both;
    add_sine(both, 10, -20);
    add_sine(both, 10, -23);
    EXPECT_NEAR(10 * std::log10((1 + std::pow(10, -0.3)) / 2) - 20, measure(both).integrated_lufs, 0.1);
}

TEST(LoudnessMeter, LoudnessRangeIsTheSpreadOfTheShortTermLoudness) {
    // Tech 3342 cases 1 and 2: 20 s at one level, 20 s at another.
    std::vector<std::int16_t> ten;
    add_sine(ten, 20, -20);
    add_sine(ten, 20, -30);
    EXPECT_NEAR(10.0, measure(ten).range_lu, 1.0);
    std::vector<std::int16_t> five;
    add_sine(five, 20, -20);
    add_sine(five, 20, -15);
    EXPECT_NEAR(5.0, measure(five).range_lu, 1.0);
    std::vector<std::int16_t> steady;
    add_sine(steady, 20, -20);
    EXPECT_NEAR(0.0, measure(steady).range_lu, 0.1);
}

TEST(LoudnessMeter, TruePeakFindsThePeakBetweenTheSamples) {
    // A quarter-rate sine 45 degrees off its peaks: every sample sits at 0.707
    // of the waveform's peak, which lies between them.
    std::vector<std::int16_t> pcm;
    add_sine(pcm, 2, -6.0206, rate / 4.0, pi / 4);
    const auto f = measure(pcm);
    EXPECT_NEAR(-9.03, f.sample_peak_dbfs, 0.05);
    EXPECT_NEAR(-6.02, f.true_peak_dbtp, 0.2);

    // Where the samples hold the peak, the true peak is the sample peak.
    std::vector<std::int16_t> low;
    add_sine(low, 2, -3, 100);
    const auto g = measure(low);
    EXPECT_NEAR(-3.0, g.sample_peak_dbfs, 0.01);
    EXPECT_NEAR(g.sample_peak_dbfs, g.true_peak_dbtp, 0.02);
    EXPECT_GE(g.true_peak_dbtp, g.sample_peak_dbfs);
}

TEST(LoudnessMeter, CountsSamplesAtTheEndsOfTheRangeAsClipped) {
    std::vector<std::int16_t> pcm;
    add_sine(pcm, 1, -6);
    pcm[100] = INT16_MAX;
    pcm[201] = INT16_MIN;
    pcm[202] = INT16_MIN;
    pcm[300] = INT16_MAX - 1;  // loud, not clipped
    pcm[301] = INT16_MIN + 1;
    const auto f = measure(pcm);
    EXPECT_EQ(3, f.clipped_samples);
    EXPECT_NEAR(0.0, f.sample_peak_dbfs, 0.001);
    EXPECT_EQ(rate, f.frames);
}

TEST(LoudnessMeter, SilenceHasNoLoudnessAndPiecesMeasureAsTheWhole) {
    const auto silent = measure(std::vector<std::int16_t>(2 * 10 * rate, 0));
    EXPECT_TRUE(std::isinf(silent.integrated_lufs) && silent.integrated_lufs < 0);
    EXPECT_TRUE(std::isinf(silent.true_peak_dbtp) && silent.true_peak_dbtp < 0);
    EXPECT_EQ(0.0, silent.range_lu);
    EXPECT_EQ(0, silent.clipped_samples);

    std::vector<std::int16_t> pcm;
    add_sine(pcm, 6, -18, 440);
    add_sine(pcm, 6, -30, 3000);
    const auto whole = measure(pcm);
    const auto pieces = measure(pcm, 1237);
    EXPECT_EQ(whole.integrated_lufs, pieces.integrated_lufs);
    EXPECT_EQ(whole.range_lu, pieces.range_lu);
    EXPECT_EQ(whole.true_peak_dbtp, pieces.true_peak_dbtp);
    EXPECT_EQ(whole.sample_peak_dbfs, pieces.sample_peak_dbfs);
}

TEST(LevelTargets, NameEachFigureOffTheShowsTargets) {
    loudness::LoudnessFigures f;
    f.integrated_lufs = -14.0;
    f.true_peak_dbtp = -1.0;
    EXPECT_TRUE(loudness::level_faults(f).empty());
    f.integrated_lufs = -15.2;
    f.true_peak_dbtp = -0.95;
    f.clipped_samples = 2;
    EXPECT_EQ((std::vector<std::string>{"integrated loudness -15.20 LUFS, outside -15..-13 LUFS",
                                        "true peak -0.95 dBTP, above -1.0 dBTP", "2 samples at full scale (clipped)"}),
              loudness::level_faults(f));
    f = {};
    f.integrated_lufs = -12.9;
    f.true_peak_dbtp = -3;
    EXPECT_EQ(1u, loudness::level_faults(f).size());
    f.integrated_lufs = -std::numeric_limits<double>::infinity();  // a silent pass
    EXPECT_EQ(1u, loudness::level_faults(f).size());
}
