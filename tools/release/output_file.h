// Writing a whole file the release tools make: through a temporary of this run's
// own beside it, renamed over the name only once every byte is written, so a
// failed run leaves neither a partial file nor a touched one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// False with a one-line reason (naming `path`) in `error` on failure.
bool write_output_file(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);
