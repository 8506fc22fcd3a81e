// Frames captured by invitation-capture, checked against the timeline by pixel
// probes, against reference pictures, and for determinism; sequences checked for
// their frame count and frame times. Set INVITATION_UPDATE_REFERENCE=1 to write
// the reference pictures anew (then look at them before keeping them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_image.h"

namespace fs = std::filesystem;

namespace {

// Reference pictures: the frame tests' seed and warm-up, so the field is full.
constexpr const char* reference_seed = "2008";
constexpr const char* reference_warmup = "200";
constexpr int channel_tolerance = 8;
constexpr double differing_share_allowed = 0.005;

constexpr Pixel bar_colour{14, 57, 102};
constexpr Pixel black{0, 0, 0};

fs::path work_dir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    fs::path dir = fs::path(TEST_OUTPUT_DIR) / "capture" / (std::string(info->test_suite_name()) + "." + info->name());
    fs::create_directories(dir);
    return dir;
}

int run_capture(const std::string& args) {
    const std::string command = std::string(CAPTURE_PROGRAM) + " " + args;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

RgbaImage read_png(const fs::path& path) {
    RgbaImage image;
    EXPECT_TRUE(read_image(path.string(), image));
    return image;
}

// One frame at `ms`; `extra` adds options such as --seed or --warmup-frames.
RgbaImage capture_at(std::int64_t ms, const std::string& extra = "", const std::string& name = "") {
    const fs::path out = work_dir() / (name.empty() ? "at_" + std::to_string(ms) + ".png" : name);
    EXPECT_EQ(run_capture("--at-ms " + std::to_string(ms) + " " + extra + " --out " + out.string()), 0);
    return read_png(out);
}

std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool is_black(const Pixel& c) { return rgb_equal(c, black); }

// Pixels of `a` and `b` that differ, as a bounding box; empty when none differ.
struct Box {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    bool empty() const { return x1 < 0; }
};
Box differing_box(const RgbaImage& a, const RgbaImage& b) {
    Box box;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (!rgb_equal(a.at(x, y), b.at(x, y))) {
                box.x0 = std::min(box.x0, x), box.y0 = std::min(box.y0, y);
                box.x1 = std::max(box.x1, x), box.y1 = std::max(box.y1, y);
            }
    return box;
}

// --- determinism ------------------------------------------------------------

TEST(CaptureDeterminism, SameCommandGivesTheSameBytes) {
    const fs::path dir = work_dir();
    const std::string args = "--at-ms 18600 --warmup-frames 200 --size 512x384 --out ";
    ASSERT_EQ(run_capture(args + (dir / "a.png").string()), 0);
    ASSERT_EQ(run_capture(args + (dir / "b.png").string()), 0);
    EXPECT_EQ(file_bytes(dir / "a.png"), file_bytes(dir / "b.png"));
}

TEST(CaptureDeterminism, AnotherSeedChangesOnlyTheParticleLayer) {
    // No warm-up at beat 0: the only particles are the spawn row at y 756 and the
    // cubes riding on it (half-size 8, unrotated at beat 0).
    const Box spawn = differing_box(capture_at(0, "--seed 1", "s1.png"), capture_at(0, "--seed 2", "s2.png"));
    ASSERT_FALSE(spawn.empty());
    EXPECT_GE(spawn.y0, 756 - 10);
    EXPECT_LE(spawn.y1, 756 + 10);
    // A full field at beat 37.2, at half size: only the picture area, where the
    // field shows between the border, the panel and the bar, may change.
    const std::string half = " --size 512x384 --warmup-frames 150";
    const Box full =
        differing_box(capture_at(18600, "--seed 1" + half, "w1.png"), capture_at(18600, "--seed 2" + half, "w2.png"));
    ASSERT_FALSE(full.empty());
    EXPECT_GE(full.x0, 16 / 2);
    EXPECT_LE(full.x1, 767 / 2);
    EXPECT_LE(full.y1, 704 / 2 - 1);
    EXPECT_LT(full.y0, 150) << "the field should reach far up after 150 frames";
}

// --- the timeline, probed ---------------------------------------------------

TEST(CaptureTimeline, LeftBorderGrowsToSixteenUnitsInTheBarColour) {
    const RgbaImage before = capture_at(4000);
    const RgbaImage after = capture_at(10000);
    for (int y : {100, 400, 650}) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_TRUE(same_colour(before.at(x, y), black)) << "x " << x << " y " << y << " at 4000 ms";
            EXPECT_TRUE(same_colour(after.at(x, y), bar_colour)) << "x " << x << " y " << y << " at 10000 ms";
        }
        EXPECT_TRUE(same_colour(after.at(16, y), black)) << "y " << y;
    }
}

