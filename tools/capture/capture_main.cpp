// invitation-capture: exact frames of the show, image sequences and videos with
// its music, rendered offline, headless and deterministically. The clock is set
// as the main loop sets it and each frame is drawn by the show's own code.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture_canvas.h"
#include "capture_options.h"
#include "capture_timing.h"
#include "frame_pipeline.h"
#include "interruption.h"
#include "music_render.h"
#include "output_paths.h"
#include "png_frame.h"
#include "progress_line.h"
#include "publication.h"
#include "published_file.h"
#include "runtime/show_frames.h"
#include "runtime/sound_format.h"
#include "size_estimate.h"
#include "video_encoder.h"
#include "wav_writer.h"

namespace {

constexpr const char* program_name = "invitation-capture";
// The sound's progress line shows only when writing it takes longer than this.
constexpr auto sound_progress_quiet = std::chrono::seconds(1);
// A video's frames go through one writer thread, in order; the pool lets the
// drawing run a few frames ahead while ffmpeg is busy.
constexpr int video_writers = 1;
constexpr int video_buffers = 4;
// A PNG sequence's workers each hold a frame; one more is drawn, one more waits.
constexpr int png_spare_buffers = 2;

void note(const std::string& message) { std::fprintf(stderr, "%s: %s\n", program_name, message.c_str()); }

int report(int status, const std::string& message) {
    note(message);
    return status;
}

void note_missing_music() {
    if (!music_embedded()) note("no music is embedded in this build; the sound is silence");
}

// A WAV file that takes the run's sound from its first sample up to `end`.
struct SoundFile {
    WavWriter* wav = nullptr;
    std::int64_t end = end_of_pass;
};

// Renders the sound from `first` once and writes it into every file, each up
// to its own end. The files stay under their temporary names.
bool write_sound(std::int64_t first, const std::vector<SoundFile>& files, std::string& error) {
    std::int64_t end = end_of_pass;
    for (const SoundFile& file : files) end = end == end_of_pass ? file.end : std::max(end, file.end);
    ProgressLine progress;
    if (end != end_of_pass) start_progress(progress, end - first, sound_progress_quiet);
    std::int64_t at = first;
    std::string sink_error;
    const auto sink = [&](const std::int16_t* frames, std::size_t count) {
        for (const SoundFile& file : files) {
            const std::int64_t wanted = file.end == end_of_pass ? static_cast<std::int64_t>(count)
                                                                : std::clamp<std::int64_t>(file.end - at, 0, count);
            if (wanted > 0 && !write_wav_frames(*file.wav, frames, static_cast<std::size_t>(wanted), sink_error))
                return false;
        }
        at += static_cast<std::int64_t>(count);
        if (end != end_of_pass) show_sound_progress(progress, at - first);
        return true;
    };
    const bool rendered = render_music(first, end, sink, error);
    end_progress(progress);
    if (!rendered) {
        if (!sink_error.empty()) error = sink_error;
        return false;
    }
    for (const SoundFile& file : files)
        if (!finish_wav(*file.wav, error)) return false;
    return true;
}

// The first frame's moment, seed and warm-up, as a still frame takes them.
StillFrame first_frame(const CaptureOptions& options, std::int32_t at_ms) {
    return StillFrame{at_ms, options.seed, options.warmup_frames};
}

// Opens the canvas and starts the first frame's still-frame run, which seeds the
// field right before the first frame, so nothing else draws from the generator
// before the particle field does.
bool open_canvas(const CaptureOptions& options, const StillFrame& still, StillFrameRun& run, std::string& error) {
    const CanvasFit fit = options.stretch ? CanvasFit::stretch : CanvasFit::letterbox;
    if (!open_capture_canvas(options.width, options.height, fit, error)) return false;
    run = start_still_frame(still);
    return true;
}

// Nothing of a run is named before every output is complete; then all are named
// together, or none (publication.h).
int capture_single_frame(const CaptureOptions& options) {
    std::string error;
    if (!check_file_writable(options.out, error)) return report(failure_status, error);
    if (!options.audio_out.empty() && !check_file_writable(options.audio_out, error))
        return report(failure_status, error);
    if (!options.force && !check_room(options, 1, error)) return report(usage_status, error);
    StillFrameRun still;
    if (!open_canvas(options, first_frame(options, options.at_ms), still, error)) return report(failure_status, error);

    // An interruption stops the warm-up before its next frame.
    warm_up_still_frame(still, interrupted);
    if (interrupted()) return report(failure_status, "interrupted");
    std::vector<std::uint8_t> pixels(frame_bytes(options.width, options.height));
    std::vector<std::uint8_t> png;
    draw_still_frame(still);
    if (!read_frame(pixels.data(), error) ||
        !encode_frame_png(bottom_up_pixels(pixels.data(), options.width, options.height), frame_png_settings(), png,
                          error))
        return report(failure_status, error);
    Publication publication;
    TemporaryFile picture;
    if (!write_temporary_file(options.out, png.data(), png.size(), picture, error))
        return report(failure_status, cannot_write(options.out, error));
    add_to_publication(publication, picture.path, options.out, true);
    if (!options.audio_out.empty()) {
        note_missing_music();
        WavWriter wav;
        if (!open_wav(options.audio_out, wav, error) ||
            !write_sound(sample_at_ms(options.at_ms), {{&wav, end_of_pass}}, error)) {
            abandon_wav(wav);
            abandon_publication(publication);
            return report(failure_status, error);
        }
        publish_wav_with(wav, publication);
    }
    if (!publish_all(publication, error)) return report(failure_status, error);
    return 0;
}

// Everything a sequence has under way, to be stopped and removed if it fails.
struct SequenceOutputs {
    FrameFolder folder;
    VideoEncoder video;
    WavWriter video_sound;  // the video's sound, read by ffmpeg, then removed
    WavWriter audio_out;    // --audio-out, published with the video or frames
    FramePipeline pipeline;
    Publication publication;
};

void abandon_outputs(SequenceOutputs& outputs) {
    stop_encoder(outputs.video);  // a writer blocked on ffmpeg's pipe returns
    stop_pipeline(outputs.pipeline);
    remove_frame_files(outputs.folder);
    abandon_video(outputs.video);
    abandon_wav(outputs.video_sound);
    abandon_wav(outputs.audio_out);
    abandon_publication(outputs.publication);
}

bool check_sound_length(std::int64_t first, std::int64_t end, std::string& error) {
    if (end - first <= max_wav_frames) return true;
    error = "the sound of this range is longer than a WAV file can hold (at most " +
            std::to_string(max_wav_frames / audio_rate) + " s)";
    return false;
}

// Draws every frame into the pipeline's buffers; the workers write them out.
// The progress line counts frames written, not frames drawn.
bool render_frames(const CaptureOptions& options, std::int64_t count, FramePipeline& pipeline, std::string& error) {
    ProgressLine progress;
    start_progress(progress, count);
    bool ok = true;
    for (std::int64_t k = 0; k < count && ok; ++k) {
        const int slot = take_free_frame(pipeline, k);
        if (slot < 0) {
            error = pipeline_error(pipeline);
            ok = false;
            break;
        }
        ok = read_frame_at(sequence_frame_time(options.from_ms, k, options.fps), pipeline.frames[slot].pixels.data(),
                           error);
        if (ok) queue_frame(pipeline, slot);
        show_progress(progress, frames_written(pipeline));
    }
    if (ok) ok = finish_pipeline(pipeline, error);
    if (ok && interrupted()) {
        error = "interrupted";
        ok = false;
    }
    if (ok) show_progress(progress, count);
    end_progress(progress);
    return ok;
}

FrameOutput png_output(const CaptureOptions& options, FrameFolder& folder) {
    const PngSettings settings = frame_png_settings();
    return [&options, &folder, settings](const Frame& frame, std::string& error) {
        thread_local std::vector<std::uint8_t> png;  // reused by each worker
        return encode_frame_png(bottom_up_pixels(frame.pixels.data(), options.width, options.height), settings, png,
                                error) &&
               write_frame_file(folder, frame.index, png, error);
    };
}

FrameOutput video_output(VideoEncoder& video) {
    return [&video](const Frame& frame, std::string& error) {
        return write_video_frame(video, frame.pixels.data(), error);
    };
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
    if (!options.force && !check_room(options, count, error)) return report(usage_status, error);

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
    StillFrameRun still;
    if (!open_canvas(options, first_frame(options, options.from_ms), still, error))
        return report(failure_status, error);

    SequenceOutputs outputs;
    const auto fail = [&](const std::string& message) {
        abandon_outputs(outputs);
        return report(failure_status, video_failure(outputs.video, message));
    };
    if (!video && !prepare_frame_folder(options.out, count, outputs.folder, error)) return fail(error);

    std::vector<SoundFile> sound;
    if (!options.audio_out.empty()) {
        if (!open_wav(options.audio_out, outputs.audio_out, error)) return fail(error);
        sound.push_back({&outputs.audio_out, sample_at_ms(options.to_ms)});
    }
    if (video) {
        // A temporary beside the video, under a name of this run's own; never published.
        if (!open_wav(options.out, outputs.video_sound, error)) return fail(error);
        sound.push_back({&outputs.video_sound, video_sound_end});
    }
    if (!sound.empty()) {
        note_missing_music();
        if (!write_sound(first_sample, sound, error)) return fail(error);
    }
    if (video) {
        VideoSettings settings;
        settings.encoder = encoder;
        settings.path = options.out;
        settings.format = options.video_format;
        settings.encoding = options.for_upload ? VideoEncoding::upload : VideoEncoding::quick;
        settings.width = options.width;
        settings.height = options.height;
        settings.fps = options.fps;
        settings.audio_wav = outputs.video_sound.temporary.path;
        if (!start_video(settings, outputs.video, error)) return fail(error);
    }

    // An interruption stops the warm-up early; render_frames then draws nothing and says so.
    warm_up_still_frame(still, interrupted);
    if (video)
        start_pipeline(outputs.pipeline, video_writers, video_buffers, frame_bytes(options.width, options.height),
                       video_output(outputs.video));
    else
        start_pipeline(outputs.pipeline, png_worker_count(), png_worker_count() + png_spare_buffers,
                       frame_bytes(options.width, options.height), png_output(options, outputs.folder));
    if (!render_frames(options, count, outputs.pipeline, error)) return fail(error);
    if (video) {
        if (!finish_video(outputs.video, error)) return fail(error);
        add_to_publication(outputs.publication, outputs.video.temporary.path, options.out, true);
        outputs.video.temporary.path.clear();  // the publication's now
    } else {
        add_frames_to_publication(outputs.folder, outputs.publication);
    }
    abandon_wav(outputs.video_sound);
    if (!options.audio_out.empty()) publish_wav_with(outputs.audio_out, outputs.publication);
    if (!publish_all(outputs.publication, error)) return fail(error);
    outputs.folder.created = false;  // the frames have their names: the folder is the user's now
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    CaptureOptions options;
    std::string error;
    if (!parse_capture_options(argc, argv, options, error)) return report(usage_status, error + " (see --help)");
    if (options.help) {
        std::fputs(capture_usage().c_str(), stdout);
        return 0;
    }
    if (!check_distinct_outputs(options.out, options.audio_out, error)) return report(usage_status, error);
    install_interruption_handlers();
    return options.mode == CaptureMode::single_frame ? capture_single_frame(options) : capture_sequence(options);
}
