// The capture program's command line: what to render, where to and how.
#pragma once
#include <cstdint>
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

// Reads argv[1..argc-1]. On a bad command line returns false with one line in
// `error` (without the program name); the caller exits with usage_status.
bool parse_capture_options(int argc, const char* const argv[], CaptureOptions& options, std::string& error);

// The usage text printed for --help.
const char* capture_usage();
