// Strict whole-number reading and safe echoing for error lines.
#include "runtime/whole_number.h"

#include <cctype>
#include <charconv>
#include <system_error>

bool parse_whole_number(std::string_view text, std::int64_t& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first == last || *first == '+') return false;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

bool read_whole_number(std::string_view name, std::string_view text, std::int64_t low, std::int64_t high,
                       std::int64_t& value, std::string& error) {
    const std::string label(name);
    if (!parse_whole_number(text, value)) {
        error = label + " needs a whole number, got " + quoted_for_error(text);
        return false;
    }
    if (value < 0 && low >= 0) {
        error = label + " must not be negative, got " + std::string(text);
        return false;
    }
    if (value < low || value > high) {
        error =
            label + " must be " + std::to_string(low) + " to " + std::to_string(high) + ", got " + std::string(text);
        return false;
    }
    return true;
}

std::string quoted_for_error(std::string_view text) {
    static constexpr char hex_digits[] = "0123456789abcdef";
    std::string out = "'";
    for (std::size_t i = 0; i < text.size() && i < max_quoted_characters; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += "\\n";
        } else if (std::iscntrl(c)) {
            out += "\\x";
            out += hex_digits[c >> 4];
            out += hex_digits[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    if (text.size() > max_quoted_characters) out += "...";
    return out + "'";
}
