// Checks and names of the capture's outputs, made before any rendering starts so
// that a bad path costs no time and leaves nothing behind.
#pragma once
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// True when a file can be created under `path` (tried with a probe file of this
// run's own beside it, removed again); false with a one-line reason otherwise.
bool check_file_writable(const std::string& path, std::string& error);

// A folder receiving a PNG sequence, and which of its frame files this run has
// written: only those are ever removed. Workers write frames concurrently.
struct FrameFolder {
    std::string path;
    bool created = false;  // made by this run, so removed with the frames
    std::mutex mutex;
    std::int64_t written_below = 0;            // frames 0 .. written_below - 1 are written
    std::set<std::int64_t> written_beyond;     // and these, above that
};

// Makes `path` ready for a sequence of numbered PNGs: created when missing, or
// an existing writable folder without frame files from an earlier run, which
// would otherwise pass for part of this one.
bool prepare_frame_folder(const std::string& path, FrameFolder& folder, std::string& error);

// folder/frame_000000.png, ...
std::string frame_file_name(const std::string& folder, std::int64_t frame);

// Writes frame `frame`'s file, never replacing a file of that name, and notes it.
bool write_frame_file(FrameFolder& folder, std::int64_t frame, const std::vector<std::uint8_t>& png,
                      std::string& error);

// Removes every frame file this run wrote, and the folder if this run made it.
void remove_frame_files(FrameFolder& folder);

// False with a one-line reason when --out and --audio-out would end up as the
// same file (through a symbolic link to a folder, "..", "./" and the like).
// Every temporary file has a name of its own, so only the finished files can collide.
bool check_distinct_outputs(const std::string& out, const std::string& audio_out, std::string& error);
