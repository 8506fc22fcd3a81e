// RIFF/WAVE writer for the captured sound: 44.1 kHz, 16-bit, stereo.
#include "wav_writer.h"

#include <cassert>
#include <cerrno>
#include <cstring>
#include <vector>

#include "runtime/sound_format.h"

namespace {

constexpr std::uint32_t header_bytes = 44;
constexpr std::uint32_t riff_header_extra = 36;  // RIFF size = data size + 36
constexpr std::uint32_t fmt_chunk_bytes = 16;
constexpr std::uint16_t pcm_format = 1;
constexpr std::uint16_t bits_per_sample = 16;
constexpr std::uint32_t bytes_per_frame = audio_channels * bits_per_sample / 8;

void put16(std::uint8_t*& p, std::uint16_t v) {
    *p++ = static_cast<std::uint8_t>(v);
    *p++ = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t*& p, std::uint32_t v) {
    put16(p, static_cast<std::uint16_t>(v));
    put16(p, static_cast<std::uint16_t>(v >> 16));
}

void put_tag(std::uint8_t*& p, const char* tag) {
    std::memcpy(p, tag, 4);
    p += 4;
}

bool write_header(std::FILE* file, std::uint32_t data_bytes) {
    std::uint8_t header[header_bytes];
    std::uint8_t* p = header;
    put_tag(p, "RIFF");
    put32(p, data_bytes + riff_header_extra);
    put_tag(p, "WAVE");
    put_tag(p, "fmt ");
    put32(p, fmt_chunk_bytes);
    put16(p, pcm_format);
    put16(p, audio_channels);
    put32(p, audio_rate);
    put32(p, audio_rate * bytes_per_frame);
    put16(p, bytes_per_frame);
    put16(p, bits_per_sample);
    put_tag(p, "data");
    put32(p, data_bytes);
    return std::fseek(file, 0, SEEK_SET) == 0 && std::fwrite(header, 1, header_bytes, file) == header_bytes;
}

std::string reason(const std::string& path) { return "cannot write " + path + ": " + std::strerror(errno); }

}  // namespace

bool open_wav(const std::string& path, WavWriter& wav, std::string& error) {
    wav = WavWriter{};
    wav.path = path;
    if (!create_temporary(path, wav.temporary, error)) {
        error = cannot_write(path, error);
        return false;
    }
    wav.file = fdopen(wav.temporary.fd, "wb");
    if (wav.file) wav.temporary.fd = -1;  // closed with the stream from now on
    if (!wav.file || !write_header(wav.file, 0)) {
        error = reason(path);
        abandon_wav(wav);
        return false;
    }
    return true;
}

bool write_wav_frames(WavWriter& wav, const std::int16_t* frames, std::size_t count, std::string& error) {
    if (wav.frames + static_cast<std::int64_t>(count) > max_wav_frames) {
        error = wav.path + ": the sound is longer than a WAV file can hold";
        return false;
    }
    std::vector<std::uint8_t> bytes(count * bytes_per_frame);
    std::uint8_t* p = bytes.data();
    for (std::size_t i = 0; i < count * audio_channels; ++i) put16(p, static_cast<std::uint16_t>(frames[i]));
    if (std::fwrite(bytes.data(), 1, bytes.size(), wav.file) != bytes.size()) {
        error = reason(wav.path);
        return false;
    }
    wav.frames += static_cast<std::int64_t>(count);
    return true;
}

bool finish_wav(WavWriter& wav, std::string& error) {
    const auto data_bytes = static_cast<std::uint32_t>(wav.frames * bytes_per_frame);
    const bool written = write_header(wav.file, data_bytes) && std::fflush(wav.file) == 0;
    const bool closed = std::fclose(wav.file) == 0;
    wav.file = nullptr;
    if (!written || !closed) {
        error = reason(wav.path);
        abandon_wav(wav);
        return false;
    }
    return true;
}

void publish_wav_with(WavWriter& wav, Publication& publication) {
    assert(!wav.file && wav.temporary.fd < 0);
    add_to_publication(publication, wav.temporary.path, wav.path, true);
    wav.temporary.path.clear();  // the publication's now
}

void abandon_wav(WavWriter& wav) {
    if (wav.file) std::fclose(wav.file);
    wav.file = nullptr;
    discard_temporary(wav.temporary);
}
