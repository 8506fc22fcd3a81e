// Video files made by ffmpeg: raw frames go through a pipe as BGR rows, top row first, the sound comes
// from a finished WAV file, and the result is written under a temporary name of
// the run's own and renamed once ffmpeg has succeeded.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> packed;  // the frame being written, as ffmpeg takes it
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
// One frame of width x height pixels as read_frame_at stores them (RGBA, bottom
// row first). Called from one thread at a time.
bool write_video_frame(VideoEncoder& video, const std::uint8_t* gl_pixels, std::string& error);

// Repacks OpenGL's bottom-first RGBA rows into top-first BGR rows (3 bytes a
// pixel): the form whose conversion to 4:2:0 ffmpeg does fastest, with a third
// fewer bytes through the pipe.
void pack_bgr_top_down(const std::uint8_t* gl_pixels, int width, int height, std::uint8_t* bgr);
// Ends the stream, waits for ffmpeg and gives the file its name.
bool finish_video(VideoEncoder& video, std::string& error);
// Asks ffmpeg to end, so that a thread blocked writing to it returns.
void stop_encoder(VideoEncoder& video);
// Stops ffmpeg and removes what it wrote. No thread may be writing to it.
void abandon_video(VideoEncoder& video);
