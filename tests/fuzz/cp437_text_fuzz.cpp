// libFuzzer harness: the release texts' encoder (tools/release) on arbitrary
// bytes as a template. A refusal is one line; an encoded text holds only code
// page 437 characters and CR LF line ends, within its limits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cp437_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TextLimits limits{45, 10};
    std::vector<std::uint8_t> out;
    std::string error;
    if (!encode_cp437(std::string(reinterpret_cast<const char*>(data), size), limits, out, error)) {
        if (error.empty() || error.find('\n') != std::string::npos || !out.empty()) __builtin_trap();
        return 0;
    }
    int lines = 0, column = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\r') {
            if (i + 1 >= out.size() || out[i + 1] != '\n') __builtin_trap();
            ++lines, ++i, column = 0;
            continue;
        }
        if (out[i] < 0x20 || out[i] == 0x7F || ++column > limits.max_columns) __builtin_trap();
    }
    if (lines > limits.max_lines || (!out.empty() && out.back() != '\n')) __builtin_trap();
    return 0;
}
