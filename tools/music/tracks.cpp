// Track writers: turn the compact per-bar lines of the song into pattern cells.
#include "tracks.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "instruments.h"
#include "mix.h"

namespace song {

namespace {

constexpr int lowest_bass = 17;              // E-1
constexpr int lowest_stab = 54;              // F-4
constexpr int lowest_pad = 41;               // E-3
constexpr int lowest_pluck = 53;             // E-4
constexpr int choir_low = 44;                // G-3
constexpr int choir_high = 66;               // F-5
constexpr int choir_start = 53;              // E-4
constexpr std::uint8_t glide_speed = 0x20;   // two semitones a tick
constexpr int glide_units = 4;               // half a beat of gliding
constexpr std::uint8_t lead_vibrato = 0x53;  // about 4.5 Hz, a sixth of a semitone

// Volume of a drum-line character, 0 for none.
int level(char c) {
    if (c == 'x') return 64;
    if (c == 'o') return 36;
    if (c >= '1' && c <= '9') return (c - '0') * 64 / 9;
    if (c == '.') return 0;
    throw std::invalid_argument(std::string("bad level character: ") + c);
}

int units_per_char(const std::string& line) {
    if (line.size() == 16) return 2;
    if (line.size() == 32) return 1;
    throw std::invalid_argument("a bar line needs 16 or 32 characters: " + line);
}

void note_on(const Section& s, int unit, int channel, int instrument, int note, int volume) {
    xm::Cell& c = s.fresh(unit, channel);
    c.note = static_cast<std::uint8_t>(note);
    c.instrument = static_cast<std::uint8_t>(instrument);
    c.volume = xm::volume_byte(mixed_volume(channel, volume));
}

// A new pitch reached by tone portamento: no new attack.
void glide_to(const Section& s, int unit, int channel, int note, std::uint8_t speed) {
    xm::Cell& c = s.fresh(unit, channel);
    c.note = static_cast<std::uint8_t>(note);
    for (int u = unit; u < unit + glide_units; u += s.units_per_row) s.effect(u, channel, xm::fx_tone_porta, speed);
}

}  // namespace

void drums(const Section& s, int bar, int channel, int instrument, const std::string& line) {
    const int step = units_per_char(line);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const int v = level(line[i]);
        if (v) note_on(s, bar * units_per_bar + static_cast<int>(i) * step, channel, instrument, 49, v);
    }
}

void drums(const Section& s, int first, int last, int channel, int instrument, const std::string& line) {
    for (int bar = first; bar <= last; ++bar) drums(s, bar, channel, instrument, line);
}

void bass(const Section& s, int bar, const Chord& chord, const std::string& line) {
    if (line.size() != 16) throw std::invalid_argument("a bass line needs 16 characters: " + line);
    const int root = note_at_or_above(chord.root, lowest_bass);
    for (int i = 0; i < 16; ++i) {
        const int unit = bar * units_per_bar + i * units_per_step;
        switch (line[static_cast<std::size_t>(i)]) {
        case 'r': note_on(s, unit, ch_bass, ins_bass, root, 56); break;
        case 'R': note_on(s, unit, ch_bass, ins_bass, root + 12, 46); break;
        case 'f': note_on(s, unit, ch_bass, ins_bass, root + 7, 48); break;
        case 'F': note_on(s, unit, ch_bass, ins_bass, root + 19, 40); break;
        case '-': key_off(s, ch_bass, unit); break;
        case '.': break;
        default: throw std::invalid_argument("bad bass character in " + line);
        }
    }
}

void bass(const Section& s, const std::vector<Chord>& chords, const std::string& line) {
    for (std::size_t bar = 0; bar < chords.size(); ++bar) bass(s, static_cast<int>(bar), chords[bar], line);
}

void stabs(const Section& s, const std::vector<Chord>& chords, const std::string& line, int volume) {
    const int step = units_per_char(line);
    for (std::size_t bar = 0; bar < chords.size(); ++bar) {
        const int note = note_at_or_above(chords[bar].root, lowest_stab);
        for (std::size_t i = 0; i < line.size(); ++i) {
            const int v = level(line[i]);
            if (!v) continue;
            const int unit = static_cast<int>(bar) * units_per_bar + static_cast<int>(i) * step;
            note_on(s, unit, ch_chord, ins_chord, note, volume * v / 64);
            s.effect(unit, ch_chord, xm::fx_arpeggio, chords[bar].minor ? 0x37 : 0x47);
        }
    }
}

void pad(const Section& s, const std::vector<Chord>& chords, int volume, bool retrigger_first) {
    int previous = 0;
    for (std::size_t bar = 0; bar < chords.size(); ++bar) {
        const int note = note_at_or_above(chords[bar].root, lowest_pad);
        const int unit = static_cast<int>(bar) * units_per_bar;
        if (bar == 0 && retrigger_first) {
            note_on(s, unit, ch_pad, ins_pad, note, volume);
        } else if (note != previous) {
            glide_to(s, unit, ch_pad, note, glide_speed);
        }
        previous = note;
    }
}

void choir(const Section& s, const std::vector<Chord>& chords, int volume, int start_note) {
    int voice = start_note ? start_note : choir_start;
    for (std::size_t bar = 0; bar < chords.size(); ++bar) {
        int best = 0;
        for (int pc : {chords[bar].third(), chords[bar].fifth()}) {
            for (int n = note_at_or_above(pc, choir_low); n <= choir_high; n += 12) {
                if (!best || std::abs(n - voice) < std::abs(best - voice)) best = n;
            }
        }
        const int unit = static_cast<int>(bar) * units_per_bar;
        if (bar == 0) {
            note_on(s, unit, ch_choir, ins_choir, best, volume);
        } else if (best != voice) {
            glide_to(s, unit, ch_choir, best, 0x10);
        }
        voice = best;
    }
}

