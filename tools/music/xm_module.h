// In-memory form of an XM module (format 0x0104) as the composer builds it: a
// header, patterns of cells and instruments with one sample each.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr int max_channels = 32;
constexpr int max_rows = 256;
constexpr std::uint8_t note_key_off = 97;
constexpr std::uint8_t note_last = 96;

// Effect type bytes (the letter's position in 0-9A-Z).
constexpr std::uint8_t fx_arpeggio = 0x0;
constexpr std::uint8_t fx_porta_up = 0x1;
constexpr std::uint8_t fx_porta_down = 0x2;
constexpr std::uint8_t fx_tone_porta = 0x3;
constexpr std::uint8_t fx_vibrato = 0x4;
constexpr std::uint8_t fx_tone_porta_volume = 0x5;
constexpr std::uint8_t fx_vibrato_volume = 0x6;
constexpr std::uint8_t fx_panning = 0x8;
constexpr std::uint8_t fx_volume_slide = 0xA;
constexpr std::uint8_t fx_position_jump = 0xB;
constexpr std::uint8_t fx_set_volume = 0xC;
constexpr std::uint8_t fx_pattern_break = 0xD;
constexpr std::uint8_t fx_extended = 0xE;
constexpr std::uint8_t fx_speed_tempo = 0xF;

// Volume-column byte for "set volume v" (0..64).
constexpr std::uint8_t volume_byte(int v) { return static_cast<std::uint8_t>(0x10 + v); }

struct Cell {
    std::uint8_t note = 0;        // 0 none, 1..96 = C-0..B-7, 97 key off
    std::uint8_t instrument = 0;  // 0 none, 1-based
    std::uint8_t volume = 0;      // volume-column byte (0 = nothing)
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
};

struct Pattern {
    int rows = 64;
    int channels = 0;
    std::vector<Cell> cells;  // rows * channels, row-major

    Cell& at(int row, int channel) { return cells[static_cast<std::size_t>(row * channels + channel)]; }
    const Cell& at(int row, int channel) const { return cells[static_cast<std::size_t>(row * channels + channel)]; }
};

Pattern make_pattern(int rows, int channels);

struct EnvelopePoint {
    std::uint16_t tick = 0;
    std::uint16_t value = 0;  // 0..64
};

struct Envelope {
    std::vector<EnvelopePoint> points;  // at most 12, ticks strictly increasing
    int sustain_point = -1;             // -1: no sustain
};

enum class Loop : std::uint8_t { none = 0, forward = 1 };

struct Sample {
    std::string name;
    std::vector<std::int16_t> frames;
    std::uint32_t loop_start = 0;   // in frames
    std::uint32_t loop_length = 0;  // in frames, 0 when not looping
    Loop loop = Loop::none;
    std::uint8_t volume = 64;
    std::int8_t finetune = 0;
    std::uint8_t panning = 128;
    std::int8_t relative_note = 0;
};

struct Instrument {
    std::string name;
    Sample sample;
    Envelope volume_envelope;  // empty: no envelope
    std::uint16_t fadeout = 0;
};

struct Module {
    std::string name;          // up to 20 characters, padded with blanks
    std::string tracker_name;  // up to 20 characters
    int channels = 0;
    int restart = 0;
    bool linear_frequencies = true;
    int default_speed = 6;
    int default_tempo = 125;
    std::vector<std::uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

}  // namespace xm
