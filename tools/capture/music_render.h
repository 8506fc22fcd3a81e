// The show's music rendered offline: the embedded module through the show's
// mixer (show_mixer.h), as the capture's sound.
#pragma once
#include <cstdint>
#include <string>

#include "show_mixer.h"

// False when the build embeds no music; the show is then silent, and so is a capture.
bool music_embedded();

// Feeds `sink` the frames [first, end) of the show's sound stream, which starts
// at sample 0 with the clock. `end` may be end_of_pass: then up to where the pass
// that holds `first` ends. Without embedded music the frames are silence (and a
// pass is empty). False with a one-line reason when the player fails or the
// sink stops, or "interrupted" on SIGINT or SIGTERM. Any start, however late,
// costs at most two passes of rendering before the first frame reaches the sink.
bool render_music(std::int64_t first, std::int64_t end, const SampleSink& sink, std::string& error);
