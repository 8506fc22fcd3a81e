// Checks and names of the capture's outputs, made before any rendering starts so
// that a bad path costs no time and leaves nothing behind.
#pragma once
#include <cstdint>
#include <string>

// True when a file can be created under `path` (tried with its temporary name,
// which is removed again); false with a one-line reason otherwise.
bool check_file_writable(const std::string& path, std::string& error);

// Makes `folder` ready for a sequence of numbered PNGs: created when missing
// (`created` tells), or an existing writable folder without frame files from an
// earlier run, which would otherwise pass for part of this one.
bool prepare_frame_folder(const std::string& folder, bool& created, std::string& error);

// folder/frame_000000.png, ...
std::string frame_file_name(const std::string& folder, std::int64_t frame);

// Removes the first `count` frame files and the folder too if it was created here.
void remove_frame_files(const std::string& folder, std::int64_t count, bool created);
