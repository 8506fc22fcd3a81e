// Driving ffmpeg through a pipe, with BT.709 frames and its messages kept.
#include "video_encoder.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
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
#include "publication.h"
#include "yuv_frame.h"

extern char** environ;

namespace {

constexpr int pipe_bytes = 1 << 20;  // the largest an unprivileged process may ask for, by default
// What of ffmpeg's own messages is read back for our one line.
constexpr std::size_t message_tail_bytes = 4096;
constexpr const char* ffmpeg_stopped = "ffmpeg stopped taking frames";
constexpr useconds_t wait_poll_us = 20000;

// H.264 settings, measured with `build/bench/capture_bench --h264-sweep --quality`
// against the PNG frames of the same span (see the README's capture section).
// quick: x264's fastest preset at CRF 12 (Constrained Baseline) keeps up with
// the show (3.4 ms of encoder time a frame at 1024x768) at SSIM 0.954; the
// price is a large file. upload: High profile from the medium preset at CRF 12
// with variance-based adaptive quantisation is 60 % smaller at 1024x768 (SSIM
// 0.960 against 0.954) and 56 % smaller letterboxed at 1920x1080 (0.9778 against
// 0.9776), for 7 times the encoder's time. At CRF 14 without that AQ mode it was
// smaller still but fell below quick's SSIM at 1920x1080; veryfast falls below
// it everywhere; the slow presets cost 1.5 times the time again.
struct H264Settings {
    const char* preset;
    const char* crf;
    const char* profile;  // empty: what the preset gives (Constrained Baseline for ultrafast)
    const char* aq_mode;  // empty: the preset's
};
constexpr H264Settings quick_h264{"ultrafast", "12", "", ""};
constexpr H264Settings upload_h264{"medium", "12", "high", "2"};

// BT.709 in limited range: the conversion and the tags that say so.
const std::vector<std::string> colour_tags = {
    "-colorspace",  "bt709", "-color_primaries",        "bt709", "-color_trc", "bt709",
    "-color_range", "tv",    "-chroma_sample_location", "center"};

// Codecs per container. H.264 in 4:2:0 plays everywhere; Matroska keeps the
// sound lossless; WebM takes only VP8/VP9 with Vorbis/Opus.
std::vector<std::string> codec_arguments(const VideoSettings& settings) {
    if (settings.format == "webm")
        return {"-c:v", "libvpx-vp9", "-crf", "31", "-b:v", "0", "-row-mt", "1", "-c:a", "libopus", "-b:a", "160k"};
    const H264Settings& h264 = settings.encoding == VideoEncoding::upload ? upload_h264 : quick_h264;
    std::vector<std::string> args = {"-c:v", "libx264", "-preset", h264.preset, "-crf", h264.crf};
    if (*h264.profile) args.insert(args.end(), {"-profile:v", h264.profile});
    if (*h264.aq_mode) args.insert(args.end(), {"-aq-mode", h264.aq_mode});
    if (settings.format == "matroska") {
        args.insert(args.end(), {"-c:a", "flac"});
    } else {
        args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart+write_colr"});
    }
    return args;
}

// Waits for ffmpeg. An interruption while it works stops it: what it was
// writing is not wanted any more. The signal may reach any of the process's
// threads (the GL driver has its own), so the wait looks at the flag between
// short sleeps rather than rely on being woken.
bool wait_for(pid_t pid, int& status, bool stop_when_interrupted) {
    bool stopped = false;
    for (;;) {
        const pid_t ended = waitpid(pid, &status, stop_when_interrupted ? WNOHANG : 0);
        if (ended == pid) return true;
        if (ended < 0 && errno != EINTR) return false;
        if (stop_when_interrupted && interrupted() && !stopped) {
            kill(pid, SIGTERM);
            stopped = true;
        }
        if (stop_when_interrupted) usleep(wait_poll_us);
    }
}

// The last line ffmpeg wrote to its standard error, or empty.
std::string read_last_line(int fd) {
    if (fd < 0) return "";
    const off_t size = lseek(fd, 0, SEEK_END);
    if (size <= 0) return "";
    const off_t from =
        size > static_cast<off_t>(message_tail_bytes) ? size - static_cast<off_t>(message_tail_bytes) : 0;
    std::string text(static_cast<std::size_t>(size - from), '\0');
    const ssize_t n = pread(fd, text.data(), text.size(), from);
    if (n <= 0) return "";
    text.resize(static_cast<std::size_t>(n));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    const std::size_t line = text.find_last_of("\r\n");
    return line == std::string::npos ? text : text.substr(line + 1);
}

// "ffmpeg failed with status 1" with what ffmpeg said, when it said something.
std::string with_encoder_message(std::string message, const VideoEncoder& video) {
    const std::string said = read_last_line(video.messages_fd);
    return said.empty() ? message : message + ": " + said;
}

// Keeps ffmpeg's last line and lets go of its messages.
void close_messages(VideoEncoder& video) {
    if (video.messages_fd < 0) return;
    if (video.last_message.empty()) video.last_message = read_last_line(video.messages_fd);
    close(video.messages_fd);
    video.messages_fd = -1;
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

std::vector<std::string> encoder_output_arguments(const VideoSettings& settings, const std::string& output) {
    // The frames come converted (yuv_frame.h): the encoder takes them as they are
    // and tags them.
    std::vector<std::string> args = colour_tags;
    const auto codecs = codec_arguments(settings);
    args.insert(args.end(), codecs.begin(), codecs.end());
    args.insert(args.end(), {"-f", settings.format, output});
    return args;
}

bool start_video(const VideoSettings& settings, VideoEncoder& video, std::string& error) {
    video = VideoEncoder{};
    video.path = settings.path;
    video.width = settings.width;
    video.height = settings.height;
    if (!create_temporary(settings.path, video.temporary, error)) {
        error = cannot_write(settings.path, error);
        return false;
    }
    if (!close_temporary(video.temporary, error)) {
        error = cannot_write(video.temporary.path, error);
        discard_temporary(video.temporary);
        return false;
    }
    // 4:2:0 needs even sides: an odd one gets a black line (yuv_frame.h).
    const std::string size =
        std::to_string(even_side(settings.width)) + "x" + std::to_string(even_side(settings.height));

    std::vector<std::string> args = {settings.encoder, "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f",
                                     "rawvideo",       "-pix_fmt",     "yuv420p",   "-s",    size};
    args.insert(args.end(), colour_tags.begin(), colour_tags.end());
    args.insert(args.end(), {"-framerate", std::to_string(settings.fps), "-i", "pipe:0", "-f", "wav", "-i",
                             settings.audio_wav, "-map", "0:v", "-map", "1:a"});
    const auto output = encoder_output_arguments(settings, video.temporary.path);
    args.insert(args.end(), output.begin(), output.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    // ffmpeg's messages go to a file in memory, read back when it fails.
    video.messages_fd = memfd_create("ffmpeg-messages", MFD_CLOEXEC);
    int fds[2];
    if (video.messages_fd < 0 || pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
        close_messages(video);
        discard_temporary(video.temporary);
        return false;
    }
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0) {
        // Only async-signal-safe calls from here to exec. ffmpeg is killed when
        // the capture ends in any way, even killed itself, so it never goes on
        // writing for nobody; if the capture is already gone, so is ffmpeg.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGPIPE, SIG_DFL);
        // A Ctrl-C in the terminal reaches the capture, which ends ffmpeg itself.
        setpgid(0, 0);
        dup2(fds[0], STDIN_FILENO);
        dup2(video.messages_fd, STDERR_FILENO);
        execve(settings.encoder.c_str(), argv.data(), environ);
        _exit(127);
    }
    const int spawn_error = errno;
    close(fds[0]);
    if (child < 0) {
        close(fds[1]);
        close_messages(video);
        discard_temporary(video.temporary);
        error = "cannot start " + settings.encoder + ": " + std::strerror(spawn_error);
        return false;
    }
    video.pid = child;
    video.pipe_fd = fds[1];
    // A bigger pipe lets the writer hand over a good part of a frame while
    // ffmpeg is busy converting the one before.
    fcntl(video.pipe_fd, F_SETPIPE_SZ, pipe_bytes);
    return true;
}

bool write_video_frame(VideoEncoder& video, const std::uint8_t* gl_pixels, std::string& error) {
    assert(video.width > 0 && video.height > 0);
    video.packed.resize(yuv420_bytes(video.width, video.height));
    pack_yuv420_bt709(gl_pixels, video.width, video.height, video.packed.data());
    const std::uint8_t* bytes_at = video.packed.data();
    std::size_t bytes = video.packed.size();
    while (bytes > 0) {
        const ssize_t n = write(video.pipe_fd, bytes_at, bytes);
        if (n < 0) {
            if (errno == EINTR && !interrupted()) continue;
            if (errno == EINTR) {
                error = "interrupted";
            } else if (errno == EPIPE) {
                // ffmpeg has ended; abandon_video keeps its own words on why.
                error = ffmpeg_stopped;
            } else {
                error = std::string("writing frames to ffmpeg failed: ") + std::strerror(errno);
            }
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
    const bool waited = wait_for(video.pid, status, true);
    video.pid = -1;
    if (interrupted()) {
        error = "interrupted";
        abandon_video(video);
        return false;
    }
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error =
            with_encoder_message(WIFEXITED(status) ? "ffmpeg failed with status " + std::to_string(WEXITSTATUS(status))
                                                   : std::string("ffmpeg ended abnormally"),
                                 video);
        abandon_video(video);
        return false;
    }
    close_messages(video);
    if (!close_temporary(video.temporary, error)) {
        error = cannot_write(video.temporary.path, error);
        return false;
    }
    return true;
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
        wait_for(video.pid, status, false);
    }
    video.pid = -1;
    close_messages(video);
    discard_temporary(video.temporary);
}

std::string video_failure(const VideoEncoder& video, const std::string& error) {
    if (error != ffmpeg_stopped || video.last_message.empty()) return error;
    return error + ": " + video.last_message;
}
