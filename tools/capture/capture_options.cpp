// The capture program's options, and parsing and checking its command line.
#include "capture_options.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <system_error>

#include "runtime/whole_number.h"

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool ends_with(const std::string& text, const std::string& suffix) {
    return text.size() > suffix.size() && lower(text).compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

struct NamedSize {
    const char* name;
    int width;
    int height;
};
// The common sizes of video sites, 16:9.
constexpr NamedSize named_sizes[] = {
    {"720p", 1280, 720}, {"1080p", 1920, 1080}, {"1440p", 2560, 1440}, {"2160p", 3840, 2160}};

bool read_size(const std::string& text, int& width, int& height, std::string& error) {
    for (const NamedSize& named : named_sizes) {
        if (lower(text) == named.name) {
            width = named.width;
            height = named.height;
            return true;
        }
    }
    const std::size_t x = lower(text).find('x');
    std::int64_t w = 0;
    std::int64_t h = 0;
    if (x == std::string::npos || !parse_whole_number(text.substr(0, x), w) ||
        !parse_whole_number(text.substr(x + 1), h) || w < min_size || w > max_size || h < min_size || h > max_size) {
        error = "--size must be WIDTHxHEIGHT with each side " + std::to_string(min_size) + " to " +
                std::to_string(max_size) + ", or 720p, 1080p, 1440p or 2160p, got " + quoted_for_error(text);
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

// A sequence's folder: asked for by a trailing slash, named without an
// extension, or already there. An unknown extension is more likely a video
// format this program does not write than a folder.
bool names_folder(const std::string& path) {
    if (path.back() == '/') return true;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return true;
    return !std::filesystem::path(path).has_extension();
}

// The options in the order --help names them (capture_usage.cpp); each help text
// keeps its own line breaks.
constexpr FormUse absent = FormUse::absent;
constexpr FormUse required = FormUse::required;
constexpr FormUse optional = FormUse::optional;

constexpr CaptureOptionRow option_table[] = {
    {"--at-ms", "MS", required, absent, nullptr, nullptr},
    {"--from-ms", "A", absent, required, nullptr, nullptr},
    {"--to-ms", "B", absent, required, nullptr, nullptr},
    {"--fps", "F", absent, required, nullptr, nullptr},
    {"--seed", "N", optional, optional, nullptr, "seeds the particle field's generator (default 1)"},
    {"--warmup-frames", "K", optional, optional, nullptr, "draws K frames at the first time first and drops them"},
    {"--size", "SIZE", optional, optional, nullptr,
     "the picture's size: WIDTHxHEIGHT, 16 to 8192 each, or\n"
     "720p, 1080p, 1440p or 2160p (default 1024x768); the\n"
     "show's 4:3 picture is centred with black bars"},
    {"--stretch", nullptr, optional, optional, nullptr,
     "stretches the picture over the whole size instead, as\n"
     "the show does full screen at a display mode of that shape"},
    {"--for-upload", nullptr, absent, optional, nullptr,
     "H.264 for video sites: High profile, less than half the\n"
     "default's size at the same quality, about half as fast\n"
     "to make (the default is faster than the show plays)"},
    {"--force", nullptr, absent, optional, nullptr,
     "runs even when the estimated output does not fit on its\n"
     "file system"},
    {"--out", "FILE.png", required, required, "DIR|DIR/|FILE.mp4|FILE.mkv|FILE.webm", nullptr},
    {"--audio-out", "FILE.wav", optional, optional, nullptr, nullptr},
};

const CaptureOptionRow* find_option(const std::string& arg) {
    for (const CaptureOptionRow& row : option_table)
        if (arg == row.name) return &row;
    return nullptr;
}

bool is_value_option(const std::string& arg) {
    const CaptureOptionRow* row = find_option(arg);
    return row && row->value;
}

bool is_flag_option(const std::string& arg) {
    const CaptureOptionRow* row = find_option(arg);
    return row && !row->value;
}

// Which outputs the paths name, once the form of the capture is known.
bool check_outputs(CaptureOptions& options, std::string& error) {
    if (options.out.empty()) {
        error = "missing --out";
        return false;
    }
    if (options.mode == CaptureMode::single_frame) {
        options.sequence_output = SequenceOutput::png_folder;
        if (!ends_with(options.out, ".png")) {
            error = "--out must name a .png file for a single frame, got " + quoted_for_error(options.out);
            return false;
        }
    } else if (ends_with(options.out, ".mp4")) {
        options.sequence_output = SequenceOutput::video;
        options.video_format = "mp4";
    } else if (ends_with(options.out, ".mkv")) {
        options.sequence_output = SequenceOutput::video;
        options.video_format = "matroska";
    } else if (ends_with(options.out, ".webm")) {
        options.sequence_output = SequenceOutput::video;
        options.video_format = "webm";
    } else if (names_folder(options.out)) {
        options.sequence_output = SequenceOutput::png_folder;
    } else {
        error = "--out for a sequence is a folder or a .mp4, .mkv or .webm file, got " + quoted_for_error(options.out) +
                " (a folder with a dot in its name needs a trailing /)";
        return false;
    }
    if (options.for_upload && (options.sequence_output != SequenceOutput::video || options.video_format == "webm")) {
        error = "--for-upload chooses the H.264 settings of a .mp4 or .mkv video";
        return false;
    }
    if (!options.audio_out.empty() && !ends_with(options.audio_out, ".wav")) {
        error = "--audio-out must name a .wav file, got " + quoted_for_error(options.audio_out);
        return false;
    }
    return true;
}

}  // namespace

std::span<const CaptureOptionRow> capture_option_table() { return option_table; }

bool parse_capture_options(int argc, const char* const argv[], CaptureOptions& options, std::string& error) {
    options = CaptureOptions{};
    std::map<std::string, std::string> given;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        }
        if (is_flag_option(arg)) {
            if (given.count(arg)) {
                error = arg + " is given twice";
                return false;
            }
            given[arg] = "";
            continue;
        }
        if (!is_value_option(arg)) {
            error = "unknown option " + quoted_for_error(arg);
            return false;
        }
        if (i + 1 >= argc) {
            error = "missing value for " + arg;
            return false;
        }
        const std::string next = argv[i + 1];
        if (is_value_option(next) || is_flag_option(next)) {
            error = "missing value for " + arg + " (the next argument, " + next + ", is an option)";
            return false;
        }
        if (given.count(arg)) {
            error = arg + " is given twice";
            return false;
        }
        given[arg] = argv[++i];
    }

    std::int64_t n = 0;
    const auto number = [&](const char* name, std::int64_t low, std::int64_t high) {
        return read_whole_number(name, given[name], low, high, n, error);
    };
    // The time, seed and warm-up of the first frame, as a still frame reads them.
    StillFrame still;
    const auto still_value = [&](StillValue value, const char* name) {
        if (!read_still_value(value, name, given[name], still, error)) return false;
        options.at_ms = still.at_ms;
        options.seed = still.seed;
        options.warmup_frames = still.warmup_frames;
        return true;
    };
    const bool single = given.count("--at-ms") > 0;
    const bool sequence = given.count("--from-ms") || given.count("--to-ms") || given.count("--fps");
    if (single && sequence) {
        error = "--at-ms cannot be combined with --from-ms, --to-ms or --fps";
        return false;
    }
    if (!single && !sequence) {
        error = "give --at-ms MS for one frame, or --from-ms A --to-ms B --fps F for a sequence";
        return false;
    }
    if (single) {
        options.mode = CaptureMode::single_frame;
        if (!still_value(StillValue::at_ms, "--at-ms")) return false;
    } else {
        options.mode = CaptureMode::sequence;
        for (const char* name : {"--from-ms", "--to-ms", "--fps"}) {
            if (!given.count(name)) {
                error = std::string("a sequence needs --from-ms, --to-ms and --fps; ") + name + " is missing";
                return false;
            }
        }
        if (!number("--from-ms", 0, max_elapsed_ms)) return false;
        options.from_ms = static_cast<std::int32_t>(n);
        if (!number("--to-ms", 0, max_elapsed_ms)) return false;
        options.to_ms = static_cast<std::int32_t>(n);
        if (options.to_ms < options.from_ms) {
            error = "--to-ms (" + given["--to-ms"] + ") is before --from-ms (" + given["--from-ms"] + ")";
            return false;
        }
        if (!number("--fps", min_fps, max_fps)) return false;
        options.fps = static_cast<int>(n);
    }
    if (given.count("--seed")) {
        if (!still_value(StillValue::seed, "--seed")) return false;
    }
    if (given.count("--warmup-frames")) {
        if (!still_value(StillValue::warmup_frames, "--warmup-frames")) return false;
    }
    if (given.count("--size") && !read_size(given["--size"], options.width, options.height, error)) return false;
    options.stretch = given.count("--stretch") > 0;
    options.for_upload = given.count("--for-upload") > 0;
    options.force = given.count("--force") > 0;
    if (given.count("--out")) options.out = given["--out"];
    if (given.count("--audio-out")) options.audio_out = given["--audio-out"];
    return check_outputs(options, error);
}
