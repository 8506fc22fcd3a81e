// The frozen-time view's query, read through the capture program's own option
// parser, so that the values mean and are checked exactly as on its command line.
#include "runtime/web/frozen_view_query.h"

#include <algorithm>
#include <array>
#include <vector>

#include "capture_options.h"

namespace {

// Longer queries are refused before anything is split or echoed back.
constexpr std::size_t max_query_length = 1000;
constexpr std::string_view option_prefix = "--";
constexpr std::string_view at_ms_name = "at-ms";
// The capture program's options these names stand for, and the one output it
// requires (never written: only the parse needs it).
constexpr std::array<std::string_view, 3> parameter_names = {at_ms_name, "seed", "warmup-frames"};
constexpr const char* single_frame_output = "frame.png";

bool known_parameter(std::string_view name) {
    for (std::string_view known : parameter_names)
        if (name == known) return true;
    return false;
}

// The capture parser names its options with the command line's "--"; on a page
// they are the query's names.
std::string without_option_prefixes(std::string message) {
    for (std::string_view name : parameter_names) {
        const std::string option = std::string(option_prefix) + std::string(name);
        for (std::size_t at = message.find(option); at != std::string::npos; at = message.find(option, at))
            message.erase(at, option_prefix.size());
    }
    return message;
}

}  // namespace

bool parse_frozen_view_query(std::string_view query, FrozenView& view, std::string& error) {
    view = FrozenView{};
    if (query.size() > max_query_length) {
        error = "the query is longer than " + std::to_string(max_query_length) + " characters";
        return false;
    }
    std::vector<std::string> arguments = {"invitation.html"};
    bool has_at_ms = false;
    std::size_t start = 0;
    while (start <= query.size()) {
        const std::size_t end = std::min(query.find('&', start), query.size());
        const std::string_view part = query.substr(start, end - start);
        const std::size_t equals = part.find('=');
        const std::string_view name = part.substr(0, equals);
        if (equals == std::string_view::npos || !known_parameter(name)) {
            error = "unknown parameter '" + std::string(name) + "' (the view takes at-ms, seed and warmup-frames)";
            return false;
        }
        has_at_ms = has_at_ms || name == at_ms_name;
        arguments.push_back(std::string(option_prefix) + std::string(name));
        arguments.emplace_back(part.substr(equals + 1));
        start = end + 1;
    }
    if (!has_at_ms) {
        error = "the frozen view needs at-ms";
        return false;
    }
    arguments.push_back("--out");
    arguments.push_back(single_frame_output);

    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    CaptureOptions options;
    if (!parse_capture_options(static_cast<int>(argv.size()), argv.data(), options, error)) {
        error = without_option_prefixes(error);
        return false;
    }
    view.at_ms = options.at_ms;
    view.seed = options.seed;
    view.warmup_frames = options.warmup_frames;
    return true;
}
