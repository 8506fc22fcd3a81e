// The WAV reader on files as writers make them (extra chunks, odd sizes, the
// extensible header, an unknown data size) and on the ways a file can be broken
// or of a kind it does not read, each refused with its reason.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "little_endian.h"
#include "wav_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void chunk(Bytes& out, const char* id, const Bytes& body, std::uint32_t size_field = 0) {
    out.insert(out.end(), id, id + 4);
    put_u32(out, size_field ? size_field : static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
}

Bytes format(int tag, int channels, std::uint32_t rate, int bits) {
    Bytes f;
    put_u16(f, static_cast<unsigned>(tag));
    put_u16(f, static_cast<unsigned>(channels));
    put_u32(f, rate);
    put_u32(f, rate * static_cast<std::uint32_t>(channels * bits / 8));
    put_u16(f, static_cast<unsigned>(channels * bits / 8));
    put_u16(f, static_cast<unsigned>(bits));
    return f;
}

Bytes samples(const std::vector<int>& values) {
    Bytes d;
    for (int v : values) put_u16(d, static_cast<unsigned>(v) & 0xFFFF);
    return d;
}

Bytes wav(const std::vector<Bytes>& chunks) {
    Bytes out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
    return out;
}

Bytes make_chunk(const char* id, const Bytes& body, std::uint32_t size_field = 0) {
    Bytes c;
    chunk(c, id, body, size_field);
    return c;
}

std::string refusal(const Bytes& bytes) {
    loudness::PcmSound sound;
    std::string error;
    EXPECT_FALSE(loudness::read_wav(bytes.data(), bytes.size(), sound, error));
    return error;
}

}  // namespace

TEST(WavReader, ReadsPcmPastOtherChunksAndPadBytes) {
    const Bytes file = wav({make_chunk("fmt ", format(1, 2, 44100, 16)), make_chunk("LIST", Bytes{'a', 'b', 'c'}),
                            make_chunk("data", samples({1, -1, 32767, -32768}))});
    loudness::PcmSound sound;
    std::string error;
    ASSERT_TRUE(loudness::read_wav(file.data(), file.size(), sound, error)) << error;
    EXPECT_EQ(44100, sound.rate);
    EXPECT_EQ(2, sound.channels);
    EXPECT_EQ((std::vector<std::int16_t>{1, -1, 32767, -32768}), sound.samples);
}

TEST(WavReader, ReadsTheExtensibleHeaderAndAnUnknownDataSize) {
    Bytes extensible = format(0xFFFE, 1, 48000, 16);
    put_u16(extensible, 22);  // extension size
    put_u16(extensible, 16);  // valid bits
    put_u32(extensible, 4);   // channel mask
    const Bytes pcm_guid = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                            0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    extensible.insert(extensible.end(), pcm_guid.begin(), pcm_guid.end());
    // A writer that could not go back leaves the data size at 0xFFFFFFFF.
    const Bytes file = wav({make_chunk("fmt ", extensible), make_chunk("data", samples({5, 6, 7}), 0xFFFFFFFF)});
    loudness::PcmSound sound;
    std::string error;
    ASSERT_TRUE(loudness::read_wav(file.data(), file.size(), sound, error)) << error;
    EXPECT_EQ(48000, sound.rate);
    EXPECT_EQ(1, sound.channels);
    EXPECT_EQ((std::vector<std::int16_t>{5, 6, 7}), sound.samples);

    Bytes floats = extensible;
    floats[24] = 0x03;  // the IEEE float subformat
    EXPECT_EQ("not PCM (format 65534)", refusal(wav({make_chunk("fmt ", floats), make_chunk("data", samples({1}))})));
}

TEST(WavReader, RefusesOtherKindsOfSoundWithTheirReason) {
    const Bytes data = make_chunk("data", samples({0, 0}));
    EXPECT_EQ("not PCM (format 3)", refusal(wav({make_chunk("fmt ", format(3, 2, 44100, 32)), data})));
    EXPECT_EQ("8-bit samples; only 16-bit ones are read",
              refusal(wav({make_chunk("fmt ", format(1, 2, 44100, 8)), data})));
    EXPECT_EQ("9 channels", refusal(wav({make_chunk("fmt ", format(1, 9, 44100, 16)), data})));
    EXPECT_EQ("a rate of 7999 Hz", refusal(wav({make_chunk("fmt ", format(1, 2, 7999, 16)), data})));
    Bytes odd_block = format(1, 2, 44100, 16);
    odd_block[12] = 6;
    EXPECT_EQ("frames of 6 bytes for 2 16-bit channels", refusal(wav({make_chunk("fmt ", odd_block), data})));
}

TEST(WavReader, RefusesBrokenFilesWithoutReadingPastThem) {
    const Bytes fmt = make_chunk("fmt ", format(1, 2, 44100, 16));
    EXPECT_EQ("not a WAV file: it does not start with RIFF....WAVE", refusal(Bytes{'R', 'I', 'F', 'F'}));
    EXPECT_EQ("no data chunk", refusal(wav({fmt})));
    EXPECT_EQ("the data chunk comes before the format chunk", refusal(wav({make_chunk("data", samples({1, 2})), fmt})));
    EXPECT_EQ("two format chunks", refusal(wav({fmt, fmt, make_chunk("data", samples({1, 2}))})));
    EXPECT_EQ("the format chunk holds 4 bytes, fewer than 16", refusal(wav({make_chunk("fmt ", Bytes(4, 0))})));
    EXPECT_EQ("the data chunk's 6 bytes are not whole frames",
              refusal(wav({fmt, make_chunk("data", samples({1, 2, 3}))})));

    Bytes truncated = wav({fmt, make_chunk("data", samples({1, 2, 3, 4}))});
    truncated.resize(truncated.size() - 3);
    EXPECT_EQ("truncated: the data chunk holds 8 bytes, the file only 5 more", refusal(truncated));
    EXPECT_EQ("truncated: a chunk of 1000 bytes, the file only 2 more",
              refusal(wav({fmt, make_chunk("LIST", Bytes{1, 2}, 1000)})));
}
