// Checks and names of the capture's outputs, made before any rendering starts so
// that a bad path costs no time and leaves nothing behind.
#pragma once
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "publication.h"

// True when a file can be created under `path` (tried with a probe file of this
// run's own beside it, removed again); false with a one-line reason otherwise.
bool check_file_writable(const std::string& path, std::string& error);

// A folder receiving a PNG sequence. Frames are written under temporary names of
// the run's own (frame_000000.png.partial-TOKEN) and get their names only when
// the whole run has succeeded, so a run that is killed never leaves what looks
// like a finished, shorter sequence. Workers write frames concurrently.
struct FrameFolder {
    std::string path;      // as given, without trailing slashes
    bool created = false;  // made by this run, so removed with the frames
    int digits = 6;        // the frame number's width in the names
    std::string token;     // this run's part of the temporary names
    std::mutex mutex;
    std::set<std::int64_t> written;  // frames whose temporary this run wrote
};

// The width of frame numbers for a sequence of `count` frames: six digits, or
// more when the sequence needs them, so the names sort in frame order.
int frame_number_digits(std::int64_t count);

// Makes `path` ready for a sequence of `count` numbered PNGs: created when
// missing, or an existing writable folder without frame files from an earlier
// run, which would otherwise pass for part of this one.
bool prepare_frame_folder(const std::string& path, std::int64_t count, FrameFolder& folder, std::string& error);

// folder/frame_000000.png, ... (one slash between folder and name, however the
// folder was given).
std::string frame_file_name(const FrameFolder& folder, std::int64_t frame);

// Writes frame `frame` under its temporary name, created exclusively, and notes it.
bool write_frame_file(FrameFolder& folder, std::int64_t frame, const std::vector<std::uint8_t>& png,
                      std::string& error);

// Adds every frame written to the publication: each is to get its name, which
// must still be free.
void add_frames_to_publication(FrameFolder& folder, Publication& publication);

// Removes every frame temporary this run wrote, and the folder if this run made
// it and it is empty.
void remove_frame_files(FrameFolder& folder);

// `name` inside `folder`, with one slash between them.
std::string path_in_folder(const std::string& folder, const std::string& name);

// False with a one-line reason when --out and --audio-out would end up as the
// same file (through a symbolic link to a folder, "..", "./" and the like).
// Every temporary file has a name of its own, so only the finished files can collide.
bool check_distinct_outputs(const std::string& out, const std::string& audio_out, std::string& error);
