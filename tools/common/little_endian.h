// Appending little-endian integers to a byte buffer, as the file formats the
// tools write (XM modules, Windows icons) store them.
#pragma once
#include <cstdint>
#include <vector>

inline void put_u8(std::vector<std::uint8_t>& out, unsigned value) { out.push_back(static_cast<std::uint8_t>(value)); }

inline void put_u16(std::vector<std::uint8_t>& out, unsigned value) {
    put_u8(out, value & 0xFF);
    put_u8(out, (value >> 8) & 0xFF);
}

inline void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put_u16(out, value & 0xFFFF);
    put_u16(out, value >> 16);
}
