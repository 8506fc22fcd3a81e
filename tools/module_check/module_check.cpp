// The checks behind the module-check command.
#include "module_check.h"

#include <map>
#include <set>
#include <utility>

#include "xm_reader.h"

namespace xm_check {

namespace {

// Header values of the show's own module. Only the tempo is binding; the others
// give warnings when a replacement differs.
constexpr std::uint16_t expected_version = 0x0104;
constexpr std::uint32_t expected_header_size = 276;
constexpr int expected_song_length = 33;
constexpr int expected_channels = 10;
constexpr int expected_patterns = 32;
constexpr int expected_instruments = 12;
constexpr int expected_flags = 1;
constexpr int expected_speed = 3;
constexpr int expected_looping_samples = 2;
constexpr std::uint8_t name_marker = 0x1A;
constexpr int max_listed_per_kind = 5;

constexpr std::uint8_t fx_position_jump = 0x0B;
constexpr std::uint8_t fx_pattern_break = 0x0D;
constexpr std::uint8_t fx_extended = 0x0E;
constexpr std::uint8_t fx_speed_tempo = 0x0F;
constexpr std::uint8_t first_tempo_value = 0x20;

struct Reporter {
    CheckReport& report;
    // Findings of a kind that can repeat per cell, order or sample: the first few
    // are listed, the rest counted, so a hostile module cannot flood the output.
    std::map<std::string, int> listed_of_kind{};
    std::map<std::string, long> unlisted_of_kind{};
    std::vector<std::pair<std::string, bool>> kinds_in_order{};

    void fault(const std::string& text) { report.findings.push_back({true, text}); }
    void warning(const std::string& text) { report.findings.push_back({false, text}); }

