// The release's texts (the .nfo and file_id.diz) are written as UTF-8 templates
// and shipped in code page 437, the character set their readers display, with
// CR LF line ends. Encoding checks what those readers rely on: every character
// has a code page 437 byte, and no line is wider or the text longer than allowed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TextLimits {
    int max_columns = 80;
    int max_lines = 0;  // 0: any number
};

// `utf8` as code page 437 bytes, each line ended by CR LF (a last line without a
// line end gets one). False with a one-line reason in `error` naming the line for
// malformed UTF-8, a control character other than the line end, a character code
// page 437 lacks, a line wider than the limit or more lines than allowed; `out`
// is then empty.
bool encode_cp437(const std::string& utf8, const TextLimits& limits, std::vector<std::uint8_t>& out,
                  std::string& error);

// The Unicode character code page 437 shows for `byte` (0x20 and up).
std::uint32_t cp437_character(std::uint8_t byte);
