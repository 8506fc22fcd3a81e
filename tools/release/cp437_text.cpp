// UTF-8 to code page 437: a strict decoder, the code page's upper half as a
// table, and the line checks.
#include "cp437_text.h"

#include <cassert>

namespace {

// Unicode characters of the bytes 0x80 to 0xFF.
constexpr std::uint16_t upper_half[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// The next character of `text` from `at`, moving `at` past it; false for a
// malformed, overlong or surrogate sequence or one cut off at the end.
bool next_character(const std::string& text, std::size_t& at, std::uint32_t& c) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t first = byte(at);
    int extra = 0;
    std::uint32_t least = 0;
    if (first < 0x80) {
        c = first;
        ++at;
        return true;
    } else if ((first & 0xE0) == 0xC0) {
        extra = 1, c = first & 0x1F, least = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        extra = 2, c = first & 0x0F, least = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        extra = 3, c = first & 0x07, least = 0x10000;
    } else {
        return false;
    }
    if (text.size() - at <= static_cast<std::size_t>(extra)) return false;
    for (int i = 1; i <= extra; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return false;
        c = c << 6 | (byte(at + i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return false;
    at += static_cast<std::size_t>(extra) + 1;
    return true;
}

bool to_cp437(std::uint32_t c, std::uint8_t& byte) {
    if (c >= 0x20 && c < 0x7F) {
        byte = static_cast<std::uint8_t>(c);
        return true;
    }
    for (int i = 0; i < 128; ++i)
        if (upper_half[i] == c) {
            byte = static_cast<std::uint8_t>(0x80 + i);
            return true;
        }
    return false;
}

std::string hex(std::uint32_t c) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    int shift = 12;  // at least four digits, as U+0009
    while (shift < 28 && c >> (shift + 4)) shift += 4;
    for (; shift >= 0; shift -= 4) out += digits[c >> shift & 0xF];
    return "U+" + out;
}

}  // namespace

std::uint32_t cp437_character(std::uint8_t byte) {
    assert(byte >= 0x20);
    return byte < 0x80 ? byte : upper_half[byte - 0x80];
}

bool encode_cp437(const std::string& utf8, const TextLimits& limits, std::vector<std::uint8_t>& out,
                  std::string& error) {
    out.clear();
    int line = 1, column = 0;
    // A refusal leaves no partial text behind.
    const auto where = [&] {
        out.clear();
        return "line " + std::to_string(line) + ": ";
    };
    for (std::size_t at = 0; at < utf8.size();) {
        std::uint32_t c = 0;
        if (!next_character(utf8, at, c)) {
            error = where() + "malformed UTF-8";
            return false;
        }
        // An empty line counts as much as any other.
        if (limits.max_lines > 0 && line > limits.max_lines) {
            error = where() + "more than " + std::to_string(limits.max_lines) + " lines";
            return false;
        }
        if (c == '\n') {
            out.push_back('\r');
            out.push_back('\n');
            ++line;
            column = 0;
            continue;
        }
        std::uint8_t byte = 0;
        if (!to_cp437(c, byte)) {
            error = where() + (c < 0x20 || c == 0x7F ? "control character " : "no code page 437 byte for ") + hex(c);
            return false;
        }
        if (++column > limits.max_columns) {
            error = where() + "wider than " + std::to_string(limits.max_columns) + " columns";
            return false;
        }
        out.push_back(byte);
    }
    if (!out.empty() && out.back() != '\n') {
        out.push_back('\r');
        out.push_back('\n');
    }
    return true;
}
