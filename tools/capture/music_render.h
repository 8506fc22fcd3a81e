// The show's music rendered offline: the embedded module played by the module
// player the show's mixer uses, set up the way that mixer sets it up, and pulled
// sample by sample instead of through a sound card.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Receives interleaved stereo 16-bit frames; false stops the rendering.
using SampleSink = std::function<bool(const std::int16_t* frames, std::size_t frame_count)>;

// Stands for "up to where the song's pass ends" as an end sample.
constexpr std::int64_t end_of_pass = -1;

// False when the build embeds no music; the show is then silent, and so is a capture.
bool music_embedded();

// Feeds `sink` the frames [first, end) of the show's sound stream, which starts
// at sample 0 with the clock. `end` may be end_of_pass: then up to where the pass
// that holds `first` ends. Without embedded music the frames are silence (and a
// pass is empty). False with a one-line reason when the player fails or the
// sink stops, or "interrupted" on SIGINT or SIGTERM. Any start, however late,
// costs at most two passes of rendering before the first frame reaches the sink.
bool render_music(std::int64_t first, std::int64_t end, const SampleSink& sink, std::string& error);
