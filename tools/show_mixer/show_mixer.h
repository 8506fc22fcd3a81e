// The show's mixer offline: a module played by the module player the show's
// mixer uses, set up the way that mixer sets it up, and pulled sample by sample
// instead of through a sound card. The capture renders the embedded module with
// it; the music tools render any module file with it, so that a module is heard
// and measured exactly as the show would play it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Receives interleaved stereo 16-bit frames; false stops the rendering.
using SampleSink = std::function<bool(const std::int16_t* frames, std::size_t frame_count)>;

// Stands for "up to where the song's pass ends" as an end sample.
constexpr std::int64_t end_of_pass = -1;

// Feeds `sink` the frames [first, end) of the sound stream the show's mixer
// makes of the module in `bytes`, which starts at sample 0 with the music.
// `end` may be end_of_pass: then up to where the pass that holds `first` ends.
// `stop_requested`, when given, is asked before every mixing buffer; a true
// answer ends the rendering with the error "interrupted". False with a one-line
// reason when the player fails or the sink stops. Any start, however late, costs
// at most two passes of rendering before the first frame reaches the sink.
bool render_module_stream(const std::uint8_t* bytes, std::size_t size, std::int64_t first, std::int64_t end,
                          const SampleSink& sink, std::string& error, bool (*stop_requested)() = nullptr);
