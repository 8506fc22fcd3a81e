// Driving ffmpeg through a pipe.
#include "video_encoder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "interruption.h"

extern char** environ;

namespace {

constexpr int pipe_bytes = 1 << 20;
constexpr std::size_t rgba_bytes = 4;
constexpr std::size_t bgr_bytes = 3;  // the largest an unprivileged process may ask for, by default

// H.264 settings, measured with `build/bench/capture_bench --h264-sweep --quality`
// against the PNG frames of the same span: x264's fastest preset at CRF 12 looks
// better than its medium preset at CRF 18 did (PSNR 36.8 against 35.7 dB, SSIM
// 0.959 against 0.954 over 10 s of the show) for a fifth of the encoder's time,
// which is what lets a capture run faster than the show plays; the price is a
// file about 3.5 times larger. Slower presets at lower CRF stay behind on SSIM
// or on time.
constexpr const char* h264_preset = "ultrafast";
constexpr const char* h264_crf = "12";

// Codecs per container. H.264 in 4:2:0 plays everywhere; Matroska keeps the
// sound lossless; WebM takes only VP8/VP9 with Vorbis/Opus.
std::vector<std::string> codec_arguments(const std::string& format) {
    if (format == "webm")
        return {"-c:v", "libvpx-vp9", "-crf", "31", "-b:v", "0", "-row-mt", "1", "-pix_fmt", "yuv420p",
                "-c:a", "libopus", "-b:a", "160k"};
    std::vector<std::string> args = {"-c:v", "libx264", "-preset", h264_preset, "-crf", h264_crf, "-pix_fmt", "yuv420p"};
    if (format == "matroska") {
        args.insert(args.end(), {"-c:a", "flac"});
    } else {
        args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"});
    }
    return args;
}

bool wait_for(pid_t pid, int& status) {
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace

std::string find_program(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    std::size_t begin = 0;
    while (begin <= dirs.size()) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > begin ? dirs.substr(begin, end - begin) : ".";
        const std::string candidate = dir + "/" + program;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return "";
}

bool start_video(const VideoSettings& settings, VideoEncoder& video, std::string& error) {
    video = VideoEncoder{};
    video.path = settings.path;
    video.width = settings.width;
    video.height = settings.height;
    if (!create_temporary(settings.path, "partial", video.temporary, error) ||
        !close_temporary(video.temporary, error)) {
        discard_temporary(video.temporary);
        return false;
    }
    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);

    std::vector<std::string> args = {settings.encoder, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                                     "-f", "rawvideo", "-pix_fmt", "bgr24", "-s", size,
                                     "-framerate", std::to_string(settings.fps), "-i", "pipe:0",
                                     "-f", "wav", "-i", settings.audio_wav, "-map", "0:v", "-map", "1:a"};
    // 4:2:0 needs even sides: an odd one gets a black line.
    if (settings.width % 2 != 0 || settings.height % 2 != 0)
        args.insert(args.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"});
    const auto codecs = codec_arguments(settings.format);
    args.insert(args.end(), codecs.begin(), codecs.end());
    args.insert(args.end(), {"-f", settings.format, video.temporary.path});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
        discard_temporary(video.temporary);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    const int spawned = posix_spawn(&video.pid, settings.encoder.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (spawned != 0) {
        close(fds[1]);
        video.pid = -1;
        discard_temporary(video.temporary);
        error = "cannot start " + settings.encoder + ": " + std::strerror(spawned);
        return false;
    }
    video.pipe_fd = fds[1];
    // A bigger pipe lets the writer hand over a good part of a frame while
    // ffmpeg is busy converting the one before.
    fcntl(video.pipe_fd, F_SETPIPE_SZ, pipe_bytes);
    return true;
}

void pack_bgr_top_down(const std::uint8_t* gl_pixels, int width, int height, std::uint8_t* bgr) {
    assert(width > 0 && height > 0);
    const std::size_t row_pixels = static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = gl_pixels + static_cast<std::size_t>(height - 1 - y) * row_pixels * rgba_bytes;
        std::uint8_t* out = bgr + static_cast<std::size_t>(y) * row_pixels * bgr_bytes;
        for (std::size_t x = 0; x < row_pixels; ++x, in += rgba_bytes, out += bgr_bytes) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
}

bool write_video_frame(VideoEncoder& video, const std::uint8_t* gl_pixels, std::string& error) {
    assert(video.width > 0 && video.height > 0);
    video.packed.resize(static_cast<std::size_t>(video.width) * static_cast<std::size_t>(video.height) * bgr_bytes);
    pack_bgr_top_down(gl_pixels, video.width, video.height, video.packed.data());
    const std::uint8_t* bytes_at = video.packed.data();
    std::size_t bytes = video.packed.size();
    while (bytes > 0) {
        const ssize_t n = write(video.pipe_fd, bytes_at, bytes);
        if (n < 0) {
            if (errno == EINTR && !interrupted()) continue;
            error = errno == EPIPE ? std::string("ffmpeg stopped taking frames")
                                   : std::string("writing frames to ffmpeg failed: ") + std::strerror(errno);
            return false;
        }
        bytes_at += n;
        bytes -= static_cast<std::size_t>(n);
    }
    return true;
}

bool finish_video(VideoEncoder& video, std::string& error) {
    close(video.pipe_fd);
    video.pipe_fd = -1;
    int status = 0;
    const bool waited = wait_for(video.pid, status);
    video.pid = -1;
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = WIFEXITED(status) ? "ffmpeg failed with status " + std::to_string(WEXITSTATUS(status))
                                  : std::string("ffmpeg ended abnormally");
        abandon_video(video);
        return false;
    }
    return publish_temporary(video.temporary, video.path, true, error);
}

void stop_encoder(VideoEncoder& video) {
    if (video.pid > 0) kill(video.pid, SIGTERM);
}

void abandon_video(VideoEncoder& video) {
    if (video.pipe_fd >= 0) close(video.pipe_fd);
    video.pipe_fd = -1;
    if (video.pid > 0) {
        kill(video.pid, SIGTERM);
        int status = 0;
        wait_for(video.pid, status);
    }
    video.pid = -1;
    discard_temporary(video.temporary);
}