    // Lists `text()` unless max_listed_per_kind findings of `kind` are listed already.
    template <typename Text>
    void repeated(bool is_fault, const std::string& kind, const Text& text) {
        int& listed = listed_of_kind[kind];
        if (listed == 0) kinds_in_order.emplace_back(kind, is_fault);
        if (listed < max_listed_per_kind) {
            ++listed;
            report.findings.push_back({is_fault, text()});
        } else {
            ++unlisted_of_kind[kind];
        }
    }
    // One line per kind that had more than it listed, then a fresh start.
    void count_unlisted() {
        for (const auto& [kind, is_fault] : kinds_in_order) {
            const long unlisted = unlisted_of_kind[kind];
            if (unlisted > 0)
                report.findings.push_back({is_fault, kind + ": " + std::to_string(unlisted) + " more not listed"});
        }
        listed_of_kind.clear();
        unlisted_of_kind.clear();
        kinds_in_order.clear();
    }
};

std::string hex(unsigned v, int digits) {
    static const char* d = "0123456789ABCDEF";
    std::string s;
    for (int i = digits - 1; i >= 0; --i) s += d[(v >> (4 * i)) & 0xF];
    return s;
}

void check_header(const ModuleData& m, Reporter& r) {
    if (m.default_tempo != show_tempo) {
        r.fault("default tempo " + std::to_string(m.default_tempo) + ", the show's beat clock needs 120");
    }
    if (m.default_speed < 1 || m.default_speed > 31)
        r.fault("default speed " + std::to_string(m.default_speed) + ", not 1..31");
    if (m.version != expected_version) r.warning("format version 0x" + hex(m.version, 4) + ", expected 0x0104");
    if (m.header_size != expected_header_size)
        r.warning("header size " + std::to_string(m.header_size) + ", expected 276");
    if (m.marker != name_marker) r.warning("byte 37 is 0x" + hex(m.marker, 2) + ", expected 0x1A");
    if (m.name != std::string(20, ' ')) r.warning("module name is not 20 blanks");
    if (m.song_length != expected_song_length)
        r.warning("song length " + std::to_string(m.song_length) + " orders, expected 33");
    if (m.restart != 0)
        r.warning("restart position " + std::to_string(m.restart) + ": the show's player loops to order 0 anyway");
    if (m.channels != expected_channels) r.warning(std::to_string(m.channels) + " channels, expected 10");
    if (m.pattern_count != expected_patterns) r.warning(std::to_string(m.pattern_count) + " patterns, expected 32");
    if (m.instrument_count != expected_instruments)
        r.warning(std::to_string(m.instrument_count) + " instruments, expected 12");
    if (m.flags != expected_flags)
        r.warning("flags " + std::to_string(m.flags) + ", expected 1 (linear frequency table)");
    else if (m.default_speed != expected_speed)
        r.warning("default speed " + std::to_string(m.default_speed) + ", expected 3");
    for (int pos = 0; pos < m.song_length; ++pos) {
        const int pattern = m.orders[static_cast<std::size_t>(pos)];
        if (pattern >= m.pattern_count) {
            r.repeated(true, "order of a missing pattern", [&] {
                return "order " + std::to_string(pos) + " refers to pattern " + std::to_string(pattern) +
                       ", which does not exist";
            });
        }
    }
    r.count_unlisted();
}

void check_samples(const ModuleData& m, Reporter& r) {
    int looping = 0;
    for (std::size_t i = 0; i < m.instruments.size(); ++i) {
        const std::string name = "instrument " + std::to_string(i + 1);
        const auto& samples = m.instruments[i].samples;
        if (samples.size() != 1) {
            r.repeated(false, "instrument without exactly 1 sample",
                       [&] { return name + " has " + std::to_string(samples.size()) + " samples, expected 1"; });
        }
        for (const SampleData& s : samples) {
            if (!s.sixteen_bit())
                r.repeated(false, "8-bit sample", [&] { return name + " has an 8-bit sample, expected 16-bit"; });
            if (s.loop_kind() != 0) ++looping;
            if (s.loop_kind() &&
                s.loop_start_bytes + static_cast<std::uint64_t>(s.loop_length_bytes) > s.length_bytes) {
                r.repeated(false, "loop past the end of its sample",
                           [&] { return name + ": the loop runs past the end of the sample"; });
            }
        }
    }
    r.count_unlisted();
    if (looping != expected_looping_samples) r.warning(std::to_string(looping) + " looping samples, expected 2");
}

// Effects the show cannot allow: jumps and breaks reorder the song, pattern
// delays and tempo changes move it off the beat clock.
void check_effects(const ModuleData& m, Reporter& r) {
    for (int index = 0; index < m.pattern_count; ++index) {
        const PatternData& p = m.patterns[static_cast<std::size_t>(index)];
        for (int row = 0; row < p.rows; ++row) {
            for (int ch = 0; ch < m.channels; ++ch) {
                const Cell& c = p.cells[static_cast<std::size_t>(row * m.channels + ch)];
                const auto cell_fault = [&](const char* kind, const std::string& what) {
                    r.repeated(true, kind, [&] {
                        return "pattern " + std::to_string(index) + " row " + std::to_string(row) + " channel " +
                               std::to_string(ch) + ": " + what;
                    });
                };
                if (c.effect == fx_position_jump) cell_fault("position jump", "position jump B" + hex(c.param, 2));
                if (c.effect == fx_pattern_break) cell_fault("pattern break", "pattern break D" + hex(c.param, 2));
                if (c.effect == fx_extended && c.param >> 4 == 0xE)
                    cell_fault("pattern delay", "pattern delay E" + hex(c.param, 2));
                if (c.effect == fx_speed_tempo && c.param == 0)
                    cell_fault("F00", "F00, which some players take as the end");
                if (c.effect == fx_speed_tempo && c.param >= first_tempo_value && c.param != show_tempo) {
                    cell_fault("tempo change",
                               "tempo change to " + std::to_string(c.param) + ", the show's beat clock needs 120");
                }
            }
        }
    }
    r.count_unlisted();
}

// The speed set by a row (0 when it sets none); the last speed effect wins.
int row_speed(const ModuleData& m, const PatternData& p, int row) {
    int speed = 0;
    for (int ch = 0; ch < m.channels; ++ch) {
        const Cell& c = p.cells[static_cast<std::size_t>(row * m.channels + ch)];
        if (c.effect == fx_speed_tempo && c.param >= 1 && c.param < first_tempo_value) speed = c.param;
    }
    return speed;
}

void check_timing(const ModuleData& m, Reporter& r) {
    int speed = m.default_speed;
    std::set<int> speeds{speed};
    long ticks = 0;
    for (int pos = 0; pos < m.song_length; ++pos) {
        const int index = m.orders[static_cast<std::size_t>(pos)];
        if (index >= m.pattern_count) return;  // already a fault; timing is undefined from here
        const PatternData& p = m.patterns[static_cast<std::size_t>(index)];
        OrderTiming order{index, ticks, 0};
        for (int row = 0; row < p.rows; ++row) {
            if (const int s = row_speed(m, p, row)) speed = s;
            speeds.insert(speed);
            order.ticks += speed;
        }
        if (order.ticks % ticks_per_beat != 0) {
            r.repeated(true, "order of a broken beat", [&] {
                return "order " + std::to_string(pos) + " (pattern " + std::to_string(index) + ") lasts " +
                       std::to_string(order.ticks) + " ticks, not a whole number of beats (24 ticks each)";
            });
        }
        ticks += order.ticks;
        r.report.orders.push_back(order);
    }
    r.count_unlisted();
    r.report.pass_ticks = ticks;

    if (m.song_length <= skip_order) {
        r.warning("the song has no order " + std::to_string(skip_order) + ": the skip key restarts it from order 0");
    } else if (speeds.size() > 1) {
        const int index = m.orders[skip_order];
        if (row_speed(m, m.patterns[static_cast<std::size_t>(index)], 0) == 0) {
            r.fault("order 10 (pattern " + std::to_string(index) +
                    ", where the skip key jumps) does not set the speed on its first row; the jump keeps the speed "
                    "that was playing");
        }
    }
}

}  // namespace

bool CheckReport::has_fault() const {
    if (!readable) return true;
    for (const Finding& f : findings) {
        if (f.fault) return true;
    }
    return false;
}

CheckReport check_module(const std::uint8_t* bytes, std::size_t size) {
    CheckReport report;
    Reporter r{report};
    ModuleData m;
    std::string error;
    if (!read_module(bytes, size, m, error)) {
        r.fault(error);
        return report;
    }
    report.readable = true;
    check_header(m, r);
    check_samples(m, r);
    check_effects(m, r);
    check_timing(m, r);
    r.count_unlisted();
    return report;
}

}  // namespace xm_check
