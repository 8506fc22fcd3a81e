// 16-bit PCM WAV files written under a temporary name of their own and named
// with the run's other outputs once the whole run has succeeded.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "publication.h"
#include "published_file.h"

// The largest sound a WAV file can hold, in stereo 16-bit frames (its sizes are 32-bit).
constexpr std::int64_t max_wav_frames = (UINT32_MAX - 36) / 4;

struct WavWriter {
    std::FILE* file = nullptr;  // owns the temporary's descriptor
    std::string path;           // the name the finished file gets
    TemporaryFile temporary;    // the file while it is being written
    std::int64_t frames = 0;
};

// Creates the temporary file (exclusively, beside `path`) with a header to be completed by finish_wav.
bool open_wav(const std::string& path, WavWriter& wav, std::string& error);
// Appends interleaved stereo frames.
bool write_wav_frames(WavWriter& wav, const std::int16_t* frames, std::size_t count, std::string& error);
// Completes the header and closes the file, still under its temporary name
// (wav.temporary.path), so that it can be published with the run's other outputs
// or read by the encoder.
bool finish_wav(WavWriter& wav, std::string& error);
// Hands a finished file to the run's publication, which gives it its name with
// the run's other outputs (or removes it).
void publish_wav_with(WavWriter& wav, Publication& publication);
// Closes and removes the temporary file; nothing is left behind.
void abandon_wav(WavWriter& wav);
