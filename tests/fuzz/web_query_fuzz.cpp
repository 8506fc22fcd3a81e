// libFuzzer harness for the frozen view's query, the page address's part after
// '?', which anyone can type. A parse either gives values inside a still
// frame's ranges that read back the same from their own query, or one bounded
// line of error; it never crashes or reads out of bounds.
// Built as fuzz_web_query in build-fuzz (make fuzz).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/web/frozen_view_query.h"

namespace {

// The longest error: a refused value is echoed, and a query is at most 1000 characters.
constexpr std::size_t max_error_length = 1200;

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view query(reinterpret_cast<const char*>(data), size);
    StillFrame view;
    std::string error;
    if (!parse_frozen_view_query(query, view, error)) {
        require(!error.empty() && error.size() <= max_error_length);
        return 0;
    }
    require(error.empty());
    require(view.at_ms >= 0 && view.at_ms <= max_elapsed_ms);
    require(view.seed <= max_seed);
    require(view.warmup_frames >= 0 && view.warmup_frames <= max_warmup_frames);
    const std::string canonical = "at-ms=" + std::to_string(view.at_ms) + "&seed=" + std::to_string(view.seed) +
                                  "&warmup-frames=" + std::to_string(view.warmup_frames);
    StillFrame again;
    require(parse_frozen_view_query(canonical, again, error));
    require(again.at_ms == view.at_ms && again.seed == view.seed && again.warmup_frames == view.warmup_frames);
    return 0;
}
