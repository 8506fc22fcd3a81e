// Video files made by ffmpeg: raw frames as read_frame_at stores them go through a pipe, the sound comes
// from a finished WAV file, and the result is written under a temporary name of
// the run's own and renamed once ffmpeg has succeeded.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "temporary_file.h"

constexpr const char* encoder_program = "ffmpeg";
constexpr const char* encoder_package = "ffmpeg";  // the Debian package that installs it

// The full path of `program` found through PATH, or empty.
std::string find_program(const std::string& program);

struct VideoEncoder {
    pid_t pid = -1;
    int pipe_fd = -1;
    std::string path;
    TemporaryFile temporary;  // created here, then written by ffmpeg
};

struct VideoSettings {
    std::string encoder;  // full path of ffmpeg
    std::string path;     // the finished file
    std::string format;   // ffmpeg's muxer: mp4, matroska or webm
    int width = 0;
    int height = 0;
    int fps = 0;
    std::string audio_wav;  // the sound to mux in
};

bool start_video(const VideoSettings& settings, VideoEncoder& video, std::string& error);
// One frame of width x height pixels as read_frame_at stores them.
bool write_video_frame(VideoEncoder& video, const std::uint8_t* rgba, std::size_t bytes, std::string& error);
// Ends the stream, waits for ffmpeg and gives the file its name.
bool finish_video(VideoEncoder& video, std::string& error);
// Asks ffmpeg to end, so that a thread blocked writing to it returns.
void stop_encoder(VideoEncoder& video);
// Stops ffmpeg and removes what it wrote. No thread may be writing to it.
void abandon_video(VideoEncoder& video);
