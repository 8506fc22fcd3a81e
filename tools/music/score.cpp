// Note names, chord symbols and the beat-addressed view of a pattern.
#include "score.h"

#include <sstream>
#include <stdexcept>

namespace song {

namespace {

int pitch_class(char letter) {
    switch (letter) {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return 9;
    case 'B': return 11;
    default: throw std::invalid_argument(std::string("not a note letter: ") + letter);
    }
}

// Letter plus optional '#' or 'b'; returns the pitch class and advances `i`.
int read_pitch_class(const std::string& text, std::size_t& i) {
    int pc = pitch_class(text.at(i++));
    if (i < text.size() && text[i] == '#') {
        ++pc;
        ++i;
    } else if (i < text.size() && text[i] == 'b') {
        --pc;
        ++i;
    }
    return (pc + 12) % 12;
}

}  // namespace

int parse_note(const std::string& name) {
    std::size_t i = 0;
    const int pc = read_pitch_class(name, i);
    if (i + 1 != name.size() || name[i] < '0' || name[i] > '7') throw std::invalid_argument("bad note: " + name);
    // Written pitch, so "B#3" would be C-4; only naturals, sharps and flats inside an octave are used.
    const int note = 1 + 12 * (name[i] - '0') + pc;
    if (note < 1 || note > xm::note_last) throw std::invalid_argument("note out of range: " + name);
    return note;
}

int note_at_or_above(int pc, int lowest) {
    int note = lowest;
    while ((note - 1) % 12 != pc) ++note;
    return note;
}

std::vector<Chord> parse_chords(const std::string& text) {
    std::vector<Chord> chords;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        std::size_t i = 0;
        Chord c;
        c.root = read_pitch_class(word, i);
        c.minor = i < word.size() && word[i] == 'm';
        chords.push_back(c);
    }
    return chords;
}

std::vector<Chord> transpose(std::vector<Chord> chords, int semitones) {
    for (Chord& c : chords) c.root = ((c.root + semitones) % 12 + 12) % 12;
    return chords;
}

int Section::row(int unit) const {
    const int u = unit + offset;
    if (u < 0 || u % units_per_row != 0 || u / units_per_row >= pattern->rows) {
        throw std::logic_error("unit " + std::to_string(u) + " is not a row of this pattern");
    }
    return u / units_per_row;
}

Section Section::from_bar(int bar) const {
    Section s = *this;
    s.offset += bar * units_per_bar;
    return s;
}

Section Section::transposed(int semitones) const {
    Section s = *this;
    s.transpose += semitones;
    return s;
}

xm::Cell& Section::fresh(int unit, int channel) const {
    xm::Cell& c = pattern->at(row(unit), channel);
    if (c.note || c.instrument || c.volume) {
        throw std::logic_error("two notes on channel " + std::to_string(channel) + " at unit " + std::to_string(unit));
    }
    return c;
}

void Section::effect(int unit, int channel, std::uint8_t type, std::uint8_t param) const {
    xm::Cell& c = pattern->at(row(unit), channel);
    if (c.effect || c.param) {
        throw std::logic_error("two effects on channel " + std::to_string(channel) + " at unit " +
                               std::to_string(unit));
    }
    c.effect = type;
    c.param = param;
}

}  // namespace song
