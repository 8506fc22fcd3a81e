// Reading a file the user names into memory, for the checkers and the PNG reader:
// only regular files, and only up to a size no real asset comes near, so a
// folder, a device or a pipe gives one line instead of an abort or an endless read.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The largest input any tool reads. The show's largest asset is well under 1 MiB.
constexpr std::uint64_t max_input_file_bytes = std::uint64_t{64} << 20;

// Reads all of `path` into `bytes`. On failure returns false with a short reason
// in `error`, without the path ("not a regular file", "larger than 64 MiB", ...),
// for the caller's own line.
bool read_input_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);
