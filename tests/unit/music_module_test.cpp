// The embedded module read back from its bytes: header values, order list, row
// counts, speed and tempo settings, forbidden effects, samples; and the module
// check's verdict on modules broken on purpose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "assets/embedded_data.h"
#include "module_check.h"
#include "song.h"
#include "xm_reader.h"
#include "xm_writer.h"

namespace {

std::uint16_t u16_at(std::size_t offset) {
    return static_cast<std::uint16_t>(music_module[offset] | music_module[offset + 1] << 8);
}

xm_check::ModuleData embedded_module() {
    xm_check::ModuleData m;
    std::string error;
    EXPECT_TRUE(xm_check::read_module(music_module, music_module_size, m, error)) << error;
    return m;
}

// The speed (1..31) and tempo (32..255) that the first row of a pattern sets.
void first_row_settings(const xm_check::ModuleData& m, int pattern, int& speed, int& tempo) {
    speed = tempo = 0;
    for (int ch = 0; ch < m.channels; ++ch) {
        const auto& c = m.patterns[static_cast<std::size_t>(pattern)].cells[static_cast<std::size_t>(ch)];
        if (c.effect != 0x0F) continue;
        (c.param < 0x20 ? speed : tempo) = c.param;
    }
}

std::vector<std::string> faults_of(const std::vector<std::uint8_t>& bytes) {
    const auto report = xm_check::check_module(bytes.data(), bytes.size());
    std::vector<std::string> lines;
    for (const auto& f : report.findings) {
        if (f.fault) lines.push_back(f.text);
    }
    return lines;
}

}  // namespace

TEST(MusicModule, HeaderHoldsTheShowsValues) {
    ASSERT_GT(music_module_size, 336u);
    EXPECT_EQ(0, std::memcmp(music_module, "Extended Module: ", 17));
    EXPECT_EQ(std::string(20, ' '), std::string(reinterpret_cast<const char*>(music_module + 17), 20));
    EXPECT_EQ(0x1A, music_module[37]);
    EXPECT_EQ(0x0104, u16_at(58));
    EXPECT_EQ(276u, u16_at(60) | static_cast<std::uint32_t>(u16_at(62)) << 16);
    EXPECT_EQ(33, u16_at(64));   // song length
    EXPECT_EQ(0, u16_at(66));    // restart
    EXPECT_EQ(10, u16_at(68));   // channels
    EXPECT_EQ(32, u16_at(70));   // patterns
    EXPECT_EQ(12, u16_at(72));   // instruments
    EXPECT_EQ(1, u16_at(74));    // linear frequency table
    EXPECT_EQ(3, u16_at(76));    // default speed
    EXPECT_EQ(120, u16_at(78));  // default tempo
    const std::vector<int> orders{4,  5,  6,  7,  8,  0,  1,  2,  3,  9,  10, 11, 12, 13, 14, 15, 16,
                                  17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 26, 27, 28, 29, 30, 31};
    for (std::size_t i = 0; i < orders.size(); ++i) EXPECT_EQ(orders[i], music_module[80 + i]) << "order " << i;
}

TEST(MusicModule, PatternsHaveTheirRowsSpeedsAndNoJumps) {
    const auto m = embedded_module();
    ASSERT_EQ(32u, m.patterns.size());
    for (int p = 0; p < 32; ++p)
        EXPECT_EQ(p == 4 || p == 5 ? 64 : 128, m.patterns[static_cast<std::size_t>(p)].rows) << p;

    int speed = 0, tempo = 0;
    first_row_settings(m, 4, speed, tempo);
    EXPECT_EQ(6, speed);
    EXPECT_EQ(120, tempo);
    first_row_settings(m, 5, speed, tempo);
    EXPECT_EQ(6, speed);
    for (int p : {6, 7, 8, 0, 18, 10}) {
        first_row_settings(m, p, speed, tempo);
        EXPECT_EQ(3, speed) << "pattern " << p;
    }
    first_row_settings(m, 10, speed, tempo);
    EXPECT_TRUE(tempo == 0 || tempo == 120);

    for (int p = 0; p < 32; ++p) {
        const auto& pattern = m.patterns[static_cast<std::size_t>(p)];
        for (std::size_t i = 0; i < pattern.cells.size(); ++i) {
            const auto& c = pattern.cells[i];
            const std::string at = "pattern " + std::to_string(p) + " cell " + std::to_string(i);
            EXPECT_NE(0x0B, c.effect) << at;
            EXPECT_NE(0x0D, c.effect) << at;
            EXPECT_FALSE(c.effect == 0x0E && c.param >> 4 == 0xE) << at;
            if (c.effect == 0x0F) {
                EXPECT_TRUE(c.param == 3 || c.param == 6 || c.param == 120) << at;
            }
        }
    }
}

