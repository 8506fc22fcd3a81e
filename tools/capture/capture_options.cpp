// Parsing and checking the capture program's command line.
#include "capture_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <map>
#include <system_error>

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Arguments are echoed in an error up to this many characters.
constexpr std::size_t max_quoted_characters = 120;

// A piece of the command line in quotes, for an error: control characters are
// written as escapes, so an argument with a line break cannot make the one line
// two, and a long argument is cut, so the line stays short.
std::string quoted_argument(const std::string& text) {
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

bool ends_with(const std::string& text, const std::string& suffix) {
    return text.size() > suffix.size() && lower(text).compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Decimal integer with an optional minus sign and nothing else around it.
bool parse_integer(const std::string& text, std::int64_t& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first == last || *first == '+') return false;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

bool read_number(const std::string& name, const std::string& text, std::int64_t low, std::int64_t high,
                 std::int64_t& value, std::string& error) {
    if (!parse_integer(text, value)) {
        error = name + " needs a whole number, got " + quoted_argument(text);
        return false;
    }
    if (value < 0 && low >= 0) {
        error = name + " must not be negative, got " + text;
        return false;
    }
    if (value < low || value > high) {
        error = name + " must be " + std::to_string(low) + " to " + std::to_string(high) + ", got " + text;
        return false;
    }
    return true;
}

bool read_size(const std::string& text, int& width, int& height, std::string& error) {
    const std::size_t x = lower(text).find('x');
    std::int64_t w = 0;
    std::int64_t h = 0;
    if (x == std::string::npos || !parse_integer(text.substr(0, x), w) || !parse_integer(text.substr(x + 1), h) ||
        w < min_size || w > max_size || h < min_size || h > max_size) {
        error = "--size must be WIDTHxHEIGHT with each side " + std::to_string(min_size) + " to " +
                std::to_string(max_size) + ", got " + quoted_argument(text);
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

const char* const value_options[] = {"--at-ms", "--from-ms", "--to-ms", "--fps",       "--seed",
                                     "--warmup-frames", "--size", "--out", "--audio-out"};

bool is_value_option(const std::string& arg) {
    return std::find(std::begin(value_options), std::end(value_options), arg) != std::end(value_options);
}

// Which outputs the paths name, once the form of the capture is known.
bool check_outputs(CaptureOptions& options, std::string& error) {
    if (options.out.empty()) {
        error = "missing --out";
        return false;
    }
    if (options.mode == CaptureMode::single_frame) {
        if (!ends_with(options.out, ".png")) {
            error = "--out must name a .png file for a single frame, got " + quoted_argument(options.out);
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
        error = "--out for a sequence is a folder or a .mp4, .mkv or .webm file, got " + quoted_argument(options.out) +
                " (a folder with a dot in its name needs a trailing /)";
        return false;
    }
    if (!options.audio_out.empty()) {
        if (!ends_with(options.audio_out, ".wav")) {
            error = "--audio-out must name a .wav file, got " + quoted_argument(options.audio_out);
            return false;
        }
        if (options.audio_out == options.out) {
            error = "--out and --audio-out name the same file";
            return false;
        }
    }
    return true;
}

}  // namespace

bool parse_capture_options(int argc, const char* const argv[], CaptureOptions& options, std::string& error) {
    options = CaptureOptions{};
    std::map<std::string, std::string> given;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        }
        if (!is_value_option(arg)) {
            error = "unknown option " + quoted_argument(arg);
            return false;
        }
        if (i + 1 >= argc || (std::string(argv[i + 1]).rfind("--", 0) == 0 && is_value_option(argv[i + 1]))) {
            error = "missing value for " + arg;
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
        return read_number(name, given[name], low, high, n, error);
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
        if (!number("--at-ms", 0, max_time_ms)) return false;
        options.at_ms = static_cast<std::int32_t>(n);
    } else {
        options.mode = CaptureMode::sequence;
        for (const char* name : {"--from-ms", "--to-ms", "--fps"}) {
            if (!given.count(name)) {
                error = std::string("a sequence needs --from-ms, --to-ms and --fps; ") + name + " is missing";
                return false;
            }
        }
        if (!number("--from-ms", 0, max_time_ms)) return false;
        options.from_ms = static_cast<std::int32_t>(n);
        if (!number("--to-ms", 0, max_time_ms)) return false;
        options.to_ms = static_cast<std::int32_t>(n);
        if (options.to_ms < options.from_ms) {
            error = "--to-ms (" + given["--to-ms"] + ") is before --from-ms (" + given["--from-ms"] + ")";
            return false;
        }
        if (!number("--fps", min_fps, max_fps)) return false;
        options.fps = static_cast<int>(n);
    }
    if (given.count("--seed")) {
        if (!number("--seed", 0, max_seed)) return false;
        options.seed = static_cast<unsigned>(n);
    }
    if (given.count("--warmup-frames")) {
        if (!number("--warmup-frames", 0, max_warmup_frames)) return false;
        options.warmup_frames = n;
    }
    if (given.count("--size") && !read_size(given["--size"], options.width, options.height, error)) return false;
    if (given.count("--out")) options.out = given["--out"];
    if (given.count("--audio-out")) options.audio_out = given["--audio-out"];
    return check_outputs(options, error);
}

const char* capture_usage() {
    return "Renders frames of the show offline, headless and deterministic.\n"
           "\n"
           "  invitation-capture --at-ms MS [--seed N] [--warmup-frames K] [--size WxH]\n"
           "                     --out FILE.png [--audio-out FILE.wav]\n"
           "      one frame at elapsed_ms = MS; the WAV holds the music from MS to the\n"
           "      end of the song's pass (where the show's music starts over)\n"
           "\n"
           "  invitation-capture --from-ms A --to-ms B --fps F [--seed N] [--warmup-frames K]\n"
           "                     [--size WxH] --out DIR|DIR/|FILE.mp4|FILE.mkv|FILE.webm\n"
           "                     [--audio-out FILE.wav]\n"
           "      frame k at elapsed_ms A + floor(k * 1000 / F) for every such time <= B,\n"
           "      the particle field advancing one step per frame; a folder (a name\n"
           "      without extension, ending in /, or an existing folder) receives\n"
           "      frame_000000.png ..., a video file is encoded by ffmpeg with the music\n"
           "      from A; the WAV holds the music from A to B\n"
           "\n"
           "  --seed N           seeds the particle field's generator (default 1)\n"
           "  --warmup-frames K  draws K frames at the first time first and drops them\n"
           "  --size WxH         window size, 16 to 8192 each (default 1024x768)\n"
           "\n"
           "Exit status: 0 done, 1 failure during the run, 2 bad command line.\n";
}
