// Serialises an xm::Module into the bytes of an XM file (format 0x0104).
#pragma once
#include <cstdint>
#include <vector>

#include "xm_module.h"

namespace xm {

constexpr std::uint32_t header_size = 276;  // counted from offset 60
constexpr std::uint32_t instrument_header_size = 263;
constexpr std::uint32_t sample_header_size = 40;
constexpr std::uint32_t pattern_header_size = 9;

// The module's bytes. Asserts the module is well formed (orders within the
// pattern count, row counts 1..256, loops inside the sample, ...).
std::vector<std::uint8_t> write_module(const Module& module);

// Packs one pattern's cells as the file stores them (empty cell = 0x80).
std::vector<std::uint8_t> pack_pattern(const Pattern& pattern);

}  // namespace xm
