// What a run will write, estimated before it starts, and whether that fits on the
// file systems it goes to: a run of a whole clock's worth of frames should be
// refused at once, not stopped hours later by a full disk.
#pragma once
#include <cstdint>
#include <string>

#include "capture_options.h"

// Bytes of one frame of the output, a little above what the show's frames
// measured (build/bench/capture_bench): PNG, or a video with the given settings.
std::uint64_t estimated_frame_bytes(const CaptureOptions& options);

// Bytes the whole run writes into each place it writes to, summed per file
// system, against the space free there. False with one line giving the estimate
// and the free space when some file system has too little room.
bool check_room(const CaptureOptions& options, std::int64_t frame_count, std::string& error);

// "1.2 GB", "830 MB", "12 kB": decimal units, three significant digits at most.
std::string byte_text(std::uint64_t bytes);
