// The track writers: each puts one part (drums, bass, chords, pad, choir, pluck,
// lead, effects) into a section, from a compact text line per bar. The volumes
// they take are the part's own dynamics; each channel's level (mix.h) scales
// them into the module.
#pragma once
#include <string>
#include <vector>

#include "score.h"

namespace song {

// Channel layout of every pattern.
enum Channel : int {
    ch_kick = 0,
    ch_snare,
    ch_hat,
    ch_bass,
    ch_lead,
    ch_chord,
    ch_pad,
    ch_choir,
    ch_pluck,
    ch_fx,
    channel_count
};

// Drum hits on one bar. The line has 16 (16th notes) or 32 (32nd notes, speed 3
// only) characters: '.' nothing, 'x' full, 'o' soft, '1'..'9' a ninth of full each.
void drums(const Section& s, int bar, int channel, int instrument, const std::string& line);
// The same line on bars [first, last].
void drums(const Section& s, int first, int last, int channel, int instrument, const std::string& line);

// Bass on one bar of `chord`, 16 characters: 'r' root (E-1..D#2), 'R' root an
// octave up, 'f' fifth, 'F' fifth an octave up, '-' key off, '.' nothing.
void bass(const Section& s, int bar, const Chord& chord, const std::string& line);
void bass(const Section& s, const std::vector<Chord>& chords, const std::string& line);

// Chord stabs with the 0xy arpeggio (minor 037, major 047) on the chord
// channel; 16 characters with the drum volume letters.
void stabs(const Section& s, const std::vector<Chord>& chords, const std::string& line, int volume = 40);

// Pad: the chord root held for the bar; later chords glide there with tone
// portamento instead of a new attack. `first_bar` retriggers.
void pad(const Section& s, const std::vector<Chord>& chords, int volume, bool retrigger_first = true);
// Choir: one voice that moves to the nearest third or fifth of each chord.
void choir(const Section& s, const std::vector<Chord>& chords, int volume, int start_note = 0);

// Broken chords on the pluck channel: 16 characters, '0'..'5' = root, third,
// fifth, and the same an octave up (root in E-4..D#5); '.' nothing.
void pluck_arp(const Section& s, const std::vector<Chord>& chords, const std::string& line, int volume = 36);

// A melody in the form "A4:2 C5:2 E5:4~ -:2 G5:2>" (lengths in 16th notes from
// `start_unit`): '-' a rest (key off), '~' vibrato from the second beat of the
// note, '>' glide into the note from the previous one, '!' accent, ',' soft;
// '|' marks a bar line and must fall on one. With `clip`, notes that would start
// after the pattern's end are dropped (an echo running over the edge).
void melody(const Section& s, int channel, int instrument, const std::string& score, int volume, int start_unit = 0,
            bool clip = false);

// Volume slide (Axy) on every row of [from, to) units.
void volume_slide(const Section& s, int channel, int from, int to, std::uint8_t param);
// Changes the channel volume by `change` (at the channel's level, mix.h) over
// [from, to) units, with single-step slides (A10 / A01) spread evenly over the
// rows; a row whose effect column is taken passes its slide to the next.
void fade(const Section& s, int channel, int from, int to, int change);
// Key off at `unit`.
void key_off(const Section& s, int channel, int unit);
// One note with an instrument and a volume.
void hit(const Section& s, int unit, int channel, int instrument, int note, int volume);
// Speed (and tempo when non-zero) on the first row, in free effect columns.
void set_speed(const Section& s, int speed, int tempo);

}  // namespace song