TEST(CaptureTimeline, PanelSlidesInFromTheRightEdge) {
    // Left edge at 1024 - 257 E: E 0 at 4000 ms, 1/2 at 6000 ms, 1 from 8001 ms.
    const RgbaImage out = capture_at(4000);
    const RgbaImage half = capture_at(6000);
    const RgbaImage in = capture_at(10000);
    for (int y : {20, 300, 500}) {
        EXPECT_FALSE(same_colour(out.at(1023, y), bar_colour)) << "y " << y;
        EXPECT_TRUE(same_colour(half.at(897, y), bar_colour)) << "y " << y;
        EXPECT_FALSE(same_colour(half.at(894, y), bar_colour)) << "y " << y;
        EXPECT_TRUE(same_colour(in.at(767, y), bar_colour)) << "y " << y;
        EXPECT_FALSE(same_colour(in.at(766, y), bar_colour)) << "y " << y;
    }
}

// The black bar covers whatever the field or the picture put below y 768 - 64 E.
// While E rises nothing is drawn behind the bar (the field's spawn row rides 12
// units above its top), so its top shows at E = 0 and E = 1.
TEST(CaptureTimeline, ScrollerBarTopFollowsTheEntryEnvelope) {
    // E = 0: the bar lies below the canvas; the spawn row at y 756 shows.
    const RgbaImage low = capture_at(4000);
    int spawn_row_lit = 0;
    for (int x = 16; x < 767; ++x)
        for (int y = 755; y <= 757; ++y) spawn_row_lit += !is_black(low.at(x, y));
    EXPECT_GT(spawn_row_lit, 0);
    // E = 1 over the full closing picture: the picture ends at y 703, and the
    // scroller's glyphs start at y 712.
    const RgbaImage full = capture_at(120000);
    for (int x = 16; x < 767; ++x) {
        EXPECT_FALSE(same_colour(full.at(x, 703), black)) << "x " << x;
        for (int y = 704; y < 712; ++y) EXPECT_TRUE(same_colour(full.at(x, y), black)) << "x " << x << " y " << y;
    }
}

TEST(CaptureTimeline, ClosingPictureFadesInAfterBeat216) {
    const RgbaImage none = capture_at(108000);
    const RgbaImage faint = capture_at(109000);  // P = 1/4: colour and alpha 1/4, so 1/16 of full
    const RgbaImage full = capture_at(112001);
    const RgbaImage later = capture_at(113000);
    int bright = 0;
    for (int y = 40; y < 640; y += 60) {
        for (int x = 60; x < 740; x += 60) {
            const Pixel f = full.at(x, y);
            EXPECT_TRUE(same_colour(none.at(x, y), black)) << "x " << x << " y " << y;
            EXPECT_TRUE(same_colour(later.at(x, y), f)) << "x " << x << " y " << y;
            EXPECT_TRUE(colour_near(faint.at(x, y), {f.r / 16.0, f.g / 16.0, f.b / 16.0}, 2.0))
                << "x " << x << " y " << y;
            bright += std::max({f.r, f.g, f.b}) > 64;
        }
    }
    EXPECT_GT(bright, 20) << "the probes should meet the picture's bright parts";
}

