// The frozen-time view's query, read parameter by parameter as a still frame's
// values, with the same meanings and ranges as the capture program's options.
#include "platform/web/frozen_view_query.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

// Longer queries are refused before anything is split or echoed back.
constexpr std::size_t max_query_length = 1000;

struct Parameter {
    std::string_view name;
    StillValue value;
};
// In the order their values are checked, whatever order the query gives them.
constexpr std::array<Parameter, 3> parameters = {{
    {"at-ms", StillValue::at_ms},
    {"seed", StillValue::seed},
    {"warmup-frames", StillValue::warmup_frames},
}};

int parameter_index(std::string_view name) {
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (parameters[i].name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace

bool parse_frozen_view_query(std::string_view query, StillFrame& view, std::string& error) {
    view = StillFrame{};
    if (query.size() > max_query_length) {
        error = "the query is longer than " + std::to_string(max_query_length) + " characters";
        return false;
    }
    std::array<std::optional<std::string_view>, parameters.size()> given;
    std::size_t start = 0;
    while (start <= query.size()) {
        const std::size_t end = std::min(query.find('&', start), query.size());
        const std::string_view part = query.substr(start, end - start);
        const std::size_t equals = part.find('=');
        const std::string_view name = part.substr(0, equals);
        const int index = equals == std::string_view::npos ? -1 : parameter_index(name);
        if (index < 0) {
            error = "unknown parameter '" + std::string(name) + "' (the view takes at-ms, seed and warmup-frames)";
            return false;
        }
        if (given[index]) {
            error = std::string(name) + " is given twice";
            return false;
        }
        given[index] = part.substr(equals + 1);
        start = end + 1;
    }
    if (!given[0]) {
        error = "the frozen view needs at-ms";
        return false;
    }
    StillFrame read;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (given[i] && !read_still_value(parameters[i].value, parameters[i].name, *given[i], read, error))
            return false;
    }
    view = read;
    return true;
}
