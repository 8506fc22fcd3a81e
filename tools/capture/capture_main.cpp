// invitation-capture: exact frames of the show, image sequences and videos with
// its music, rendered offline, headless and deterministically. The clock is set
// as the main loop sets it and each frame is drawn by the show's own code.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture_canvas.h"
#include "capture_options.h"
#include "capture_timing.h"
#include "interruption.h"
#include "music_render.h"
#include "output_paths.h"
#include "png_io.h"
#include "progress_line.h"
#include "render/particle_random.h"
#include "runtime/startup.h"
#include "video_encoder.h"
#include "wav_writer.h"

namespace {

constexpr const char* program_name = "invitation-capture";
constexpr const char* audio_suffix = ".audio.wav";  // the sound of a video, before muxing

void note(const std::string& message) { std::fprintf(stderr, "%s: %s\n", program_name, message.c_str()); }

int report(int status, const std::string& message) {
    note(message);
    return status;
}

void note_missing_music() {
    if (!music_embedded()) note("no music is embedded in this build; the sound is silence");
}

bool write_music_wav(const std::string& path, std::int64_t first, std::int64_t end, std::string& error) {
    WavWriter wav;
    if (!open_wav(path, wav, error)) return false;
    std::string sink_error;
    const auto sink = [&](const std::int16_t* frames, std::size_t count) {
        if (interrupted()) {
            sink_error = "interrupted";
            return false;
        }
        return write_wav_frames(wav, frames, count, sink_error);
    };
    if (!render_music(first, end, sink, error)) {
        if (!sink_error.empty()) error = sink_error;
        abandon_wav(wav);
        return false;
    }
    return finish_wav(wav, error);
}

bool open_canvas(const CaptureOptions& options, std::string& error) {
    if (!open_capture_canvas(options.width, options.height, error)) return false;
    // Seeded after start-up, right before the first frame, so nothing else draws
    // from the generator before the particle field does.
    seed_particle_random(options.seed);
    return true;
}

int capture_single_frame(const CaptureOptions& options) {
    std::string error;
    if (!check_file_writable(options.out, error)) return report(failure_status, error);
    if (!options.audio_out.empty() && !check_file_writable(options.audio_out, error))
        return report(failure_status, error);
    if (!open_canvas(options, error)) return report(failure_status, error);

    for (std::int64_t k = 0; k < options.warmup_frames && !interrupted(); ++k) draw_frame_at(options.at_ms);
    std::vector<std::uint8_t> rgba;
    if (interrupted()) return report(failure_status, "interrupted");
    if (!capture_frame_at(options.at_ms, rgba, error)) return report(failure_status, error);
    if (!options.audio_out.empty()) {
        note_missing_music();
        if (!write_music_wav(options.audio_out, sample_at_ms(options.at_ms), end_of_pass, error))
            return report(failure_status, error);
    }
    if (!write_png_rgba(options.out, options.width, options.height, rgba.data(), error)) {
        if (!options.audio_out.empty()) std::remove(options.audio_out.c_str());
        return report(failure_status, error);
    }
    return 0;
}

// Everything a sequence has written so far, to be removed if it fails.
struct SequenceOutputs {
    bool folder_created = false;
    std::int64_t frames_written = 0;
    VideoEncoder video;
    std::string video_audio;  // finished temporary WAV for ffmpeg
    bool audio_out_written = false;
};

void remove_outputs(const CaptureOptions& options, SequenceOutputs& outputs) {
    if (options.sequence_output == SequenceOutput::png_folder)
        remove_frame_files(options.out, outputs.frames_written, outputs.folder_created);
    abandon_video(outputs.video);
    if (!outputs.video_audio.empty()) std::remove(outputs.video_audio.c_str());
    if (outputs.audio_out_written) std::remove(options.audio_out.c_str());
}

bool check_sound_length(std::int64_t first, std::int64_t end, std::string& error) {
    if (end - first <= max_wav_frames) return true;
    error = "the sound of this range is longer than a WAV file can hold (at most " +
            std::to_string(max_wav_frames / audio_rate) + " s)";
    return false;
}

bool render_frames(const CaptureOptions& options, std::int64_t count, SequenceOutputs& outputs,
                   std::string& error) {
    std::vector<std::uint8_t> rgba;
    ProgressLine progress;
    start_progress(progress, count);
    bool ok = true;
    for (std::int64_t k = 0; k < count && ok; ++k) {
        if (interrupted()) {
            error = "interrupted";
            ok = false;
            break;
        }
        ok = capture_frame_at(sequence_frame_time(options.from_ms, k, options.fps), rgba, error);
        if (ok && options.sequence_output == SequenceOutput::png_folder) {
            ok = write_png_rgba(frame_file_name(options.out, k), options.width, options.height, rgba.data(), error);
            if (ok) outputs.frames_written = k + 1;
        } else if (ok) {
            ok = write_video_frame(outputs.video, rgba.data(), rgba.size(), error);
        }
        if (ok) show_progress(progress, k + 1);
    }
    end_progress(progress);
    return ok;
}

int capture_sequence(const CaptureOptions& options) {
    std::string error;
    const std::int64_t count = sequence_frame_count(options.from_ms, options.to_ms, options.fps);
    const std::int64_t first_sample = sample_at_ms(options.from_ms);
    const bool video = options.sequence_output == SequenceOutput::video;
    const std::int64_t video_sound_end = sample_after_frames(options.from_ms, count, options.fps);
    if ((!options.audio_out.empty() && !check_sound_length(first_sample, sample_at_ms(options.to_ms), error)) ||
        (video && !check_sound_length(first_sample, video_sound_end, error)))
        return report(usage_status, error);

    std::string encoder;
    if (video) {
        encoder = find_program(encoder_program);
        if (encoder.empty())
            return report(failure_status, std::string(encoder_program) + " is not installed (Debian package " +
                                              encoder_package + "); it is needed to write " + options.out);
        if (!check_file_writable(options.out, error)) return report(failure_status, error);
    }
    if (!options.audio_out.empty() && !check_file_writable(options.audio_out, error))
        return report(failure_status, error);
    if (!open_canvas(options, error)) return report(failure_status, error);

    SequenceOutputs outputs;
    const auto fail = [&](const std::string& message) {
        remove_outputs(options, outputs);
        return report(failure_status, message);
    };
    if (!video && !prepare_frame_folder(options.out, outputs.folder_created, error)) return fail(error);
    if (!options.audio_out.empty() || video) note_missing_music();
    if (!options.audio_out.empty()) {
        if (!write_music_wav(options.audio_out, first_sample, sample_at_ms(options.to_ms), error)) return fail(error);
        outputs.audio_out_written = true;
    }
    if (video) {
        outputs.video_audio = options.out + audio_suffix;
        if (!write_music_wav(outputs.video_audio, first_sample, video_sound_end, error)) return fail(error);
        const VideoSettings settings{encoder,        options.out, options.video_format, options.width,
                                     options.height, options.fps, outputs.video_audio};
        if (!start_video(settings, outputs.video, error)) return fail(error);
    }

    for (std::int64_t k = 0; k < options.warmup_frames && !interrupted(); ++k) draw_frame_at(options.from_ms);
    if (!render_frames(options, count, outputs, error)) return fail(error);
    if (video) {
        if (!finish_video(outputs.video, error)) return fail(error);
        std::remove(outputs.video_audio.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    CaptureOptions options;
    std::string error;
    if (!parse_capture_options(argc, argv, options, error)) return report(usage_status, error + " (see --help)");
    if (options.help) {
        std::fputs(capture_usage(), stdout);
        return 0;
    }
    install_interruption_handlers();
    return options.mode == CaptureMode::single_frame ? capture_single_frame(options) : capture_sequence(options);
}
