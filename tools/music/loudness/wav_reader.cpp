// WAV reading: RIFF chunks in any order up to "data", which must follow "fmt ".
// Chunks of odd size carry a pad byte. A data size of 0xFFFFFFFF (a writer that
// could not go back to fill it in) stands for the rest of the file.
#include "wav_reader.h"

#include <cstring>

namespace loudness {

namespace {

constexpr std::uint16_t format_pcm = 1;
constexpr std::uint16_t format_extensible = 0xFFFE;
constexpr std::uint32_t unknown_size = 0xFFFFFFFF;
// The PCM subformat GUID of WAVE_FORMAT_EXTENSIBLE.
constexpr std::uint8_t pcm_guid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t u16_at(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32_at(const std::uint8_t* p) { return u16_at(p) | static_cast<std::uint32_t>(u16_at(p + 2)) << 16; }

bool fail(std::string& error, const std::string& reason) {
    error = reason;
    return false;
}

bool read_format(const std::uint8_t* p, std::uint32_t size, PcmSound& sound, std::string& error) {
    if (size < 16) return fail(error, "the format chunk holds " + std::to_string(size) + " bytes, fewer than 16");
    std::uint16_t format = u16_at(p);
    const int channels = u16_at(p + 2);
    const std::uint32_t rate = u32_at(p + 4);
    const int block = u16_at(p + 12);
    const int bits = u16_at(p + 14);
    if (format == format_extensible) {
        if (size < 40) return fail(error, "an extensible format chunk of " + std::to_string(size) + " bytes");
        format = std::memcmp(p + 24, pcm_guid, sizeof pcm_guid) == 0 ? format_pcm : 0;
    }
    if (format != format_pcm) return fail(error, "not PCM (format " + std::to_string(u16_at(p)) + ")");
    if (bits != 16) return fail(error, std::to_string(bits) + "-bit samples; only 16-bit ones are read");
    if (channels < 1 || channels > max_wav_channels) return fail(error, std::to_string(channels) + " channels");
    if (rate < min_wav_rate || rate > max_wav_rate) return fail(error, "a rate of " + std::to_string(rate) + " Hz");
    if (block != 2 * channels)
        return fail(error, "frames of " + std::to_string(block) + " bytes for " + std::to_string(channels) +
                               " 16-bit channels");
    sound.rate = static_cast<int>(rate);
    sound.channels = channels;
    return true;
}

}  // namespace

bool read_wav(const std::uint8_t* bytes, std::size_t size, PcmSound& sound, std::string& error) {
    sound = PcmSound{};
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return fail(error, "not a WAV file: it does not start with RIFF....WAVE");
    bool have_format = false;
    for (std::size_t at = 12;;) {
        if (size - at < 8) return fail(error, "no data chunk");
        const std::uint8_t* chunk = bytes + at;
        const std::uint32_t chunk_size = u32_at(chunk + 4);
        const std::size_t left = size - at - 8;
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (!have_format) return fail(error, "the data chunk comes before the format chunk");
            const std::size_t data_size = chunk_size == unknown_size ? left : chunk_size;
            if (data_size > left)
                return fail(error, "truncated: the data chunk holds " + std::to_string(data_size) +
                                       " bytes, the file only " + std::to_string(left) + " more");
            const auto frame_bytes = static_cast<std::size_t>(2 * sound.channels);
            if (data_size % frame_bytes != 0)
                return fail(error, "the data chunk's " + std::to_string(data_size) + " bytes are not whole frames");
            sound.samples.resize(data_size / 2);
            for (std::size_t i = 0; i < sound.samples.size(); ++i)
                sound.samples[i] = static_cast<std::int16_t>(u16_at(chunk + 8 + 2 * i));
            return true;
        }
        if (chunk_size > left)
            return fail(error, "truncated: a chunk of " + std::to_string(chunk_size) + " bytes, the file only " +
                                   std::to_string(left) + " more");
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (have_format) return fail(error, "two format chunks");
            if (!read_format(chunk + 8, chunk_size, sound, error)) return false;
            have_format = true;
        }
        at += 8 + static_cast<std::size_t>(chunk_size);
        if (chunk_size % 2 && at < size) ++at;  // pad byte
    }
}

}  // namespace loudness
