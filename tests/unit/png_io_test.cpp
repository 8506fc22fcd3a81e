// The tools' file and PNG helpers against hostile files: only regular files up to
// the cap are read; the layout reader refuses repeated and malformed headers
// without reading past the file; libpng's faults come back as one line of our own
// with nothing printed by libpng; a write touches no file it did not create.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "input_file.h"
#include "png_io.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t signature_bytes = 8;
constexpr std::size_t after_header = signature_bytes + 12 + 13;  // where the chunk after IHDR starts

void put_32(std::uint8_t* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// One chunk as stored: length, type, data and a correct CRC.
Bytes chunk(const char* type, const Bytes& data) {
    Bytes out(12 + data.size());
    put_32(&out[0], static_cast<std::uint32_t>(data.size()));
    std::copy_n(type, 4, &out[4]);
    std::copy(data.begin(), data.end(), out.begin() + 8);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), &out[4], static_cast<uInt>(data.size() + 4));
    put_32(&out[8 + data.size()], static_cast<std::uint32_t>(crc));
    return out;
}

Bytes ihdr_data(std::uint32_t width, std::uint32_t height) {
    Bytes data = {0, 0, 0, 0, 0, 0, 0, 0, 8, 6, 0, 0, 0};
    put_32(&data[0], width);
    put_32(&data[4], height);
    return data;
}

Bytes spliced(Bytes png, std::size_t at, const Bytes& insert) {
    png.insert(png.begin() + static_cast<long>(at), insert.begin(), insert.end());
    return png;
}

