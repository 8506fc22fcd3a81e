// Video files made by ffmpeg: frames go through a pipe already converted to
// 4:2:0 with the BT.709 matrix in limited range (yuv_frame.h) and are tagged so
// (primaries, transfer, matrix, range), as players and video sites expect of HD
// video; the sound comes from a finished WAV file, and the result is written
// under a temporary name of the run's own, to be published with the run's other
// outputs. ffmpeg ends with the capture, even when the capture
// is killed, and what it says about a failure is kept for our own one line.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "published_file.h"

constexpr const char* encoder_program = "ffmpeg";
constexpr const char* encoder_package = "ffmpeg";  // the Debian package that installs it

// The H.264 settings, chosen by name on the command line.
enum class VideoEncoding {
    quick,   // faster than the show plays at 1024x768: a large file for editing or archiving
    upload,  // High profile, far smaller at the same quality, several times slower to make
};

// The full path of `program` found through PATH, or empty.
std::string find_program(const std::string& program);

struct VideoEncoder {
    pid_t pid = -1;
    int pipe_fd = -1;
    int messages_fd = -1;      // ffmpeg's standard error, kept in memory
    std::string last_message;  // its last line, once it has ended
    std::string path;
    TemporaryFile temporary;  // created here, then written by ffmpeg
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> packed;  // the frame being written, as ffmpeg takes it
};

struct VideoSettings {
    std::string encoder;  // full path of ffmpeg
    std::string path;     // the finished file
    std::string format;   // ffmpeg's muxer: mp4, matroska or webm
    VideoEncoding encoding = VideoEncoding::quick;
    int width = 0;
    int height = 0;
    int fps = 0;
    std::string audio_wav;  // the sound to mux in
};

// ffmpeg's arguments after its input options: filters, codecs, tags, muxer and
// output file.
std::vector<std::string> encoder_output_arguments(const VideoSettings& settings, const std::string& output);

bool start_video(const VideoSettings& settings, VideoEncoder& video, std::string& error);
// One frame of width x height pixels as read_frame_at stores them (RGBA, bottom
// row first). Called from one thread at a time.
bool write_video_frame(VideoEncoder& video, const std::uint8_t* gl_pixels, std::string& error);

// Ends the stream and waits for ffmpeg. The file stays under its temporary name
// (video.temporary.path), to be published with the run's other outputs. An
// interruption while ffmpeg finishes stops it and fails with "interrupted".
bool finish_video(VideoEncoder& video, std::string& error);
// Asks ffmpeg to end, so that a thread blocked writing to it returns.
void stop_encoder(VideoEncoder& video);
// Stops ffmpeg and removes what it wrote. No thread may be writing to it.
void abandon_video(VideoEncoder& video);
// A failure's one line with ffmpeg's own words on it, once abandon_video has
// ended ffmpeg: "ffmpeg stopped taking frames: No space left on device".
std::string video_failure(const VideoEncoder& video, const std::string& error);
