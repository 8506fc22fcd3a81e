// The headless canvas the capture draws on: SDL's offscreen video driver, the
// show's fixed OpenGL state and projection, the embedded textures.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Opens a width x height window without a display or a sound card and loads the
// textures. False with a one-line reason when no OpenGL context can be made.
bool open_capture_canvas(int width, int height, std::string& error);

// Draws the frame at elapsed_ms = `ms` and presents it, without reading it back:
// the particle field still advances one step.
void draw_frame_at(std::int32_t ms);

// Draws the frame at elapsed_ms = `ms`, reads it into `rgba` (top row first,
// opaque, as the viewer sees it) and presents it. False when reading fails.
bool capture_frame_at(std::int32_t ms, std::vector<std::uint8_t>& rgba, std::string& error);
