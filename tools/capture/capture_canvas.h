// The headless canvas the capture draws on: the show opened on SDL's offscreen
// video driver, and its frames read back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "render/canvas.h"

// Opens a width x height window without a display or a sound card, the canvas
// placed in it by `fit`, and loads the textures. False with a one-line reason
// when no OpenGL context can be made.
bool open_capture_canvas(int width, int height, CanvasFit fit, std::string& error);

// Draws the frame at elapsed_ms = `ms` and reads it (read_frame).
bool read_frame_at(std::int32_t ms, std::uint8_t* pixels, std::string& error);

// Reads the frame drawn last into `pixels` (width x height x 4 bytes) as OpenGL
// stores it, RGBA with the bottom row first. Nothing is presented: no one looks
// at the window, and a swap would cost a copy. Alpha is whatever blending left
// there: the window shows colour only, so every output ignores it. False when
// reading fails.
bool read_frame(std::uint8_t* pixels, std::string& error);

// Bytes of one frame as read_frame_at stores it.
std::size_t frame_bytes(int width, int height);
