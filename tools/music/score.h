// Musical building blocks of the song: note names, chords, and a section of a
// pattern addressed in beats rather than rows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "xm_module.h"

namespace song {

// One beat of the show is 24 ticks at tempo 120. A unit is an eighth of a beat
// (a 32nd note): one row at speed 3, half a row at speed 6.
constexpr int units_per_beat = 8;
constexpr int units_per_step = 2;  // a 16th note
constexpr int steps_per_bar = 16;
constexpr int units_per_bar = units_per_step * steps_per_bar;
constexpr int bars_per_order = 4;
constexpr int units_per_order = units_per_bar * bars_per_order;

// XM note number (1 = C-0, 49 = C-4) of a name such as "A4", "C#5" or "Bb3".
int parse_note(const std::string& name);
// The lowest note of pitch class `pc` (0 = C) at or above note `lowest`.
int note_at_or_above(int pc, int lowest);

struct Chord {
    int root = 9;  // pitch class, 0 = C
    bool minor = true;
    int third() const { return (root + (minor ? 3 : 4)) % 12; }
    int fifth() const { return (root + 7) % 12; }
};
// "Am F C G" -> four chords (sharps as "F#m", flats as "Bb").
std::vector<Chord> parse_chords(const std::string& text);
std::vector<Chord> transpose(std::vector<Chord> chords, int semitones);

// A pattern seen as a stretch of beats. Every write asserts that it lands on a
// row and does not overwrite what another track put there.
struct Section {
    xm::Pattern* pattern;
    int units_per_row;  // 1 at speed 3, 2 at speed 6
    int transpose = 0;  // added to every melodic note
    int offset = 0;     // units before the section's first bar

    int row(int unit) const;
    int units() const { return pattern->rows * units_per_row - offset; }
    // The same pattern seen from `bar` on (bar 0 of the result), or transposed.
    Section from_bar(int bar) const;
    Section transposed(int semitones) const;
    // The cell at `unit` of `channel`, for filling in; asserts it is empty.
    xm::Cell& fresh(int unit, int channel) const;
    // Sets the effect at `unit`, asserting the effect column is free.
    void effect(int unit, int channel, std::uint8_t type, std::uint8_t param) const;
};

}  // namespace song