TEST(CaptureTimeline, PageAtRestStaysInsideItsRectangle) {
    const RgbaImage page = capture_at(12000);
    int inside = 0;
    // Picture area above the particles' spawn row (y 692 once the field has risen).
    for (int y = 0; y < 680; ++y) {
        for (int x = 16; x < 767; ++x) {
            const bool lit = !is_black(page.at(x, y));
            if (x >= 32 && x < 752 && y >= 144 && y < 576) {
                inside += lit;
            } else {
                EXPECT_FALSE(lit) << "x " << x << " y " << y << " " << page.at(x, y);
                if (lit) return;
            }
        }
    }
    EXPECT_GT(inside, 1000);
}

// --- reference pictures -----------------------------------------------------

struct KeyTime {
    const char* label;
    std::int64_t ms;
};

class CaptureReference : public ::testing::TestWithParam<KeyTime> {};

TEST_P(CaptureReference, MatchesTheReferencePicture) {
    const KeyTime key = GetParam();
    const std::string name = std::string("beat_") + key.label + ".png";
    const RgbaImage frame =
        capture_at(key.ms, std::string("--seed ") + reference_seed + " --warmup-frames " + reference_warmup, name);
    const fs::path reference = fs::path(CAPTURE_REFERENCE_DIR) / name;
    if (std::getenv("INVITATION_UPDATE_REFERENCE")) {
        fs::copy_file(work_dir() / name, reference, fs::copy_options::overwrite_existing);
        GTEST_SKIP() << "wrote " << reference;
    }
    RgbaImage expected;
    ASSERT_TRUE(read_image(reference.string(), expected));
    EXPECT_TRUE(images_match(frame, expected, channel_tolerance, differing_share_allowed))
        << "see " << work_dir() / name;
}

INSTANTIATE_TEST_SUITE_P(KeyBeats, CaptureReference,
                         ::testing::Values(KeyTime{"0", 0}, KeyTime{"12", 6000}, KeyTime{"37_2", 18600},
                                           KeyTime{"100", 50000}, KeyTime{"220", 110000}, KeyTime{"400", 200000}),
                         [](const auto& info) { return std::string("beat_") + info.param.label; });

// --- sequences --------------------------------------------------------------

// Frame k of a sequence is the frame at A + floor(k * 1000 / F) after k earlier
// steps of the field, which a single capture with k warm-up frames reproduces.
TEST(CaptureSequence, FramesFallAtTheirTimes) {
    const fs::path dir = work_dir() / "frames";
    fs::remove_all(dir);
    const std::string size = " --size 256x192 --seed 5";
    ASSERT_EQ(run_capture("--from-ms 100000 --to-ms 100100 --fps 30" + size + " --out " + dir.string()), 0);
    const std::int64_t times[] = {100000, 100033, 100066, 100100};  // 4 frames: 100100 is included
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 4);
    for (int k = 0; k < 4; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", k);
        const std::string single = "single_" + std::to_string(k) + ".png";
        capture_at(times[k], "--warmup-frames " + std::to_string(k) + size, single);
        EXPECT_EQ(file_bytes(dir / name), file_bytes(work_dir() / single)) << name;
    }
    // Rounding instead of flooring would have taken 100067 for frame 2; that frame differs.
    capture_at(100067, "--warmup-frames 2" + size, "rounded.png");
    EXPECT_NE(file_bytes(dir / "frame_000002.png"), file_bytes(work_dir() / "rounded.png"));

    fs::remove_all(dir);
    ASSERT_EQ(run_capture("--from-ms 100000 --to-ms 100099 --fps 30" + size + " --out " + dir.string()), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 3);
    fs::remove_all(dir);
    ASSERT_EQ(run_capture("--from-ms 7 --to-ms 7 --fps 1" + size + " --out " + dir.string()), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

}  // namespace