void pluck_arp(const Section& s, const std::vector<Chord>& chords, const std::string& line, int volume) {
    if (line.size() != 16) throw std::invalid_argument("a pluck line needs 16 characters: " + line);
    for (std::size_t bar = 0; bar < chords.size(); ++bar) {
        const int root = note_at_or_above(chords[bar].root, lowest_pluck);
        const int third = chords[bar].minor ? 3 : 4;
        const int tones[] = {root, root + third, root + 7, root + 12, root + 12 + third, root + 19};
        for (int i = 0; i < 16; ++i) {
            const char c = line[static_cast<std::size_t>(i)];
            if (c == '.') continue;
            if (c < '0' || c > '5') throw std::invalid_argument("bad pluck character in " + line);
            const int unit = static_cast<int>(bar) * units_per_bar + i * units_per_step;
            note_on(s, unit, ch_pluck, ins_pluck, tones[c - '0'], i % 4 == 0 ? volume : volume * 3 / 4);
        }
    }
}

void melody(const Section& s, int channel, int instrument, const std::string& score, int volume, int start_unit,
            bool clip) {
    std::istringstream words(score);
    std::string word;
    int unit = start_unit;
    int previous = 0;
    bool sounding = false;
    while (words >> word) {
        if (word == "|") {
            if ((unit - start_unit) % units_per_bar != 0)
                throw std::invalid_argument("bar line off the bar in: " + score);
            continue;
        }
        if (clip && unit >= s.units()) break;
        const auto colon = word.find(':');
        if (colon == std::string::npos) throw std::invalid_argument("melody word without a length: " + word);
        const std::string pitch = word.substr(0, colon);
        std::size_t end = colon + 1;
        const int steps = std::stoi(word.substr(end), &end);
        const std::string marks = word.substr(colon + 1 + end);
        const int length = steps * units_per_step;
        if (pitch == "-") {
            if (sounding) key_off(s, channel, unit);
            sounding = false;
        } else {
            const int note = parse_note(pitch) + s.transpose;
            int v = volume;
            if (marks.find('!') != std::string::npos) v = std::min(64, volume + 12);
            if (marks.find(',') != std::string::npos) v = volume * 2 / 3;
            if (marks.find('>') != std::string::npos && sounding) {
                const int interval = std::max(1, std::abs(note - previous));
                glide_to(s, unit, channel, note, static_cast<std::uint8_t>(std::min(0xFF, interval * 3)));
            } else {
                note_on(s, unit, channel, instrument, note, v);
            }
            if (marks.find('~') != std::string::npos) {
                const int from = unit + std::max(glide_units, std::min(units_per_beat, length / 2));
                const int to = std::min(unit + length, s.units());
                for (int u = from; u < to; u += s.units_per_row) s.effect(u, channel, xm::fx_vibrato, lead_vibrato);
            }
            previous = note;
            sounding = true;
        }
        unit += length;
    }
    if (!clip && unit > s.units()) throw std::invalid_argument("melody runs past the pattern: " + score);
}

void volume_slide(const Section& s, int channel, int from, int to, std::uint8_t param) {
    for (int u = from; u < to; u += s.units_per_row) s.effect(u, channel, xm::fx_volume_slide, param);
}

void fade(const Section& s, int channel, int from, int to, int change) {
    const int delta = mixed_change(channel, change);
    // A slide acts on every tick of its row but the first.
    const int per_row = 3 * s.units_per_row - 1;
    const int rows = std::abs(delta) / per_row;
    const int span = (to - from) / s.units_per_row;
    if (rows < 1 || rows > span) throw std::invalid_argument("fade does not fit its range");
    // Spread evenly; a row whose effect column is taken (a glide) passes its
    // slide on to the next free one.
    int unit = from;
    for (int i = 0; i < rows; ++i) {
        unit = std::max(unit, from + (i * span / rows) * s.units_per_row);
        for (;; unit += s.units_per_row) {
            if (unit >= to) throw std::invalid_argument("fade does not fit its range");
            const xm::Cell& c = s.pattern->at(s.row(unit), channel);
            if (!c.effect && !c.param) break;
        }
        s.effect(unit, channel, xm::fx_volume_slide, delta > 0 ? 0x10 : 0x01);
        unit += s.units_per_row;
    }
}

void key_off(const Section& s, int channel, int unit) { s.fresh(unit, channel).note = xm::note_key_off; }

void hit(const Section& s, int unit, int channel, int instrument, int note, int volume) {
    note_on(s, unit, channel, instrument, note, volume);
}

void set_speed(const Section& s, int speed, int tempo) {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> wanted{{xm::fx_speed_tempo, static_cast<std::uint8_t>(speed)}};
    if (tempo) wanted.push_back({xm::fx_speed_tempo, static_cast<std::uint8_t>(tempo)});
    for (int ch = channel_count - 1; ch >= 0 && !wanted.empty(); --ch) {
        xm::Cell& c = s.pattern->at(0, ch);
        if (c.effect || c.param) continue;
        c.effect = wanted.back().first;
        c.param = wanted.back().second;
        wanted.pop_back();
    }
    if (!wanted.empty()) throw std::logic_error("no free effect column for the speed on the first row");
}

}  // namespace song
