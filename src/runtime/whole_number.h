// Whole numbers typed by a person (a command line, a page address), read strictly
// and echoed back safely in one line of error.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Arguments are echoed in an error up to this many characters.
constexpr std::size_t max_quoted_characters = 120;

// A decimal integer with an optional minus sign and nothing else around it.
bool parse_whole_number(std::string_view text, std::int64_t& value);

// Reads `text` as a whole number in low..high. False with one line in `error`
// that starts with `name` ("NAME needs a whole number, got '12ms'", "NAME must
// be 0 to 100, got 101", "NAME must not be negative, got -1").
bool read_whole_number(std::string_view name, std::string_view text, std::int64_t low, std::int64_t high,
                       std::int64_t& value, std::string& error);

// `text` in single quotes for an error: control characters written as escapes,
// so a line break cannot make the one line two, and cut after
// max_quoted_characters, so the line stays short.
std::string quoted_for_error(std::string_view text);
