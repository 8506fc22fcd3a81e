// The capture's sound: the embedded module through the show's mixer, stopped
// by SIGINT or SIGTERM, or silence when the build embeds no music.
#include "music_render.h"

#include <algorithm>
#include <vector>

#include "assets/embedded_data.h"
#include "interruption.h"
#include "runtime/sound_format.h"

namespace {

bool render_silence(std::int64_t count, const SampleSink& sink, std::string& error) {
    const std::vector<std::int16_t> block(static_cast<std::size_t>(audio_buffer_frames) * audio_channels, 0);
    for (std::int64_t done = 0; done < count;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(audio_buffer_frames, count - done));
        if (!sink(block.data(), n)) {
            error = "writing the sound stopped";
            return false;
        }
        done += static_cast<std::int64_t>(n);
    }
    return true;
}

}  // namespace

bool music_embedded() { return music_module_size > 0; }

bool render_music(std::int64_t first, std::int64_t end, const SampleSink& sink, std::string& error) {
    if (!music_embedded()) return render_silence(end == end_of_pass ? 0 : end - first, sink, error);
    return render_module_stream(music_module, music_module_size, first, end, sink, error, interrupted);
}
