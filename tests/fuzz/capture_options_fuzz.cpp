// libFuzzer harness: the capture program's command-line parser. The input is the
// argument list, words separated by NUL bytes, after the program name. A refusal
// must come with one line, whatever the arguments hold; an accepted command line
// must be one the capture can run (a positive size, a sequence running forward at
// a positive rate).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "capture_options.h"

namespace {
constexpr std::size_t max_words = 64;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < size && words.size() <= max_words; ++i) {
        if (data[i] == 0) words.emplace_back();
        else
            words.back() += static_cast<char>(data[i]);
    }
    std::vector<const char*> argv{"invitation-capture"};
    for (const std::string& w : words) argv.push_back(w.c_str());

    CaptureOptions options;
    std::string error;
    if (!parse_capture_options(static_cast<int>(argv.size()), argv.data(), options, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) __builtin_trap();
        return 0;
    }
    if (options.help) return 0;
    if (options.width <= 0 || options.height <= 0 || options.out.empty()) __builtin_trap();
    if (options.mode == CaptureMode::sequence &&
        (options.fps <= 0 || options.to_ms < options.from_ms || options.from_ms < 0))
        __builtin_trap();
    if (options.mode == CaptureMode::single_frame && options.at_ms < 0) __builtin_trap();
    return 0;
}
