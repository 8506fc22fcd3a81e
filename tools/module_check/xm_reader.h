// Reads an XM file (format 0x0104) into its header values, order list, unpacked
// pattern cells and sample descriptions. Every read is bounds-checked: a
// truncated or garbled file gives one error line, never a crash.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace xm_check {

struct Cell {
    std::uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct PatternData {
    int rows = 0;
    std::vector<Cell> cells;  // rows * channels
};

struct SampleData {
    std::uint32_t length_bytes = 0;
    std::uint32_t loop_start_bytes = 0;
    std::uint32_t loop_length_bytes = 0;
    std::uint8_t type = 0;  // bits 0-1 loop, bit 4 16-bit
    int loop_kind() const { return loop_length_bytes ? type & 3 : 0; }
    bool sixteen_bit() const { return (type & 0x10) != 0; }
};

struct InstrumentData {
    std::vector<SampleData> samples;
};

struct ModuleData {
    std::string id;           // 17 bytes
    std::string name;         // 20 bytes as stored
    std::uint8_t marker = 0;  // byte 37, 0x1A
    std::uint16_t version = 0;
    std::uint32_t header_size = 0;
    int song_length = 0, restart = 0, channels = 0, pattern_count = 0, instrument_count = 0;
    int flags = 0, default_speed = 0, default_tempo = 0;
    std::vector<std::uint8_t> orders;  // song_length entries
    std::vector<PatternData> patterns;
    std::vector<InstrumentData> instruments;
};

// Parses `bytes`. On failure returns false and sets `error` to one line.
bool read_module(const std::uint8_t* bytes, std::size_t size, ModuleData& out, std::string& error);

}  // namespace xm_check