TEST(MusicModule, OneSixteenBitSampleEachAndTwoForwardLoops) {
    const auto m = embedded_module();
    ASSERT_EQ(12u, m.instruments.size());
    int forward = 0;
    for (const auto& ins : m.instruments) {
        ASSERT_EQ(1u, ins.samples.size());
        const auto& s = ins.samples[0];
        EXPECT_TRUE(s.sixteen_bit());
        EXPECT_EQ(0u, s.length_bytes % 2);
        if (s.loop_kind() == 1) ++forward;
        EXPECT_TRUE(s.loop_kind() == 0 || s.loop_kind() == 1);
    }
    EXPECT_EQ(2, forward);
    EXPECT_LT(music_module_size, 600u * 1024u);
}

TEST(MusicModule, CheckPassesTheModuleAndPlacesEveryOrderOnItsBeat) {
    const auto report = xm_check::check_module(music_module, music_module_size);
    EXPECT_FALSE(report.has_fault());
    for (const auto& f : report.findings) ADD_FAILURE() << (f.fault ? "fault: " : "warning: ") << f.text;
    ASSERT_EQ(33u, report.orders.size());
    for (std::size_t n = 0; n < report.orders.size(); ++n) {
        EXPECT_EQ(static_cast<long>(16 * 24 * n), report.orders[n].start_ticks) << "order " << n;
    }
    EXPECT_EQ(528L * 24, report.pass_ticks);
}

TEST(MusicModule, ComposerRewritesTheEmbeddedModuleExactly) {
    const auto bytes = xm::write_module(song::compose());
    ASSERT_EQ(music_module_size, bytes.size());
    EXPECT_EQ(0, std::memcmp(music_module, bytes.data(), bytes.size()));
}

TEST(ModuleCheck, RejectsWhatWouldPutTheMusicOffTheBeatClock) {
    const std::vector<std::uint8_t> good(music_module, music_module + music_module_size);

    auto tempo125 = good;
    tempo125[78] = 125;
    EXPECT_EQ(std::vector<std::string>{"default tempo 125, the show's beat clock needs 120"}, faults_of(tempo125));

    xm::Module broken = song::compose();
    broken.patterns[3].at(5, 2).effect = xm::fx_pattern_break;
    broken.patterns[3].at(5, 2).param = 0;
    broken.patterns[9].at(0, 2).effect = xm::fx_speed_tempo;
    broken.patterns[9].at(0, 2).param = 125;
    broken.patterns[11].at(7, 1).effect = xm::fx_extended;
    broken.patterns[11].at(7, 1).param = 0xE2;
    broken.patterns[12].at(0, 1).effect = xm::fx_position_jump;
    broken.patterns[12].at(0, 1).param = 0;
    EXPECT_EQ((std::vector<std::string>{
                  "pattern 3 row 5 channel 2: pattern break D00",
                  "pattern 9 row 0 channel 2: tempo change to 125, the show's beat clock needs 120",
                  "pattern 11 row 7 channel 1: pattern delay EE2",
                  "pattern 12 row 0 channel 1: position jump B00",
              }),
              faults_of(xm::write_module(broken)));

    // Pattern 7 (order 3) one row short: 127 rows of 3 ticks are not whole beats.
    xm::Module short_order = song::compose();
    short_order.patterns[7].rows = 127;
    short_order.patterns[7].cells.resize(127 * 10);
    EXPECT_EQ(
        std::vector<std::string>{"order 3 (pattern 7) lasts 381 ticks, not a whole number of beats (24 ticks each)"},
        faults_of(xm::write_module(short_order)));

    // Without its own speed, order 10 would keep the opening's speed after a skip.
    xm::Module no_skip_speed = song::compose();
    for (auto& c : no_skip_speed.patterns[10].cells) {
        if (c.effect == xm::fx_speed_tempo) c = xm::Cell{c.note, c.instrument, c.volume, 0, 0};
    }
    const auto skip_faults = faults_of(xm::write_module(no_skip_speed));
    ASSERT_EQ(1u, skip_faults.size());
    EXPECT_NE(std::string::npos, skip_faults[0].find("order 10 (pattern 10, where the skip key jumps)"));
}

