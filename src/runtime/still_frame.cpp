// Reading the values of a still frame.
#include "runtime/still_frame.h"

#include "runtime/whole_number.h"

bool read_still_value(StillValue value, std::string_view name, std::string_view text, StillFrame& still,
                      std::string& error) {
    std::int64_t n = 0;
    switch (value) {
    case StillValue::at_ms:
        if (!read_whole_number(name, text, 0, max_elapsed_ms, n, error)) return false;
        still.at_ms = static_cast<std::int32_t>(n);
        return true;
    case StillValue::seed:
        if (!read_whole_number(name, text, 0, max_seed, n, error)) return false;
        still.seed = static_cast<std::uint32_t>(n);
        return true;
    case StillValue::warmup_frames:
        if (!read_whole_number(name, text, 0, max_warmup_frames, n, error)) return false;
        still.warmup_frames = n;
        return true;
    }
    return false;
}
