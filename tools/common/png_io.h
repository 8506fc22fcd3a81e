// Small PNG helpers over libpng, shared by the generators, the capture tool and tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes an 8-bit RGBA image (rows top first, no padding). On failure returns
// false with a one-line reason in `error`; no partial file is left behind.
bool write_png_rgba(const std::string& path, int width, int height, const std::uint8_t* rgba, std::string& error);

// Reads any 8-bit PNG as RGBA (palette and transparency expanded, no gamma applied).
bool read_png_rgba(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgba,
                   std::string& error);
