// Video files made by ffmpeg: raw RGBA frames go through a pipe, the sound comes
// from a finished WAV file, and the result is written under a temporary name
// and renamed once ffmpeg has succeeded.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

constexpr const char* encoder_program = "ffmpeg";
constexpr const char* encoder_package = "ffmpeg";  // the Debian package that installs it

// The full path of `program` found through PATH, or empty.
std::string find_program(const std::string& program);

struct VideoEncoder {
    pid_t pid = -1;
    int pipe_fd = -1;
    std::string path;
    std::string temporary;
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
// One frame of width x height RGBA pixels, top row first.
bool write_video_frame(VideoEncoder& video, const std::uint8_t* rgba, std::size_t bytes, std::string& error);
// Ends the stream, waits for ffmpeg and gives the file its name.
bool finish_video(VideoEncoder& video, std::string& error);
// Stops ffmpeg and removes what it wrote.
void abandon_video(VideoEncoder& video);
