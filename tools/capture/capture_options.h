// The capture program's command line: what to render, where to and how.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "runtime/still_frame.h"

// Exit statuses: a command line that cannot be run, and a failure during the run.
constexpr int usage_status = 2;
constexpr int failure_status = 1;

// Accepted ranges (times, seeds and warm-ups as a still frame takes them).
constexpr int min_fps = 1;
constexpr int max_fps = 240;
constexpr int min_size = 16;
constexpr int max_size = 8192;
constexpr int default_width = 1024;
constexpr int default_height = 768;

enum class CaptureMode { single_frame, sequence };
enum class SequenceOutput { png_folder, video };

struct CaptureOptions {
    CaptureMode mode = CaptureMode::single_frame;
    std::int32_t at_ms = 0;    // single frame
    std::int32_t from_ms = 0;  // sequence: first frame time
    std::int32_t to_ms = 0;    // sequence: no frame after this time
    int fps = 0;
    unsigned seed = default_seed;
    std::int64_t warmup_frames = 0;
    int width = default_width;
    int height = default_height;
    std::string out;
    SequenceOutput sequence_output = SequenceOutput::png_folder;
    std::string video_format;  // ffmpeg's muxer name for a video file: mp4, matroska, webm
    std::string audio_out;     // empty: no WAV
    bool stretch = false;      // the canvas over the whole size, not letterboxed
    bool for_upload = false;   // H.264 settings for video sites
    bool force = false;        // run even if the output may not fit
    bool help = false;
};

// How an option takes part in one of the two forms of a command line.
enum class FormUse { absent, required, optional };

// One option of the command line: the parser knows the options by this table and
// --help names them from it.
struct CaptureOptionRow {
    const char* name;            // "--seed"
    const char* value;           // its value's placeholder, "N"; nullptr for a flag
    FormUse single_frame;        // in the synopsis of one frame
    FormUse sequence;            // in the synopsis of a sequence
    const char* sequence_value;  // the placeholder there where it differs; nullptr otherwise
    const char* help;            // its lines in the option list; nullptr where its form's paragraph tells it
};

// Every option but --help (and -h), in the order the synopses and the option
// list name them.
std::span<const CaptureOptionRow> capture_option_table();

// Reads argv[1..argc-1]. On a bad command line returns false with one line in
// `error` (without the program name); the caller exits with usage_status. Two
// outputs that land on one file are check_distinct_outputs' to find
// (output_paths.h), which resolves the paths.
bool parse_capture_options(int argc, const char* const argv[], CaptureOptions& options, std::string& error);

// The usage text printed for --help, made from the option table
// (capture_usage.cpp).
std::string capture_usage();