class PngIo : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/png_io_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    // A 3 × 2 RGBA image as write_png_rgba stores it: IHDR, IDAT, IEND.
    Bytes small_png() {
        const std::uint8_t rgba[3 * 2 * 4] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0,  255, 0,
                                              1,   2, 3, 4,   5, 6,   7, 8,   9, 10, 11,  12};
        std::string error;
        EXPECT_TRUE(write_png_rgba(folder + "/small.png", 3, 2, rgba, error)) << error;
        Bytes bytes;
        EXPECT_TRUE(read_input_file(folder + "/small.png", bytes, error)) << error;
        return bytes;
    }
    std::string store(const std::string& name, const Bytes& bytes) {
        const std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string layout_error(const Bytes& bytes) {
        PngLayout layout;
        std::string error;
        EXPECT_FALSE(parse_png_layout(bytes.data(), bytes.size(), "x.png", layout, error));
        return error;
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string folder;
};

TEST_F(PngIo, ReadsOnlyRegularFilesUpToTheCap) {
    Bytes bytes;
    std::string error;
    const Bytes stored = {1, 2, 3, 0, 255};
    EXPECT_TRUE(read_input_file(store("plain", stored), bytes, error)) << error;
    EXPECT_EQ(stored, bytes);

    EXPECT_FALSE(read_input_file(folder, bytes, error));
    EXPECT_EQ("a folder, not a file", error);
    EXPECT_FALSE(read_input_file("/dev/zero", bytes, error));
    EXPECT_EQ("not a regular file", error);
    const std::string fifo = folder + "/fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    EXPECT_FALSE(read_input_file(fifo, bytes, error)) << "a pipe without a writer must not block";
    EXPECT_EQ("not a regular file", error);
    EXPECT_FALSE(read_input_file(folder + "/missing", bytes, error));
    EXPECT_EQ("cannot open (No such file or directory)", error);

    // Sparse files: the cap itself is read, one byte more is refused unread.
    const std::string at_cap = store("at_cap", {});
    fs::resize_file(at_cap, max_input_file_bytes);
    EXPECT_TRUE(read_input_file(at_cap, bytes, error)) << error;
    EXPECT_EQ(max_input_file_bytes, bytes.size());
    fs::resize_file(at_cap, max_input_file_bytes + 1);
    EXPECT_FALSE(read_input_file(at_cap, bytes, error));
    EXPECT_EQ("larger than 64 MiB", error);
    EXPECT_TRUE(bytes.empty());

    PngLayout layout;
    EXPECT_FALSE(read_png_layout(folder, layout, error));
    EXPECT_EQ(folder + ": a folder, not a file", error);
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    EXPECT_FALSE(read_png_rgba("/dev/zero", width, height, rgba, error));
    EXPECT_EQ("/dev/zero: not a regular file", error);
}

TEST_F(PngIo, LayoutTakesOneThirteenByteHeaderAndRefusesARepeat) {
    const Bytes png = small_png();
    PngLayout layout;
    std::string error;
    ASSERT_TRUE(parse_png_layout(png.data(), png.size(), "x.png", layout, error)) << error;
    EXPECT_EQ(3, layout.width);
    EXPECT_EQ(2, layout.height);
    EXPECT_EQ(6, layout.colour_type);
    EXPECT_EQ((std::vector<std::string>{"IHDR", "IDAT", "IEND"}), layout.chunks);

    // An empty second IHDR as the last bytes of the file: reading 13 bytes of it
    // would run past the end (ASan holds this).
    const Bytes header_only(png.begin(), png.begin() + static_cast<long>(after_header));
    Bytes short_repeat = header_only;
    const Bytes empty_ihdr = chunk("IHDR", {});
    short_repeat.insert(short_repeat.end(), empty_ihdr.begin(), empty_ihdr.end());
    EXPECT_EQ("x.png: repeated IHDR chunk at byte 33", layout_error(short_repeat));

    // A full-size second IHDR would have replaced the size.
    EXPECT_EQ("x.png: repeated IHDR chunk at byte 33",
              layout_error(spliced(png, after_header, chunk("IHDR", ihdr_data(0xA8A0000A, 0)))));

    Bytes long_header = spliced(header_only, signature_bytes, chunk("IHDR", Bytes(14, 1)));
    long_header.erase(long_header.begin() + static_cast<long>(signature_bytes + 26), long_header.end());
    EXPECT_EQ("x.png: first chunk is not a 13-byte IHDR", layout_error(long_header));

    Bytes huge = png;
    const Bytes huge_header = chunk("IHDR", ihdr_data(0xA8A0000A, 2));
    std::copy(huge_header.begin(), huge_header.end(), huge.begin() + static_cast<long>(signature_bytes));
    EXPECT_EQ("x.png: IHDR size 2829058058x2 outside 1..2147483647", layout_error(huge));
    const Bytes empty_header = chunk("IHDR", ihdr_data(3, 0));
    std::copy(empty_header.begin(), empty_header.end(), huge.begin() + static_cast<long>(signature_bytes));
    EXPECT_EQ("x.png: IHDR size 3x0 outside 1..2147483647", layout_error(huge));

    const Bytes palette = chunk("PLTE", {1, 2, 3});
    EXPECT_EQ("x.png: repeated PLTE chunk at byte 48",
              layout_error(spliced(spliced(png, after_header, palette), after_header, palette)));
    const Bytes alpha = chunk("tRNS", {0});
    EXPECT_EQ("x.png: repeated tRNS chunk at byte 46",
              layout_error(spliced(spliced(png, after_header, alpha), after_header, alpha)));
    EXPECT_EQ("x.png: no IEND chunk", layout_error(header_only));
    EXPECT_EQ("x.png: truncated chunk at byte " + std::to_string(png.size() - 12),
              layout_error(Bytes(png.begin(), png.end() - 1)));
}

TEST_F(PngIo, LibpngFaultsBecomeOneLineOfOurOwn) {
    const Bytes png = small_png();
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    std::string error;

    Bytes bad_crc = png;
    bad_crc[after_header - 1] ^= 0xFF;  // the last CRC byte of IHDR
    // A damaged ancillary chunk is only a libpng warning: the image still reads.
    Bytes bad_text = spliced(png, after_header, chunk("tEXt", {'a', 0, 'b'}));
    bad_text[after_header + 12 + 3 - 1] ^= 0xFF;
    Bytes truncated(png.begin(), png.end() - 16);
    Bytes too_wide = png;
    const Bytes wide_header = chunk("IHDR", ihdr_data(max_png_side + 1, 1));
    std::copy(wide_header.begin(), wide_header.end(), too_wide.begin() + static_cast<long>(signature_bytes));

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(read_png_rgba(store("bad_crc.png", bad_crc), width, height, rgba, error));
    const std::string crc_error = error;
    EXPECT_TRUE(read_png_rgba(store("bad_text.png", bad_text), width, height, rgba, error)) << error;
    EXPECT_FALSE(decode_png_rgba(truncated.data(), truncated.size(), "cut.png", width, height, rgba, error));
    const std::string truncated_error = error;
    EXPECT_FALSE(decode_png_rgba(too_wide.data(), too_wide.size(), "wide.png", width, height, rgba, error));
    const std::string wide_error = error;
    EXPECT_EQ("", ::testing::internal::GetCapturedStderr()) << "libpng printed its own lines";

    EXPECT_EQ(folder + "/bad_crc.png: not a readable PNG (IHDR: CRC error)", crc_error);
    EXPECT_EQ(0u, truncated_error.rfind("cut.png: not a readable PNG (", 0)) << truncated_error;
    EXPECT_EQ(0u, wide_error.rfind("wide.png: not a readable PNG (", 0)) << wide_error;
    EXPECT_TRUE(rgba.empty());

    ASSERT_TRUE(decode_png_rgba(png.data(), png.size(), "small.png", width, height, rgba, error)) << error;
    EXPECT_EQ(3, width);
    EXPECT_EQ(2, height);
    EXPECT_EQ((std::vector<std::uint8_t>{0, 255, 0, 128}),
              std::vector<std::uint8_t>(rgba.begin() + 4, rgba.begin() + 8));
}

TEST_F(PngIo, WritesTouchNoFileTheyDidNotCreate) {
    // The user's own files beside the output keep their contents.
    const std::string path = folder + "/out.png";
    store("out.png.partial", {'m', 'i', 'n', 'e'});
    const std::uint8_t pixel[4] = {1, 2, 3, 4};
    std::string error;
    ASSERT_TRUE(write_png_rgba(path, 1, 1, pixel, error)) << error;
    EXPECT_EQ((std::vector<std::string>{"out.png", "out.png.partial"}), files());
    Bytes mine;
    ASSERT_TRUE(read_input_file(path + ".partial", mine, error));
    EXPECT_EQ((Bytes{'m', 'i', 'n', 'e'}), mine);
    Bytes written;
    ASSERT_TRUE(read_input_file(path, written, error));

    // A libpng error while encoding (a width beyond libpng's limit): one line, no
    // libpng output, the earlier file untouched, no temporary left.
    PngImage too_wide;
    too_wide.width = 2000000;
    too_wide.height = 1;
    too_wide.colour_type = 3;
    too_wide.samples.assign(2000000, 0);
    too_wide.palette = {{0, 0, 0}};
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(write_png(path, too_wide, error));
    EXPECT_EQ("", ::testing::internal::GetCapturedStderr());
    EXPECT_EQ(0u, error.rfind("cannot encode " + path + " (", 0)) << error;
    EXPECT_EQ((std::vector<std::string>{"out.png", "out.png.partial"}), files());
    Bytes after;
    ASSERT_TRUE(read_input_file(path, after, error));
    EXPECT_EQ(written, after);

    EXPECT_FALSE(write_png_rgba(folder + "/missing/out.png", 1, 1, pixel, error));
    EXPECT_EQ("cannot write " + folder + "/missing/out.png (No such file or directory)", error);
}

TEST_F(PngIo, AWriteThatFailsPartWayLeavesTheEarlierFile) {
    // A file size limit makes libpng's writes fail part way, as a full disk would.
    const std::string path = store("big.png", {'o', 'l', 'd'});
    PngImage noise;
    noise.width = noise.height = 256;
    std::mt19937 random(7);  // noise: no filter or compression gets it under the limit
    for (int i = 0; i < 256 * 256 * 4; ++i) noise.samples.push_back(static_cast<std::uint8_t>(random()));
    struct rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool written = write_png(path, noise, error);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(0u, error.rfind("cannot ", 0)) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_EQ(std::vector<std::string>{"big.png"}, files()) << "the temporary was left behind";
    Bytes after;
    ASSERT_TRUE(read_input_file(path, after, error));
    EXPECT_EQ((Bytes{'o', 'l', 'd'}), after);
}

}  // namespace