TEST(ModuleCheck, ReadsBrokenFilesAsOneFaultWithoutCrashing) {
    const std::vector<std::uint8_t> good(music_module, music_module + music_module_size);
    for (std::size_t size : {std::size_t{0}, std::size_t{16}, std::size_t{70}, std::size_t{335}, std::size_t{400},
                             good.size() / 2, good.size() - 1}) {
        const auto report = xm_check::check_module(good.data(), size);
        EXPECT_FALSE(report.readable) << size;
        ASSERT_EQ(1u, report.findings.size()) << size;
        EXPECT_TRUE(report.findings[0].fault);
        EXPECT_EQ(0u, report.findings[0].text.find("truncated: ")) << report.findings[0].text;
    }
    auto garbage = good;
    garbage[0] = 'X';
    EXPECT_EQ(std::vector<std::string>{"not an XM file: it does not start with \"Extended Module: \""},
              faults_of(garbage));

    auto huge_pattern = good;
    huge_pattern[336 + 7] = 0xFF;  // pattern 0's packed size
    huge_pattern[336 + 8] = 0xFF;
    const auto faults = faults_of(huge_pattern);
    ASSERT_EQ(1u, faults.size());
    EXPECT_FALSE(faults[0].empty());
}

TEST(ModuleCheck, ListsTheFirstFewCellsOfEachKindThenACount) {
    // A jump in every cell must not print a line per cell.
    xm::Module jumps = song::compose();
    long cells = 0;
    for (auto& pattern : jumps.patterns) {
        for (auto& c : pattern.cells) c = xm::Cell{c.note, c.instrument, c.volume, xm::fx_position_jump, 0};
        cells += static_cast<long>(pattern.cells.size());
    }
    std::vector<std::string> jump_lines;
    for (const std::string& line : faults_of(xm::write_module(jumps))) {
        if (line.find("position jump") != std::string::npos) jump_lines.push_back(line);
    }
    EXPECT_EQ((std::vector<std::string>{
                  "pattern 0 row 0 channel 0: position jump B00",
                  "pattern 0 row 0 channel 1: position jump B00",
                  "pattern 0 row 0 channel 2: position jump B00",
                  "pattern 0 row 0 channel 3: position jump B00",
                  "pattern 0 row 0 channel 4: position jump B00",
                  "position jump: " + std::to_string(cells - 5) + " more not listed",
              }),
              jump_lines);

    // Each kind has its own few: a break and a delay among the jumps still show.
    jumps.patterns[2].at(3, 1).effect = xm::fx_pattern_break;
    jumps.patterns[4].at(0, 0) = xm::Cell{0, 0, 0, xm::fx_extended, 0xE1};
    const auto faults = faults_of(xm::write_module(jumps));
    EXPECT_NE(faults.end(), std::find(faults.begin(), faults.end(), "pattern 2 row 3 channel 1: pattern break D00"));
    EXPECT_NE(faults.end(), std::find(faults.begin(), faults.end(), "pattern 4 row 0 channel 0: pattern delay EE1"));
    EXPECT_LT(faults.size(), 20u);
}
